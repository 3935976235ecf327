// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the program's files live and which version record it reports, from the environment
// (and, for the command-line tool, from its options, which win).
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "core/mdlOSVersion.h"

namespace zf {

struct Config {
  std::filesystem::path programFolder;  // data files and Backups
  std::filesystem::path registryFile;   // the registry store
  OSVersionRecord osVersion = kDefaultOSVersion;
  std::string warning;  // set when an override could not be used
  // An installed program folder (share/zentrofast beside bin/) is read-only: its writable part,
  // the backups, then lives in the user's data folder.
  bool installed = false;
};

// Reads ZENTROFAST_HOME, ZENTROFAST_REGISTRY and ZENTROFAST_OS_VERSION, falling back to the
// executable's folder (or, for an installed program, its share/zentrofast folder),
// $XDG_DATA_HOME/zentrofast/registry.sqlite3 and Windows XP.
Config LoadConfig();

std::filesystem::path ExecutableFolder();
std::filesystem::path DefaultRegistryFile();
// $XDG_DATA_HOME/zentrofast (or ~/.local/share/zentrofast).
std::filesystem::path UserDataFolder();
// Where the data files are for a program in executableFolder, and whether that is an install.
std::pair<std::filesystem::path, bool> ProgramFolderFor(const std::filesystem::path& executableFolder);
// The folder holding numbered backups.
std::filesystem::path BackupsFolder(const Config& config);

}  // namespace zf
