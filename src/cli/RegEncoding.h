// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text encodings .reg files use, to and from the UTF-8 the store keeps: UTF-16LE for version
// 5.00 files and the Windows-1252 code page for REGEDIT4 files.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zf::cli {

bool IsUtf8(std::string_view bytes);

// Empty when the bytes are not UTF-8 (a NUL is a character like any other).
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);
// Empty for an unpaired surrogate.
std::optional<std::string> Utf16ToUtf8(std::u16string_view utf16);

std::string Utf16ToLittleEndianBytes(std::u16string_view utf16);
// Empty for an odd number of bytes.
std::optional<std::u16string> LittleEndianBytesToUtf16(std::string_view bytes);

// Every byte means a character: the five the code page leaves open stand for U+0081 … U+009D,
// as Windows reads them.
std::string Cp1252ToUtf8(std::string_view bytes);
// Empty when a character has no place in the code page.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);

// REGEDIT4 text as this program reads it: UTF-8 when the bytes are UTF-8 (what earlier versions
// wrote), otherwise Windows-1252 (what Windows writes).
std::string Regedit4TextToUtf8(std::string_view bytes);
// The Windows-1252 bytes of a text when they read back as the same text; empty when the text has
// a character outside the code page or its bytes would pass for UTF-8.
std::optional<std::string> Utf8ToRegedit4Text(std::string_view utf8);

}  // namespace zf::cli
