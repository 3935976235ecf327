// SPDX-License-Identifier: GPL-3.0-or-later
// Reading .reg files: the encoding, the lines (with hex continuations), the entries, and the
// import as one batch.
#include <array>
#include <charconv>
#include <istream>
#include <iterator>

#include "cli/RegEditFile.h"
#include "cli/RegEncoding.h"
#include "cli/RegText.h"
#include "core/RegistryLimits.h"
#include "core/RegistryNames.h"
#include "core/RegistryStatus.h"

namespace zf::cli {
namespace {

constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRegedit4Header = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::string LineError(int line, const std::string& message) { return "line " + std::to_string(line) + ": " + message; }

template <class Text>
std::vector<Text> SplitLines(const Text& text, typename Text::value_type newline) {
  std::vector<Text> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(newline, start)) != Text::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool IsRegedit4(const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    if (!TrimSpaces(line).empty()) return TrimSpaces(line) == kRegedit4Header;
  return false;
}

// The file's lines in UTF-8, whatever encoding the byte-order mark (or its absence) names.
bool DecodeLines(std::string bytes, std::vector<std::string>* lines, std::string* error) {
  if (bytes.starts_with(kUtf16Bom)) {
    const auto utf16 = LittleEndianBytesToUtf16(std::string_view(bytes).substr(kUtf16Bom.size()));
    const auto units = SplitLines(utf16.value_or(u""), u'\n');
    if (!utf16) {
      *error = LineError(static_cast<int>(units.size()) + 1, "the file ends in half a UTF-16 character");
      return false;
    }
    for (const std::u16string& line : units) {
      auto utf8 = Utf16ToUtf8(line);
      if (!utf8) {
        *error = LineError(static_cast<int>(lines->size()) + 1, "the text is not UTF-16");
        return false;
      }
      lines->push_back(std::move(*utf8));
    }
    return true;
  }
  const bool utf8Bom = bytes.starts_with(kUtf8Bom);
  if (utf8Bom) bytes.erase(0, kUtf8Bom.size());
  *lines = SplitLines(bytes, '\n');
  if (!utf8Bom && IsRegedit4(*lines)) {
    if (!IsUtf8(bytes))
      for (std::string& line : *lines) line = Cp1252ToUtf8(line);
    return true;
  }
  for (std::size_t i = 0; i < lines->size(); ++i) {
    if (!IsUtf8((*lines)[i])) {
      *error = LineError(static_cast<int>(i) + 1, "the text is not UTF-8");
      return false;
    }
  }
  return true;
}

// A quoted text at the start of *text, unescaped; *text moves past its closing quote.
bool ReadQuoted(std::string_view* text, std::string* value) {
  if (!text->starts_with('"')) return false;
  value->clear();
  for (std::size_t i = 1; i < text->size(); ++i) {
    const char c = (*text)[i];
    if (c == '"') {
      text->remove_prefix(i + 1);
      return true;
    }
    if (c == '\\') {
      if (++i == text->size() || ((*text)[i] != '\\' && (*text)[i] != '"')) return false;
    }
    *value += (*text)[i];
  }
  return false;
}

// The value name at the start of *line ("@" or a quoted name); *line moves past it.
bool ReadValueName(std::string_view* line, std::string* name) {
  if (!line->starts_with('@')) return ReadQuoted(line, name);
  line->remove_prefix(1);
  name->clear();
  return true;
}

// Only hex data goes on over several lines; a quoted text may well end in a backslash.
bool StartsHexData(std::string_view line) {
  std::string name;
  if (!ReadValueName(&line, &name)) return false;
  line = TrimSpaces(line);
  return line.starts_with('=') && TrimSpaces(line.substr(1)).starts_with("hex");
}

template <class Number>
bool ReadHex(std::string_view text, Number* number) {
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), *number, 16);
  return status == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ReadHexBytes(std::string_view text, std::vector<std::uint8_t>* bytes) {
  bytes->clear();
  text = TrimSpaces(text);
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = TrimSpaces(text.substr(0, comma));
    std::uint8_t byte = 0;
    if (item.size() > 2 || !ReadHex(item, &byte)) return false;
    bytes->push_back(byte);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
    if (TrimSpaces(text).empty()) return false;  // a comma with nothing after it
  }
  return true;
}

