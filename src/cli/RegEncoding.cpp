// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/RegEncoding.h"

#include <array>
#include <vector>

namespace zf::cli {
namespace {

// What 0x80 … 0x9F stand for in Windows-1252; the open places keep their C1 code point.
constexpr std::array<char16_t, 32> kCp1252High{0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(char32_t code, std::string* out) {
  if (code < 0x80) {
    *out += static_cast<char>(code);
  } else if (code < 0x800) {
    *out += static_cast<char>(0xC0 | (code >> 6));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out += static_cast<char>(0xE0 | (code >> 12));
    *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (code >> 18));
    *out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The code points of strict UTF-8 (no overlong forms, no surrogates); empty when it is not.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> codes;
  codes.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return std::nullopt;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3F);
    }
    constexpr char32_t kLowest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLowest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
    codes.push_back(code);
    i += length;
  }
  return codes;
}

}  // namespace

bool IsUtf8(std::string_view bytes) { return DecodeUtf8(bytes).has_value(); }

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
  const auto codes = DecodeUtf8(utf8);
  if (!codes) return std::nullopt;
  std::u16string utf16;
  for (char32_t code : *codes) {
    if (code < 0x10000) {
      utf16 += static_cast<char16_t>(code);
    } else {
      utf16 += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      utf16 += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
  }
  return utf16;
}

std::optional<std::string> Utf16ToUtf8(std::u16string_view utf16) {
  std::string utf8;
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t code = utf16[i];
    if (code >= 0xDC00 && code <= 0xDFFF) return std::nullopt;
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (i + 1 == utf16.size() || utf16[i + 1] < 0xDC00 || utf16[i + 1] > 0xDFFF) return std::nullopt;
      code = 0x10000 + ((code - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    }
    AppendUtf8(code, &utf8);
  }
  return utf8;
}

std::string Utf16ToLittleEndianBytes(std::u16string_view utf16) {
  std::string bytes;
  bytes.reserve(utf16.size() * 2);
  for (char16_t unit : utf16) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::optional<std::u16string> LittleEndianBytesToUtf16(std::string_view bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::u16string utf16;
  utf16.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); i += 2)
    utf16 +=
        static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return utf16;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string utf8;
  utf8.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte, &utf8);
  }
  return utf8;
}

std::optional<std::string> Utf8ToCp1252(std::string_view utf8) {
  const auto codes = DecodeUtf8(utf8);
  if (!codes) return std::nullopt;
  std::string bytes;
  for (char32_t code : *codes) {
    if (code < 0x80 || (code >= 0xA0 && code < 0x100)) {
      bytes += static_cast<char>(code);
      continue;
    }
    std::size_t place = 0;
    while (place < kCp1252High.size() && kCp1252High[place] != code) ++place;
    if (place == kCp1252High.size()) return std::nullopt;
    bytes += static_cast<char>(0x80 + place);
  }
  return bytes;
}

std::string Regedit4TextToUtf8(std::string_view bytes) {
  return IsUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

std::optional<std::string> Utf8ToRegedit4Text(std::string_view utf8) {
  auto bytes = Utf8ToCp1252(utf8);
  if (bytes && *bytes != utf8 && IsUtf8(*bytes)) return std::nullopt;
  return bytes;
}

}  // namespace zf::cli
