// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Config.h"

#include <cstdlib>
#include <system_error>
#include <tuple>

#include "platform/account.h"

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

Result<std::filesystem::path> UserDataFolder() {
  // A relative XDG_DATA_HOME is ignored, as the base directory rules say.
  if (auto xdg = Env("XDG_DATA_HOME"); xdg && xdg->starts_with('/')) return std::filesystem::path(*xdg) / "zentrofast";
  if (auto home = UserHomeFolder()) return *home / ".local" / "share" / "zentrofast";
  return Failure(
      "cannot tell where the user's data folder is: HOME is not set and the account has no home folder; "
      "set HOME or XDG_DATA_HOME to an absolute path");
}

std::string MissingFolderProblem(const Config& config) {
  const bool needed = config.registryFile.empty() || config.installed;
  return needed && config.dataFolder.empty() ? config.dataFolderError : std::string();
}

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
  if (auto data = UserDataFolder()) {
    config.dataFolder = std::move(data).value();
  } else {
    config.dataFolderError = data.error().text;
  }
  if (auto registry = Env("ZENTROFAST_REGISTRY")) {
    config.registryFile = *registry;
  } else if (!config.dataFolder.empty()) {
    config.registryFile = config.dataFolder / "registry.sqlite3";
  }
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
  return (config.installed ? config.dataFolder : config.programFolder) / "Backups";
}

}  // namespace zf