bool IsTextType(std::uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Text held as hex data is UTF-16LE in version 5.00 files and code-page text in REGEDIT4 files;
// the store keeps UTF-8.
bool TextDataToUtf8(RegFileFormat format, std::vector<std::uint8_t>* data) {
  const std::string_view bytes(reinterpret_cast<const char*>(data->data()), data->size());
  std::optional<std::string> utf8;
  if (format == RegFileFormat::Regedit4) {
    utf8 = Regedit4TextToUtf8(bytes);
  } else if (auto utf16 = LittleEndianBytesToUtf16(bytes)) {
    utf8 = Utf16ToUtf8(*utf16);
  }
  if (utf8) data->assign(utf8->begin(), utf8->end());
  return utf8.has_value();
}

// The data after "=": sets kind, type and data of entry; what is wrong, or nothing.
std::string ReadValueData(std::string_view text, RegFileFormat format, RegFileEntry* entry) {
  const std::string unreadable = "cannot read the value: " + PrintableExcerpt(text);
  entry->kind = RegFileEntry::Kind::Value;
  std::string quoted;
  if (text == "-") {
    entry->kind = RegFileEntry::Kind::DeleteValue;
    return {};
  }
  if (text.starts_with('"')) {
    if (!ReadQuoted(&text, &quoted) || !text.empty()) return unreadable;
    entry->type = REG_SZ;
    entry->data.assign(quoted.begin(), quoted.end());
    entry->data.push_back(0);
    return {};
  }
  if (text.starts_with("dword:")) {
    std::uint32_t number = 0;
    if (text.size() > 6 + 8 || !ReadHex(text.substr(6), &number)) return unreadable;
    entry->type = REG_DWORD;
    entry->data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                   static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
    return {};
  }
  if (text.starts_with("hex:")) {
    entry->type = REG_BINARY;
    return ReadHexBytes(text.substr(4), &entry->data) ? std::string() : unreadable;
  }
  const std::size_t close = text.find("):");
  if (!text.starts_with("hex(") || close == std::string_view::npos ||
      !ReadHex(text.substr(4, close - 4), &entry->type) || !ReadHexBytes(text.substr(close + 2), &entry->data))
    return unreadable;
  if (IsTextType(entry->type) && !TextDataToUtf8(format, &entry->data))
    return format == RegFileFormat::Version5
               ? "the text in hex(" + std::string(text.substr(4, close - 4)) + ") data is not UTF-16LE"
               : unreadable;
  return {};
}

class RegFileReader {
 public:
  RegFileReader(std::vector<RegFileEntry>* entries, std::string* error) : m_entries(entries), m_error(error) {}

  bool ReadLine(int number, std::string_view line) {
    m_line = number;
    line = TrimSpaces(line);
    if (!m_format) return line.empty() || ReadHeader(line);
    if (line.empty() || line.starts_with(';')) return true;
    if (line.starts_with('[')) return ReadKey(line);
    return ReadValue(line);
  }
  bool Finish() {
    return m_format || Fail("the file is empty; it should begin with " + std::string(kVersion5Header) + " or " +
                            std::string(kRegedit4Header));
  }

 private:
  bool Fail(const std::string& message) {
    *m_error = LineError(m_line, message);
    return false;
  }

  bool ReadHeader(std::string_view line) {
    if (line == kVersion5Header) m_format = RegFileFormat::Version5;
    if (line == kRegedit4Header) m_format = RegFileFormat::Regedit4;
    return m_format ||
           Fail("the file does not begin with " + std::string(kVersion5Header) + " or " + std::string(kRegedit4Header));
  }

  bool ReadKey(std::string_view line) {
    if (!line.ends_with(']')) return Fail("a key line must end with ]");
    std::string_view path = line.substr(1, line.size() - 2);
    const bool remove = path.starts_with('-');
    if (remove) path.remove_prefix(1);
    KeyArgument key;
    std::string problem;
    if (!ParseKeyArgument(path, &key, &problem)) return Fail(problem);
    if (remove && key.subKey.empty()) return Fail("a whole hive cannot be deleted");
    if (const std::string limit = remove ? std::string() : KeyPathProblem(key.subKey); !limit.empty())
      return Fail(limit);
    m_entries->push_back(
        {remove ? RegFileEntry::Kind::DeleteKey : RegFileEntry::Kind::Key, m_line, key.hive, key.subKey, {}, 0, {}});
    m_inKey = !remove;
    m_keyIndex = m_entries->size() - 1;
    return true;
  }

  bool ReadValue(std::string_view line) {
    if (!m_inKey) return Fail("a value needs a [key] line before it");
    const RegFileEntry& key = (*m_entries)[m_keyIndex];
    RegFileEntry entry{RegFileEntry::Kind::Value, m_line, key.hive, key.subKey, {}, 0, {}};
    if (!ReadValueName(&line, &entry.name)) return Fail("cannot read the value name: " + PrintableExcerpt(line));
    if (const std::string limit = ValueNameProblem(entry.name); !limit.empty()) return Fail(limit);
    line = TrimSpaces(line);
    if (!line.starts_with('=')) return Fail("cannot read the value: " + PrintableExcerpt(line));
    if (std::string problem = ReadValueData(TrimSpaces(line.substr(1)), *m_format, &entry); !problem.empty())
      return Fail(problem);
    m_entries->push_back(std::move(entry));
    return true;
  }

  std::vector<RegFileEntry>* m_entries;
  std::string* m_error;
  int m_line = 0;
  std::optional<RegFileFormat> m_format;  // set by the header line
  bool m_inKey = false;                   // false before any key and after a [-key]
  std::size_t m_keyIndex = 0;
};

// istream::read turns a failed read (of a folder, an I/O error) into badbit instead of throwing.
std::string ReadWhole(std::istream& in) {
  std::string bytes;
  std::array<char, 64 * 1024> chunk;
  while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) bytes.append(chunk.data(), in.gcount());
  return bytes;
}

