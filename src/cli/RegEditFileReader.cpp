// SPDX-License-Identifier: GPL-3.0-or-later
// Reading .reg files: the encoding, the lines (with hex continuations), the entries, and the
// import as one batch.
#include <charconv>
#include <cstdint>
#include <istream>
#include <streambuf>
#include <utility>

#include "cli/CliText.h"
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

std::string LineError(int line, const std::string& message) { return Say("line %1: %2", line, message); }

std::string BoundText(std::uint64_t bytes) {
  return bytes % (1 << 20) == 0 ? Say("%1 MiB", bytes >> 20) : Say("%1 bytes", bytes);
}

// The file's lines as they stand in it, one at a time (a UTF-16 file's without its byte-order
// mark, still in UTF-16LE), within the bounds: memory follows the longest line, not the file.
class PhysicalLines {
 public:
  PhysicalLines(std::istream& in, const RegFileBounds& bounds) : m_in(*in.rdbuf()), m_bounds(bounds) {
    for (int c; m_start.size() < kUtf8Bom.size() && (c = m_in.sbumpc()) != EOF;)
      m_start.push_back(static_cast<char>(c));
    m_read = m_start.size();
    m_utf16 = m_start.starts_with(kUtf16Bom);
    m_utf8Bom = m_start.starts_with(kUtf8Bom);
    m_start.erase(0, m_utf16 ? kUtf16Bom.size() : m_utf8Bom ? kUtf8Bom.size() : 0);
  }
  bool utf16() const { return m_utf16; }
  bool utf8Bom() const { return m_utf8Bom; }
  int number() const { return m_number; }  // of the line Next gave last
  const std::string& problem() const { return m_problem; }

  // False at the end of the file, or with problem() set.
  bool Next(std::string* line) {
    line->clear();
    for (;;) {
      const int first = Take(), second = first == EOF || !m_utf16 ? 0 : Take();
      if (first == EOF) return !line->empty() && Counted();
      if (!m_problem.empty()) return false;
      if (second == EOF) return Fail(Say("the file ends in half a UTF-16 character"));
      if (first == '\n' && second == 0) return Counted();
      if (line->size() >= m_bounds.longestLine)
        return Fail(Say("the line is longer than %1 (a bound on .reg lines)", BoundText(m_bounds.longestLine)));
      line->push_back(static_cast<char>(first));
      if (m_utf16) line->push_back(static_cast<char>(second));
    }
  }

 private:
  int Take() {
    if (m_taken < m_start.size()) return static_cast<unsigned char>(m_start[m_taken++]);
    const int c = m_in.sbumpc();
    if (c != EOF && ++m_read > m_bounds.largestFile && m_problem.empty())
      Fail(Say("the file is larger than %1 (a bound on .reg files)", BoundText(m_bounds.largestFile)));
    return c;
  }
  bool Counted() { return ++m_number > 0; }
  bool Fail(const std::string& problem) {
    m_problem = LineError(m_number + 1, problem);
    return false;
  }

  std::streambuf& m_in;
  const RegFileBounds& m_bounds;
  bool m_utf16 = false, m_utf8Bom = false;
  std::string m_start;  // the first bytes, read to find a byte-order mark
  std::size_t m_taken = 0;
  std::uint64_t m_read = 0;
  int m_number = 0;
  std::string m_problem;
};

// A quoted text at the start of *text, unescaped (\\ \" and the line breaks \r \n); *text moves
// past its closing quote.
bool ReadQuoted(std::string_view* text, std::string* value) {
  if (!text->starts_with('"')) return false;
  value->clear();
  for (std::size_t i = 1; i < text->size(); ++i) {
    char c = (*text)[i];
    if (c == '"') {
      text->remove_prefix(i + 1);
      return true;
    }
    if (c == '\\') {
      if (++i == text->size()) return false;
      c = (*text)[i];
      if (c == 'r' || c == 'n')
        c = c == 'r' ? '\r' : '\n';
      else if (c != '\\' && c != '"')
        return false;
    }
    *value += c;
  }
  return false;
}

// Nothing but spaces, or a comment (what follows a value or a key may be one, as in Wine's files).
bool IsCommentOrNothing(std::string_view rest) {
  rest = TrimSpaces(rest);
  return rest.empty() || rest.starts_with(';');
}

// Unquoted data without the comment that may follow it; no such data holds a ';'.
std::string_view WithoutComment(std::string_view data) { return TrimSpaces(data.substr(0, data.find(';'))); }

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

