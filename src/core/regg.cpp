// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/regg.h"

#include <array>
#include <cctype>
#include <utility>

namespace zf {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kShortForms{{
    {"HKCU", "HKEY_CURRENT_USER"},
    {"HKLM", "HKEY_LOCAL_MACHINE"},
    {"HKCR", "HKEY_CLASSES_ROOT"},
    {"HKUS", "HKEY_USERS"},
    {"HKPD", "HKEY_PERFORMANCE_DATA"},
    {"HKDD", "HKEY_DYN_DATA"},
    {"HKCC", "HKEY_CURRENT_CONFIG"},
}};

// Only these four can be opened by path; the others are expanded and then fail.
constexpr std::array<std::pair<std::string_view, HKEY>, 4> kOpenableHives{{
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
}};

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

void ReplaceIgnoringCase(std::string& text, std::string_view from, std::string_view to) {
  std::size_t position = 0;
  for (;;) {
    position = Upper(text).find(from, position);
    if (position == std::string::npos) return;
    text.replace(position, from.size(), to);
    position += to.size();
  }
}

}  // namespace

regg::ParsedPath regg::ParseKeyPath(std::string_view fullPath) {
  std::string path(fullPath);
  for (const auto& [shortForm, hiveName] : kShortForms) ReplaceIgnoringCase(path, shortForm, hiveName);
  for (const auto& [hiveName, hive] : kOpenableHives) {
    if (path.find(hiveName) == std::string::npos) continue;
    // The subkey is counted from the start of the path, wherever the name was found.
    const std::size_t skip = hiveName.size() + 1;
    return {hive, skip < path.size() ? path.substr(skip) : std::string()};
  }
  return {};
}

LONG regg::OpenKeyByPath(std::string_view fullPath, std::uint32_t access, HKEY* key) {
  const ParsedPath parsed = ParseKeyPath(fullPath);
  if (parsed.hive == 0) return ERROR_INVALID_HANDLE;
  return m_registry.OpenKey(parsed.hive, parsed.subKey, access, key);
}

bool regg::KeyExists(std::string_view fullPath) {
  HKEY key = 0;
  if (OpenKeyByPath(fullPath, KEY_SPECIFIC_RIGHTS, &key) != ERROR_SUCCESS) return false;
  m_registry.CloseKey(key);
  return true;
}

}  // namespace zf
