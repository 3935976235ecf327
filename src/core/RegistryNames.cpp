// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RegistryNames.h"

#include <locale.h>
#include <wctype.h>

#include <array>

namespace zf {
namespace {

struct HiveNames {
  HKEY hive;
  std::string_view name;
  std::string_view shortForm;
};

constexpr std::array<HiveNames, 7> kHives{{
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
    {HKEY_USERS, "HKEY_USERS", "HKUS"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA", "HKPD"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA", "HKDD"},
}};

locale_t UnicodeLocale() {
  // The C.UTF-8 character classes are the same on every machine, whatever the user's locale.
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

// Length of the UTF-8 sequence starting at text[0] and its code point; 0 when it is not valid.
std::size_t DecodeUtf8(std::string_view text, char32_t* codePoint) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
  } else {
    return 0;
  }
  value = lead & (0x7F >> length);
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
  if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *codePoint = value;
  return length;
}

void AppendUtf8(char32_t value, std::string* out) {
  if (value < 0x80) {
    out->push_back(static_cast<char>(value));
  } else if (value < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (value >> 6)));
    out->push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else if (value < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (value >> 12)));
    out->push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (value >> 18)));
    out->push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (value & 0x3F)));
  }
}

// Independent of the process's locale, unlike std::toupper.
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

char32_t UpperCase(char32_t value) {
  const locale_t locale = UnicodeLocale();
  if (locale == static_cast<locale_t>(nullptr)) return value;
  return static_cast<char32_t>(towupper_l(static_cast<wint_t>(value), locale));
}

}  // namespace

std::string_view HiveName(HKEY hive) {
  for (const HiveNames& entry : kHives)
    if (entry.hive == hive) return entry.name;
  return {};
}

HKEY HiveByName(std::string_view name) {
  const std::string folded = FoldName(name);
  if (folded == "HKU") return HKEY_USERS;
  for (const HiveNames& entry : kHives)
    if (folded == entry.name || folded == entry.shortForm) return entry.hive;
  return 0;
}

std::string FoldName(std::string_view name) {
  std::string folded(name);
  std::size_t i = 0;
  for (; i < folded.size() && static_cast<unsigned char>(folded[i]) < 0x80; ++i) folded[i] = AsciiUpper(folded[i]);
  if (i == folded.size()) return folded;  // plain ASCII, by far the most common
  folded.resize(i);
  name.remove_prefix(i);
  while (!name.empty()) {
    char32_t codePoint = static_cast<unsigned char>(name[0]);
    std::size_t length = codePoint < 0x80 ? 1 : DecodeUtf8(name, &codePoint);
    if (length == 0) {
      folded.push_back(name[0]);  // not UTF-8: the byte stays as it is
      length = 1;
    } else {
      AppendUtf8(
          codePoint < 0x80 ? static_cast<char32_t>(AsciiUpper(static_cast<char>(codePoint))) : UpperCase(codePoint),
          &folded);
    }
    name.remove_prefix(length);
  }
  return folded;
}

bool TrimKeyPath(std::string_view* path) {
  if (path->ends_with('\\')) path->remove_suffix(1);
  return !path->starts_with('\\') && !path->ends_with('\\') && path->find("\\\\") == std::string_view::npos;
}

bool SplitKeyPath(std::string_view path, std::vector<std::string_view>* names) {
  names->clear();
  if (!TrimKeyPath(&path)) return false;
  while (!path.empty()) {
    const std::size_t slash = path.find('\\');
    const std::string_view name = path.substr(0, slash);
    names->push_back(name);
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return true;
}

}  // namespace zf
