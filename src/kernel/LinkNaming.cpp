// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/LinkNaming.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace zf::kernel {
namespace {

// The helper runs as root: every read is of a regular file, small, and the folders are listed
// only so far.
constexpr std::size_t kMaxFileBytes = 64 * 1024;
constexpr std::size_t kMaxFilesPerFolder = 1024;

std::optional<std::string> ReadBoundedFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> text;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= static_cast<off_t>(kMaxFileBytes)) {
    std::string read;
    char buffer[4096];
    for (ssize_t n; read.size() <= kMaxFileBytes && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
      read.append(buffer, static_cast<std::size_t>(n));
    if (read.size() <= kMaxFileBytes) text = std::move(read);
  }
  ::close(fd);
  return text;
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t\r") - first + 1));
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while ((start = text.find_first_not_of(" \t", start)) != std::string_view::npos) {
    const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
    words.emplace_back(text.substr(start, end - start));
    start = end;
  }
  return words;
}

// One .link file as far as this lookup needs it: the [Match] lists and the [Link] lines.
struct LinkFile {
  std::map<std::string, std::vector<std::string>> match;  // key → accumulated words
  std::vector<std::string> linkLines;
};

LinkFile ParseLinkFile(std::string_view text) {
  LinkFile file;
  std::string section;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = Trim(std::string_view(line).substr(0, equals));
    const std::string value = Trim(std::string_view(line).substr(equals + 1));
    if (section == "Match") {
      auto& words = file.match[key];
      if (value.empty()) words.clear();  // an empty assignment resets the list
      for (auto& word : Words(value)) words.push_back(std::move(word));
    } else if (section == "Link" && key != "MTUBytes") {
      file.linkLines.push_back(key + "=" + value);
    }
  }
  return file;
}

// udev's glob lists: "!" inverts one pattern; with no positive pattern, anything not excluded matches.
bool MatchesGlobs(const std::vector<std::string>& patterns, const std::string& value) {
  bool matched = false, positive = false;
  for (const auto& entry : patterns) {
    const bool invert = entry.starts_with('!');
    const std::string pattern = invert ? entry.substr(1) : entry;
    positive |= !invert;
    if (!value.empty() && ::fnmatch(pattern.c_str(), value.c_str(), 0) == 0) {
      if (invert) return false;
      matched = true;
    }
  }
  return patterns.empty() || !positive || matched;
}

bool MatchesAddress(const std::vector<std::string>& addresses, const std::string& mac) {
  if (addresses.empty()) return true;
  return !mac.empty() && std::any_of(addresses.begin(), addresses.end(),
                                     [&](const std::string& address) { return Lower(address) == mac; });
}

std::string Property(const DeviceFacts& device, const std::string& name) {
  for (const auto& property : device.properties)
    if (property.starts_with(name + "=")) return property.substr(name.size() + 1);
  return {};
}

// Every "KEY=GLOB" must hold ("!KEY=GLOB": must not).
bool MatchesProperties(const std::vector<std::string>& entries, const DeviceFacts& device) {
  for (const auto& entry : entries) {
    const bool invert = entry.starts_with('!');
    const std::string pattern = invert ? entry.substr(1) : entry;
    const bool held = std::any_of(device.properties.begin(), device.properties.end(), [&](const std::string& property) {
      return ::fnmatch(pattern.c_str(), property.c_str(), 0) == 0;
    });
    if (held == invert) return false;
  }
  return true;
}

// Whether the file applies to the device; nothing when its [Match] uses a key not understood here.
std::optional<bool> Matches(const LinkFile& file, const DeviceFacts& device) {
  for (const auto& [key, words] : file.match) {
    bool holds = false;
    if (key == "OriginalName")
      holds = MatchesGlobs(words, device.name);
    else if (key == "Driver")
      holds = MatchesGlobs(words, device.driver);
    else if (key == "Type")
      holds = MatchesGlobs(words, device.type);
    else if (key == "Path")
      holds = MatchesGlobs(words, Property(device, "ID_PATH"));
    else if (key == "MACAddress")
      holds = MatchesAddress(words, device.mac);
    else if (key == "PermanentMACAddress")
      holds = MatchesAddress(words, device.permanentMac);
    else if (key == "Property")
      holds = MatchesProperties(words, device);
    else
      return std::nullopt;
    if (!holds) return false;
  }
  return true;
}

