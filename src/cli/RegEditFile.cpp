#include "cli/RegEditFile.h"

#include <charconv>
#include <cstdio>
#include <istream>
#include <ostream>

#include "cli/RegText.h"
#include "core/RegistryLimits.h"
#include "core/RegistryStatus.h"
#include "core/RegistryNames.h"

namespace zf::cli {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::size_t kHexLineWidth = 76;

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// Text that "..." can carry exactly: one NUL at the end and nowhere else, no line break.
bool IsPlainText(std::uint32_t type, const std::vector<std::uint8_t>& data) {
  if (type != REG_SZ || data.empty() || data.back() != 0) return false;
  const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size() - 1);
  return text.find('\0') == std::string_view::npos && !HasLineBreak(text);
}

std::string HexData(std::string prefix, const std::vector<std::uint8_t>& data) {
  std::string line = std::move(prefix);
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    line += byte;
    if (i + 1 == data.size()) break;
    line += ',';
    if (line.size() - lineStart > kHexLineWidth) {
      line += "\\\n  ";
      lineStart = line.size() - 2;
    }
  }
  return line;
}

std::string ValueData(std::uint32_t type, const std::vector<std::uint8_t>& data) {
  if (IsPlainText(type, data)) return Quote(std::string(data.begin(), data.end() - 1));
  if (type == REG_DWORD && data.size() == 4) {
    char number[16];
    std::snprintf(number, sizeof number, "dword:%08x",
                  data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<unsigned>(data[3]) << 24));
    return number;
  }
  if (type == 3) return HexData("hex:", data);
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
  return HexData(prefix, data);
}

// The key line and the values of one key.
bool ExportValues(IRegistry& registry, HKEY key, const std::string& display, std::ostream& out, std::string* error) {
  if (HasLineBreak(display)) {
    *error = "cannot export the key \"" + PrintableExcerpt(display) + "\": its name holds a line break";
    return false;
  }
  out << "\n[" << display << "]\n";
  std::string name;
  for (std::uint32_t i = 0; registry.EnumValue(key, i, &name) == ERROR_SUCCESS; ++i) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (HasLineBreak(name) || registry.QueryValue(key, name, &type, &data) != ERROR_SUCCESS) {
      *error = "cannot export the value \"" + PrintableExcerpt(name) + "\" of " + display;
      return false;
    }
    out << (name.empty() ? "@" : Quote(name)) << "=" << ValueData(type, data) << "\n";
  }
  return true;
}

// The key and everything below it, depth first, each key before its subkeys. A loop rather than
// recursion: however deep a store is, the export cannot run out of stack.
bool ExportKey(IRegistry& registry, HKEY top, const std::string& display, std::ostream& out, std::string* error) {
  struct Level {
    HKEY key;
    std::string display;
    std::uint32_t nextSubkey = 0;
  };
  if (!ExportValues(registry, top, display, out, error)) return false;
  std::vector<Level> levels{{top, display}};
  bool exported = true;
  std::string name;
  while (exported && !levels.empty()) {
    Level& level = levels.back();
    if (registry.EnumKey(level.key, level.nextSubkey++, &name) != ERROR_SUCCESS) {
      if (levels.size() > 1) registry.CloseKey(level.key);
      levels.pop_back();
      continue;
    }
    HKEY child = 0;
    const std::string childDisplay = level.display + "\\" + name;
    const LONG status = registry.OpenKey(level.key, name, KEY_READ, &child);
    if (status != ERROR_SUCCESS) {
      *error = "cannot read " + PrintableExcerpt(childDisplay) + ": " + RegistryStatusText(status);
      exported = false;
      break;
    }
    levels.push_back({child, childDisplay});
    exported = ExportValues(registry, child, childDisplay, out, error);
  }
  for (std::size_t i = 1; i < levels.size(); ++i) registry.CloseKey(levels[i].key);
  return exported;
}

// --- reading -------------------------------------------------------------------------------

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
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

