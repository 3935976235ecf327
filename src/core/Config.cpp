// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Config.h"

#include <cstdlib>
#include <system_error>
#include <tuple>

namespace zf {
namespace {

std::optional<std::string> Env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

}  // namespace

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path() : exe.parent_path();
}

std::filesystem::path UserDataFolder() {
  std::filesystem::path dataHome;
  if (auto xdg = Env("XDG_DATA_HOME")) {
    dataHome = *xdg;
  } else if (auto home = Env("HOME")) {
    dataHome = std::filesystem::path(*home) / ".local" / "share";
  } else {
    dataHome = std::filesystem::current_path();
  }
  return dataHome / "zentrofast";
}

std::filesystem::path DefaultRegistryFile() { return UserDataFolder() / "registry.sqlite3"; }

std::pair<std::filesystem::path, bool> ProgramFolderFor(const std::filesystem::path& executableFolder) {
  std::error_code ignored;
  // A build or portable folder carries its data files beside the programs.
  if (std::filesystem::exists(executableFolder / "speed up.swf", ignored)) return {executableFolder, false};
  const auto shared = executableFolder.parent_path() / "share" / "zentrofast";
  if (std::filesystem::exists(shared / "speed up.swf", ignored)) return {shared, true};
  return {executableFolder, false};
}

Config LoadConfig() {
  Config config;
  if (auto home = Env("ZENTROFAST_HOME")) {
    config.programFolder = *home;
  } else {
    std::tie(config.programFolder, config.installed) = ProgramFolderFor(ExecutableFolder());
  }
  config.registryFile = Env("ZENTROFAST_REGISTRY").value_or(DefaultRegistryFile().string());
  if (auto version = Env("ZENTROFAST_OS_VERSION")) {
    if (auto parsed = ParseOSVersion(*version)) {
      config.osVersion = *parsed;
    } else {
      config.warning = "ZENTROFAST_OS_VERSION=\"" + *version + "\" is not PLATFORM.MAJOR.MINOR; using " +
                       std::to_string(kDefaultOSVersion.platformId) + "." +
                       std::to_string(kDefaultOSVersion.majorVersion) + "." +
                       std::to_string(kDefaultOSVersion.minorVersion);
    }
  }
  return config;
}

std::filesystem::path BackupsFolder(const Config& config) {
  return (config.installed ? UserDataFolder() : config.programFolder) / "Backups";
}

}  // namespace zf