// File name → full path, the first folder holding a name winning.
std::map<std::string, std::string> LinkFilesInOrder(const std::vector<std::string>& folders) {
  std::map<std::string, std::string> files;
  for (const auto& folder : folders) {
    DIR* directory = ::opendir(folder.c_str());
    if (!directory) continue;
    std::size_t listed = 0;
    while (const dirent* entry = ::readdir(directory)) {
      const std::string name = entry->d_name;
      if (!name.ends_with(".link")) continue;
      if (++listed > kMaxFilesPerFolder) break;
      files.emplace(name, folder + "/" + name);
    }
    ::closedir(directory);
  }
  return files;
}

std::string FirstLine(const std::string& path) {
  const auto text = ReadBoundedFile(path);
  return text ? Trim(text->substr(0, text->find('\n'))) : std::string();
}

std::string LinkTarget(const std::string& path) {
  char buffer[256];
  const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
  if (n <= 0 || static_cast<std::size_t>(n) == sizeof buffer) return {};
  const std::string target(buffer, static_cast<std::size_t>(n));
  return target.substr(target.rfind('/') + 1);
}

std::string TypeName(const std::string& arphrd) {
  if (arphrd == "1") return "ether";
  if (arphrd == "772") return "loopback";
  if (arphrd == "65534") return "none";
  return {};
}

std::vector<std::string> UdevProperties(const std::string& udevData, const std::string& ifindex) {
  std::vector<std::string> properties;
  if (ifindex.empty()) return properties;
  const auto text = ReadBoundedFile(udevData + "/n" + ifindex);
  if (!text) return properties;
  std::size_t start = 0;
  while (start < text->size()) {
    const std::size_t end = std::min(text->find('\n', start), text->size());
    if (text->compare(start, 2, "E:") == 0) properties.push_back(text->substr(start + 2, end - start - 2));
    start = end + 1;
  }
  return properties;
}

}  // namespace

std::vector<std::string> DefaultLinkFolders() {
  return {"/etc/systemd/network", "/run/systemd/network", "/usr/local/lib/systemd/network", "/usr/lib/systemd/network",
          "/lib/systemd/network"};
}

DeviceFacts ReadDeviceFacts(const std::string& name, const std::string& permanentMac, const std::string& sysClassNet,
                            const std::string& udevData) {
  const std::string folder = sysClassNet + "/" + name;
  DeviceFacts device;
  device.name = name;
  device.mac = Lower(FirstLine(folder + "/address"));
  device.permanentMac = Lower(permanentMac);
  device.properties = UdevProperties(udevData, FirstLine(folder + "/ifindex"));
  device.driver = Property(device, "ID_NET_DRIVER");
  if (device.driver.empty()) device.driver = LinkTarget(folder + "/device/driver");
  const auto uevent = ReadBoundedFile(folder + "/uevent").value_or("");
  if (const auto at = uevent.find("DEVTYPE="); at != std::string::npos && (at == 0 || uevent[at - 1] == '\n'))
    device.type = Trim(uevent.substr(at + 8, uevent.find('\n', at) - at - 8));
  if (device.type.empty()) device.type = TypeName(FirstLine(folder + "/type"));
  return device;
}

LinkNaming FindLinkNaming(const DeviceFacts& device, std::string_view skipPrefix,
                          const std::vector<std::string>& folders) {
  for (const auto& [name, path] : LinkFilesInOrder(folders)) {
    if (name.starts_with(skipPrefix)) continue;
    const auto text = ReadBoundedFile(path);  // an empty file or a link to /dev/null masks the name
    if (!text || Trim(*text).empty()) continue;
    const LinkFile file = ParseLinkFile(*text);
    if (Matches(file, device).value_or(false)) return {path, file.linkLines};
  }
  return {};
}

}  // namespace zf::kernel
