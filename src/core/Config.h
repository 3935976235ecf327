#pragma once
// Where the program's files live and which version record it reports, from the environment
// (and, for the command-line tool, from its options, which win).
#include <filesystem>
#include <optional>
#include <string>

#include "core/mdlOSVersion.h"

namespace zf {

struct Config {
  std::filesystem::path programFolder;  // data files and Backups
  std::filesystem::path registryFile;   // the registry store
  OSVersionRecord osVersion = kDefaultOSVersion;
  std::string warning;                  // set when an override could not be used
};

// Reads ZENTROFAST_HOME, ZENTROFAST_REGISTRY and ZENTROFAST_OS_VERSION, falling back to the
// executable's folder, $XDG_DATA_HOME/zentrofast/registry.sqlite3 and Windows XP.
Config LoadConfig();

std::filesystem::path ExecutableFolder();
std::filesystem::path DefaultRegistryFile();
// The folder holding numbered backups.
std::filesystem::path BackupsFolder(const Config& config);

}  // namespace zf