// A line of hex data without the comment after it: past the value name, a ';' begins one.
std::string_view HexWithoutComment(std::string_view line, bool continuation) {
  std::string_view data = line;
  std::string name;
  if (!continuation) ReadValueName(&data, &name);
  return TrimSpaces(line.substr(0, line.find(';', line.size() - data.size())));
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
  const std::string unreadable = Say("cannot read the value: %1", PrintableExcerpt(text));
  entry->kind = RegFileEntry::Kind::Value;
  std::string quoted;
  if (!text.starts_with('"')) text = WithoutComment(text);
  if (text == "-") {
    entry->kind = RegFileEntry::Kind::DeleteValue;
    return {};
  }
  if (text.starts_with('"')) {
    if (!ReadQuoted(&text, &quoted) || !IsCommentOrNothing(text)) return unreadable;
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
               ? Say("the text in hex(%1) data is not UTF-16LE", text.substr(4, close - 4))
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
    return m_format || Fail(Say("the file is empty; it should begin with %1 or %2", kVersion5Header, kRegedit4Header));
  }

 private:
  bool Fail(const std::string& message) {
    *m_error = LineError(m_line, message);
    return false;
  }

  bool ReadHeader(std::string_view line) {
    if (line == kVersion5Header) m_format = RegFileFormat::Version5;
    if (line == kRegedit4Header) m_format = RegFileFormat::Regedit4;
    return m_format || Fail(Say("the file does not begin with %1 or %2", kVersion5Header, kRegedit4Header));
  }

  bool ReadKey(std::string_view line) {
    const std::size_t close = line.ends_with(']') ? line.size() - 1 : line.rfind(']');
    if (close == std::string_view::npos || !IsCommentOrNothing(line.substr(close + 1)))
      return Fail(Say("a key line must end with ] (a comment may follow it)"));
    std::string_view path = line.substr(1, close - 1);
    const bool remove = path.starts_with('-');
    if (remove) path.remove_prefix(1);
    KeyArgument key;
    std::string problem;
    if (!ParseKeyArgument(path, &key, &problem)) return Fail(problem);
    if (remove && key.subKey.empty()) return Fail(Say("a whole hive cannot be deleted"));
    if (const std::string limit = remove ? std::string() : KeyPathProblem(key.subKey); !limit.empty())
      return Fail(limit);
    m_entries->push_back(
        {remove ? RegFileEntry::Kind::DeleteKey : RegFileEntry::Kind::Key, m_line, key.hive, key.subKey, {}, 0, {}});
    m_inKey = !remove;
    m_keyIndex = m_entries->size() - 1;
    return true;
  }

  bool ReadValue(std::string_view line) {
    if (!m_inKey) return Fail(Say("a value needs a [key] line before it"));
    const RegFileEntry& key = (*m_entries)[m_keyIndex];
    RegFileEntry entry{RegFileEntry::Kind::Value, m_line, key.hive, key.subKey, {}, 0, {}};
    if (!ReadValueName(&line, &entry.name)) return Fail(Say("cannot read the value name: %1", PrintableExcerpt(line)));
    if (const std::string limit = ValueNameProblem(entry.name); !limit.empty()) return Fail(limit);
    line = TrimSpaces(line);
    if (!line.starts_with('=')) return Fail(Say("cannot read the value: %1", PrintableExcerpt(line)));
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

// Decodes each line the file holds and joins hex data continued over lines into one logical line
// for the reader. A REGEDIT4 file is Windows-1252 unless every line of it is UTF-8: lines are read
// at once while they are plain ASCII (the same in both), and from the first other one kept until
// the file shows which it is.
class RegFileLines {
 public:
  RegFileLines(std::vector<RegFileEntry>* entries, std::string* error, const RegFileBounds& bounds)
      : m_reader(entries, error), m_error(error), m_bounds(bounds) {}

  bool Add(int number, const std::string& raw, bool utf16, bool utf8Bom) {
    if (utf16) {
      auto utf8 = Utf16ToUtf8(LittleEndianBytesToUtf16(raw).value_or(u""));
      return utf8 ? Join(number, *utf8) : Fail(number, Say("the text is not UTF-16"));
    }
    if (m_text == Text::Unknown && !TrimSpaces(raw).empty())
      m_text = !utf8Bom && TrimSpaces(raw) == kRegedit4Header ? Text::Ascii : Text::Utf8;
    const bool utf8 = IsUtf8(raw);
    if (m_text == Text::Utf8 || m_text == Text::Unknown)
      return utf8 ? Join(number, raw) : Fail(number, Say("the text is not UTF-8"));
    if (m_text == Text::Cp1252 || !utf8) return ToCp1252() && Join(number, Cp1252ToUtf8(raw));
    if (m_text == Text::Ascii && IsAscii(raw)) return Join(number, raw);
    if (m_text == Text::Ascii) {
      m_text = Text::Kept;
      m_firstKept = number;
    }
    m_kept += raw;
    m_kept += '\n';
    return true;
  }

  bool Finish() {
    if (m_text == Text::Kept && !Replay(false)) return false;
    if (!m_logical.empty() && !m_reader.ReadLine(m_start, m_logical)) return false;
    return m_reader.Finish();
  }

 private:
  enum class Text { Unknown, Utf8, Ascii, Kept, Cp1252 };

  static bool IsAscii(std::string_view text) {
    for (const char c : text)
      if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
  }

  bool ToCp1252() {
    const bool replayed = m_text != Text::Kept || Replay(true);
    m_text = Text::Cp1252;
    return replayed;
  }

  // The lines kept since the first one beyond ASCII, now that their encoding is known.
  bool Replay(bool cp1252) {
    const std::string kept = std::exchange(m_kept, {});
    int number = m_firstKept;
    for (std::size_t start = 0, end; (end = kept.find('\n', start)) != std::string::npos; start = end + 1, ++number) {
      const std::string_view line = std::string_view(kept).substr(start, end - start);
      if (!Join(number, cp1252 ? Cp1252ToUtf8(line) : std::string(line))) return false;
    }
    return true;
  }

  // Only hex data goes on over several lines; a quoted text may well end in a backslash.
  bool Join(int number, const std::string& line) {
    if (m_logical.empty()) m_start = number;
    std::string_view trimmed = TrimSpaces(line);
    const bool hex = !m_logical.empty() || StartsHexData(trimmed);
    if (hex) trimmed = HexWithoutComment(trimmed, !m_logical.empty());
    const bool continued = hex && trimmed.ends_with('\\');
    if (continued) {
      m_logical += trimmed.substr(0, trimmed.size() - 1);
    } else {
      m_logical += m_logical.empty() ? std::string_view(line) : trimmed;
    }
    if (m_logical.size() > m_bounds.longestLine)
      return Fail(m_start, Say("the line is longer than %1 with its continuations (a bound on .reg lines)",
                               BoundText(m_bounds.longestLine)));
    if (continued) return true;
    const bool read = m_reader.ReadLine(m_start, m_logical);
    m_logical.clear();
    return read;
  }

  bool Fail(int number, const std::string& message) {
    *m_error = LineError(number, message);
    return false;
  }

  RegFileReader m_reader;
  std::string* m_error;
  const RegFileBounds& m_bounds;
  Text m_text = Text::Unknown;
  std::string m_kept;  // raw lines, each ended by \n, from line m_firstKept
  int m_firstKept = 0;
  std::string m_logical;
  int m_start = 0;
};

}  // namespace

bool ParseRegFile(std::istream& in, std::vector<RegFileEntry>* entries, std::string* error,
                  const RegFileBounds& bounds) {
  try {
    RegFileLines lines(entries, error, bounds);
    PhysicalLines file(in, bounds);
    for (std::string line; file.Next(&line);)
      if (!lines.Add(file.number(), line, file.utf16(), file.utf8Bom())) return false;
    if (!file.problem().empty()) *error = file.problem();
    return file.problem().empty() && lines.Finish();
  } catch (const std::ios_base::failure&) {  // a read that failed (a folder, an I/O error)
    *error = Say("the file cannot be read");
    return false;
  }
}

bool ApplyRegFile(IRegistry& registry, const std::vector<RegFileEntry>& entries, std::string* error) {
  const LONG begun = registry.BeginBatch();
  if (begun != ERROR_SUCCESS) {
    *error = Say("cannot write: %1; nothing was imported", Say(RegistryStatusText(begun)));
    return false;
  }
  for (const RegFileEntry& entry : entries) {
    const LONG status = ApplyEntry(registry, entry);
    if (status != ERROR_SUCCESS) {
      registry.RollbackBatch();
      const std::string what = entry.name.empty() ? EntryKey(entry) : EntryKey(entry) + " \"" + entry.name + "\"";
      *error = LineError(entry.line,
                         Say("cannot write %1: %2; nothing was imported", what, Say(RegistryStatusText(status))));
      return false;
    }
  }
  const LONG status = registry.CommitBatch();
  if (status != ERROR_SUCCESS)
    *error = Say("cannot commit the import: %1; nothing was imported", Say(RegistryStatusText(status)));
  return status == ERROR_SUCCESS;
}

}  // namespace zf::cli
