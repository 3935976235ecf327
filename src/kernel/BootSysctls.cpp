// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/BootSysctls.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "core/Translatable.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kLargestFile = 1 << 20;

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A sysctl.d key as a path below /proc/sys: with a dot first, dots and slashes swap places.
std::string KeyPath(std::string key) {
  const auto separator = key.find_first_of("./");
  if (separator != std::string::npos && key[separator] == '.')
    for (char& c : key) c = c == '.' ? '/' : c == '/' ? '.' : c;
  while (key.starts_with('/')) key.erase(0, 1);
  return key;
}

// The sysctl.d files boot reads, in order: the first folder holding a name wins.
std::vector<fs::path> DropInsInBootOrder(const std::vector<std::string>& folders) {
  std::map<std::string, fs::path> byName;
  for (const std::string& folder : folders) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
      const std::string name = entry.path().filename().string();
      if (name.ends_with(".conf")) byName.emplace(name, entry.path());
    }
  }
  std::vector<fs::path> ordered;
  for (const auto& [name, path] : byName) ordered.push_back(path);
  return ordered;
}

// Each explicit assignment of a wanted key in the file, the later winning.
void ReadAssignments(const fs::path& path, const std::set<std::string>& wanted,
                     std::map<std::string, BootOverride>& found) {
  std::error_code error;
  if (!fs::is_regular_file(path, error) || fs::file_size(path, error) > kLargestFile) return;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string key = Trim(line.substr(0, equals));
    if (key.starts_with('-')) key.erase(0, 1);
    if (key.find_first_of("*?[") != std::string::npos) continue;
    key = KeyPath(Trim(key));
    if (wanted.count(key)) found[key] = {path.string(), Trim(line.substr(equals + 1))};
  }
}

}  // namespace

std::map<std::string, BootOverride> FindBootOverrides(const BootSysctlFiles& files,
                                                      const std::vector<std::string>& keys) {
  const std::set<std::string> wanted(keys.begin(), keys.end());
  std::map<std::string, BootOverride> found;
  if (wanted.empty()) return found;
  // The bridge's file need not exist yet: its name alone says which files come after it.
  const std::string ownName = fs::path(files.ownFile).filename().string();
  std::vector<fs::path> later;
  for (const fs::path& path : DropInsInBootOrder(files.folders))
    if (path.filename().string() > ownName) later.push_back(path);
  // Debian's 99-sysctl.conf is a link to the old single file: it is read once, under that name.
  std::error_code error;
  if (std::none_of(later.begin(), later.end(),
                   [&](const fs::path& path) { return fs::equivalent(path, files.lastFile, error); }))
    later.emplace_back(files.lastFile);
  for (const fs::path& path : later) ReadAssignments(path, wanted, found);
  return found;
}

void WarnOfBootOverrides(KernelPlan& plan, const BootSysctlFiles& files) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : plan.desired)
    if (!IsMtuKey(key)) keys.push_back(key);
  for (const auto& [key, boot] : FindBootOverrides(files, keys))
    plan.warnings.push_back(
        {WarningKind::BootOverride,
         Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "%1 sets %2 = %3, which wins at every boot over %4's %5"),
                        {boot.file, DisplayName(key), boot.value, files.ownFile, plan.desired.at(key)})});
}

void MarkBootOverrides(KernelStatus& status, const BootSysctlFiles& files) {
  std::vector<std::string> keys;
  for (const ManagedSetting& setting : status.settings)
    if (setting.persistence == Persistence::Sysctl) keys.push_back(setting.key);
  const auto overrides = FindBootOverrides(files, keys);
  for (ManagedSetting& setting : status.settings)
    if (const auto boot = overrides.find(setting.key); boot != overrides.end())
      setting.overriddenAtBootBy = boot->second.file;
}

}  // namespace zf::kernel