std::string EntryKey(const RegFileEntry& entry) {
  return std::string(HiveName(entry.hive)) + (entry.subKey.empty() ? "" : "\\" + entry.subKey);
}

LONG ApplyEntry(IRegistry& registry, const RegFileEntry& entry) {
  if (entry.kind == RegFileEntry::Kind::DeleteKey) {
    const LONG status = registry.DeleteKey(entry.hive, entry.subKey);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;  // already gone
  }
  HKEY key = 0;
  LONG status = entry.kind == RegFileEntry::Kind::DeleteValue
                    ? registry.OpenKey(entry.hive, entry.subKey, KEY_ALL_ACCESS, &key)
                    : registry.CreateKey(entry.hive, entry.subKey, KEY_ALL_ACCESS, &key);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;  // a value to delete in a missing key
  if (status != ERROR_SUCCESS) return status;
  if (entry.kind == RegFileEntry::Kind::Value) status = registry.SetValue(key, entry.name, entry.type, entry.data);
  if (entry.kind == RegFileEntry::Kind::DeleteValue) {
    status = registry.DeleteValue(key, entry.name);
    if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
  }
  registry.CloseKey(key);
  return status;
}

}  // namespace

bool ParseRegFile(std::istream& in, std::vector<RegFileEntry>* entries, std::string* error) {
  std::vector<std::string> lines;
  const bool decoded = DecodeLines(ReadWhole(in), &lines, error);
  if (in.bad()) *error = "the file cannot be read";
  if (!decoded || in.bad()) return false;
  RegFileReader reader(entries, error);
  std::string logical;
  int start = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (logical.empty()) start = static_cast<int>(i) + 1;
    const std::string_view trimmed = TrimSpaces(lines[i]);
    if (trimmed.ends_with('\\') && (!logical.empty() || StartsHexData(trimmed))) {
      logical += trimmed.substr(0, trimmed.size() - 1);
      continue;
    }
    logical += logical.empty() ? lines[i] : std::string(trimmed);
    if (!reader.ReadLine(start, logical)) return false;
    logical.clear();
  }
  if (!logical.empty() && !reader.ReadLine(start, logical)) return false;
  return reader.Finish();
}

bool ApplyRegFile(IRegistry& registry, const std::vector<RegFileEntry>& entries, std::string* error) {
  const LONG begun = registry.BeginBatch();
  if (begun != ERROR_SUCCESS) {
    *error = "cannot write: " + RegistryStatusText(begun) + "; nothing was imported";
    return false;
  }
  for (const RegFileEntry& entry : entries) {
    const LONG status = ApplyEntry(registry, entry);
    if (status != ERROR_SUCCESS) {
      registry.RollbackBatch();
      *error = LineError(entry.line, "cannot write " + EntryKey(entry) +
                                         (entry.name.empty() ? "" : " \"" + entry.name + "\"") + ": " +
                                         RegistryStatusText(status) + "; nothing was imported");
      return false;
    }
  }
  const LONG status = registry.CommitBatch();
  if (status != ERROR_SUCCESS)
    *error = "cannot commit the import: " + RegistryStatusText(status) + "; nothing was imported";
  return status == ERROR_SUCCESS;
}

}  // namespace zf::cli