// The data after "=": sets kind, type and data of entry.
bool ReadValueData(std::string_view text, RegFileEntry* entry) {
  entry->kind = RegFileEntry::Kind::Value;
  std::string quoted;
  if (text == "-") {
    entry->kind = RegFileEntry::Kind::DeleteValue;
    return true;
  }
  if (text.starts_with('"')) {
    if (!ReadQuoted(&text, &quoted) || !text.empty()) return false;
    entry->type = REG_SZ;
    entry->data.assign(quoted.begin(), quoted.end());
    entry->data.push_back(0);
    return true;
  }
  if (text.starts_with("dword:")) {
    std::uint32_t number = 0;
    if (text.size() > 6 + 8 || !ReadHex(text.substr(6), &number)) return false;
    entry->type = REG_DWORD;
    entry->data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                   static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
    return true;
  }
  if (text.starts_with("hex:")) {
    entry->type = 3;
    return ReadHexBytes(text.substr(4), &entry->data);
  }
  const std::size_t close = text.find("):");
  if (!text.starts_with("hex(") || close == std::string_view::npos) return false;
  return ReadHex(text.substr(4, close - 4), &entry->type) && ReadHexBytes(text.substr(close + 2), &entry->data);
}

class RegFileReader {
 public:
  RegFileReader(std::vector<RegFileEntry>* entries, std::string* error) : m_entries(entries), m_error(error) {}

  bool ReadLine(int number, std::string_view line) {
    m_line = number;
    line = TrimSpaces(line);
    if (!m_sawHeader) {
      if (line.empty()) return true;
      m_sawHeader = line == kHeader;
      return m_sawHeader || Fail("the file does not begin with " + std::string(kHeader));
    }
    if (line.empty() || line.starts_with(';')) return true;
    if (line.starts_with('[')) return ReadKey(line);
    return ReadValue(line);
  }
  bool Finish() { return m_sawHeader || Fail("the file is empty; it should begin with " + std::string(kHeader)); }

 private:
  bool Fail(const std::string& message) {
    *m_error = "line " + std::to_string(m_line) + ": " + message;
    return false;
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
    if (line.starts_with('@')) {
      line.remove_prefix(1);
    } else if (!ReadQuoted(&line, &entry.name)) {
      return Fail("cannot read the value name: " + PrintableExcerpt(line));
    }
    if (const std::string limit = ValueNameProblem(entry.name); !limit.empty()) return Fail(limit);
    line = TrimSpaces(line);
    if (!line.starts_with('=') || !ReadValueData(TrimSpaces(line.substr(1)), &entry))
      return Fail("cannot read the value: " + PrintableExcerpt(line));
    m_entries->push_back(std::move(entry));
    return true;
  }

  std::vector<RegFileEntry>* m_entries;
  std::string* m_error;
  int m_line = 0;
  bool m_sawHeader = false;
  bool m_inKey = false;  // false before any key and after a [-key]
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

}  // namespace

bool ExportRegFile(IRegistry& registry, HKEY hive, const std::string& subKey, const std::string& display,
                   std::ostream& out, std::string* error) {
  HKEY key = 0;
  const LONG status = registry.OpenKey(hive, subKey, KEY_READ, &key);
  if (status != ERROR_SUCCESS) {
    *error = "cannot read " + display + ": " + RegistryStatusText(status);
    return false;
  }
  out << kHeader << "\n";
  const bool exported = ExportKey(registry, key, display, out, error);
  registry.CloseKey(key);
  if (exported) out << "\n";
  return exported;
}

bool ParseRegFile(std::istream& in, std::vector<RegFileEntry>* entries, std::string* error) {
  RegFileReader reader(entries, error);
  std::string line, logical;
  int number = 0, start = 0;
  while (std::getline(in, line)) {
    ++number;
    if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    if (logical.empty()) start = number;
    const std::string_view trimmed = TrimSpaces(line);
    // A hex list may go on on the next line after a backslash.
    if (trimmed.ends_with('\\') && (!logical.empty() || trimmed.find("=hex") != std::string_view::npos)) {
      logical += trimmed.substr(0, trimmed.size() - 1);
      continue;
    }
    logical += logical.empty() ? std::string(line) : std::string(trimmed);
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
      *error = "line " + std::to_string(entry.line) + ": cannot write " + EntryKey(entry) +
               (entry.name.empty() ? "" : " \"" + entry.name + "\"") + ": " + RegistryStatusText(status) +
               "; nothing was imported";
      return false;
    }
  }
  const LONG status = registry.CommitBatch();
  if (status != ERROR_SUCCESS) *error = "cannot commit the import: " + RegistryStatusText(status) + "; nothing was imported";
  return status == ERROR_SUCCESS;
}

}  // namespace zf::cli
