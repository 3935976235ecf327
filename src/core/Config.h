// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the program's files live and which version record it reports, from the environment
// (and, for the command-line tool, from its options, which win).
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "core/Result.h"
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
  // The user's data folder: the default store, and an installed program's backups. Empty when it
  // cannot be told, and dataFolderError says why.
  std::filesystem::path dataFolder;
  std::string dataFolderError;
};

// Reads ZENTROFAST_HOME, ZENTROFAST_REGISTRY and ZENTROFAST_OS_VERSION, falling back to the
// executable's folder (or, for an installed program, its share/zentrofast folder),
// registry.sqlite3 in the user's data folder and Windows XP.
Config LoadConfig();

// Why a program with config cannot run: it needs the user's data folder and there is none. Empty
// when it can.
std::string MissingFolderProblem(const Config& config);

std::filesystem::path ExecutableFolder();
// $XDG_DATA_HOME/zentrofast, else ~/.local/share/zentrofast, the home taken from the password
// database when HOME is not set. Never relative: that would follow whatever the current folder
// holds.
Result<std::filesystem::path> UserDataFolder();
// Where the data files are for a program in executableFolder, and whether that is an install.
std::pair<std::filesystem::path, bool> ProgramFolderFor(const std::filesystem::path& executableFolder);
// The folder holding numbered backups.
std::filesystem::path BackupsFolder(const Config& config);

}  // namespace zf
