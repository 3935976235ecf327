// SPDX-License-Identifier: GPL-3.0-or-later
// Writing .reg files in either format.
#include "cli/RegEditFile.h"

#include <cstdio>
#include <optional>
#include <ostream>
#include <vector>

#include "cli/CliText.h"
#include "cli/RegEncoding.h"
#include "core/RegistryLimits.h"
#include "core/RegistryStatus.h"

namespace zf::cli {
namespace {

constexpr std::size_t kHexLineWidth = 76;
constexpr std::string_view kLineEnd = "\r\n";

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

std::string_view AsText(const std::vector<std::uint8_t>& data) {
  return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// "..." with backslash escapes; version 5.00 files spell line breaks \r and \n, as Wine's editor
// reads and writes them. REGEDIT4 has no such escapes: callers keep line breaks out of it.
std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      (quoted += '\\') += c == '\r' ? 'r' : 'n';
      continue;
    }
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// Text that "..." can carry exactly: one NUL at the end and nowhere else, and in REGEDIT4 no line
// break.
std::optional<std::string_view> PlainText(RegFileFormat format, std::uint32_t type,
                                          const std::vector<std::uint8_t>& data) {
  if (type != REG_SZ || data.empty() || data.back() != 0) return std::nullopt;
  const std::string_view text = AsText(data).substr(0, data.size() - 1);
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  if (format == RegFileFormat::Regedit4 && HasLineBreak(text)) return std::nullopt;
  return text;
}

bool IsTextType(std::uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::string HexData(std::string prefix, std::string_view data) {
  std::string line = std::move(prefix);
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(data[i]));
    line += byte;
    if (i + 1 == data.size()) break;
    line += ',';
    if (line.size() - lineStart > kHexLineWidth) {
      line += "\\";
      line += kLineEnd;
      line += "  ";
      lineStart = line.size() - 2;
    }
  }
  return line;
}

std::string HexPrefix(std::uint32_t type) {
  if (type == REG_BINARY) return "hex:";
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
  return prefix;
}

// Makes the file one key at a time and hands each key's lines on: version 5.00 as UTF-8 turned
// into UTF-16LE on the way out, REGEDIT4 directly in its code page.
class RegFileWriter {
 public:
  RegFileWriter(RegFileFormat format, const RegFileSink& sink) : m_format(format), m_sink(sink) {
    Line(format == RegFileFormat::Version5 ? "Windows Registry Editor Version 5.00" : "REGEDIT4");
  }

  // The key and everything below it, depth first, each key before its subkeys. A loop rather than
  // recursion: however deep a store is, the export cannot run out of stack. The levels share one
  // display path, cut back as the walk climbs, so its memory grows with the depth, not its square.
  bool WriteTree(IRegistry& registry, HKEY top, const std::string& topDisplay, std::string* error) {
    struct Level {
      HKEY key;
      std::size_t displayLength;
      std::uint32_t nextSubkey = 0;
    };
    std::string display = topDisplay;
    if (!WriteKey(registry, top, display, error)) return false;
    std::vector<Level> levels{{top, display.size()}};
    bool written = true;
    std::string name;
    while (written && !levels.empty()) {
      Level& level = levels.back();
      if (registry.EnumKey(level.key, level.nextSubkey++, &name) != ERROR_SUCCESS) {
        if (levels.size() > 1) registry.CloseKey(level.key);
        levels.pop_back();
        continue;
      }
      HKEY child = 0;
      display.resize(level.displayLength);
      (display += '\\') += name;
      const LONG status = registry.OpenKey(level.key, name, KEY_READ, &child);
      if (status != ERROR_SUCCESS) {
        *error = Say("cannot read %1: %2", PrintableExcerpt(display), Say(RegistryStatusText(status)));
        written = false;
        break;
      }
      levels.push_back({child, display.size()});
      written = WriteKey(registry, child, display, error);
    }
    for (std::size_t i = 1; i < levels.size(); ++i) registry.CloseKey(levels[i].key);
    return written;
  }

  // The file's last line: an empty one, as the registry editors write it.
  bool Finish(std::string* error) {
    Line("");
    return Flush(error);
  }

 private:
  bool WriteKey(IRegistry& registry, HKEY key, const std::string& display, std::string* error) {
    return WriteValues(registry, key, display, error) && Flush(error);
  }

  // Hands the lines made so far on. Every line is whole UTF-8 in version 5.00, so converting
  // them piece by piece gives the bytes converting the whole file would.
  bool Flush(std::string* error) {
    bool handed = true;
    if (m_format == RegFileFormat::Regedit4) {
      handed = m_sink(m_text);
    } else {
      const auto utf16 = Utf8ToUtf16(m_text);
      if (!utf16) return Refuse(Say("a key"), Say("its text is not UTF-8"), error);
      handed = m_sink((m_atStart ? "\xFF\xFE" : "") + Utf16ToLittleEndianBytes(*utf16));
    }
    m_atStart = false;
    m_text.clear();
    return handed;
  }

  // The key line and the values of one key.
  bool WriteValues(IRegistry& registry, HKEY key, const std::string& display, std::string* error) {
    const auto path = Name(display);
    if (!path) return Refuse(Say("the key \"%1\"", PrintableExcerpt(display)), NameProblem(), error);
    Line("");
    Line("[" + *path + "]");
    std::string name;
    for (std::uint32_t i = 0; registry.EnumValue(key, i, &name) == ERROR_SUCCESS; ++i) {
      std::uint32_t type = 0;
      std::vector<std::uint8_t> data;
      const std::string label = Say("the value \"%1\" of %2", PrintableExcerpt(name), PrintableExcerpt(display));
      if (registry.QueryValue(key, name, &type, &data) != ERROR_SUCCESS) {
        *error = Say("cannot read %1", label);
        return false;
      }
      const auto fileName = name.empty() ? std::optional<std::string>("@") : Name(name);
      if (!fileName) return Refuse(label, NameProblem(), error);
      const auto fileData = ValueData(type, data);
      if (!fileData) return Refuse(label, TextProblem(), error);
      Line((name.empty() ? *fileName : Quote(*fileName)) + "=" + *fileData);
    }
    return true;
  }

  void Line(const std::string& text) { (m_text += text) += kLineEnd; }

  std::string NameProblem() const {
    return m_format == RegFileFormat::Regedit4
               ? Say("REGEDIT4 has no room for its name (a line break or a character outside Windows-1252); "
                     "export it without --regedit4")
               : Say("its name holds a line break or is not UTF-8");
  }

  // REGEDIT4 text is code-page bytes to every registry editor: a text the code page cannot carry
  // would come back as other characters, so it is refused rather than written wrong.
  std::string TextProblem() const {
    return m_format == RegFileFormat::Regedit4
               ? Say("its text has a character outside Windows-1252 (or code-page bytes that would read back as "
                     "other text), which a REGEDIT4 file cannot carry; export it without --regedit4 (the version "
                     "5.00 format keeps every character)")
               : Say("its text is not UTF-8");
  }

  static bool Refuse(const std::string& what, const std::string& problem, std::string* error) {
    *error = Say("cannot export %1: %2", what, problem);
    return false;
  }

  // A key or value name as the file spells it: no name may hold a line break.
  std::optional<std::string> Name(std::string_view name) const {
    return HasLineBreak(name) ? std::nullopt : Spelled(name);
  }

  // A name or text as the file spells it between quotes or brackets; empty when the format
  // cannot carry it.
  std::optional<std::string> Spelled(std::string_view text) const {
    if (m_format == RegFileFormat::Regedit4) return HasLineBreak(text) ? std::nullopt : Utf8ToRegedit4Text(text);
    return IsUtf8(text) ? std::optional<std::string>(text) : std::nullopt;
  }

  std::optional<std::string> ValueData(std::uint32_t type, const std::vector<std::uint8_t>& data) const {
    if (type == REG_DWORD && data.size() == 4) {
      char number[16];
      std::snprintf(number, sizeof number, "dword:%08x",
                    data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<unsigned>(data[3]) << 24));
      return number;
    }
    if (!IsTextType(type)) return HexData(HexPrefix(type), AsText(data));
    if (const auto plain = PlainText(m_format, type, data)) {
      if (const auto quoted = Spelled(*plain)) return Quote(*quoted);
    }
    if (m_format == RegFileFormat::Regedit4) {
      const auto bytes = Utf8ToRegedit4Text(AsText(data));
      if (!bytes) return std::nullopt;
      return HexData(HexPrefix(type), *bytes);
    }
    const auto utf16 = Utf8ToUtf16(AsText(data));
    if (!utf16) return std::nullopt;
    return HexData(HexPrefix(type), Utf16ToLittleEndianBytes(*utf16));
  }

  RegFileFormat m_format;
  const RegFileSink& m_sink;
  std::string m_text;     // the lines not yet handed on
  bool m_atStart = true;  // the byte-order mark is still to come
};

}  // namespace

bool ExportRegFile(IRegistry& registry, HKEY hive, const std::string& subKey, const std::string& display,
                   RegFileFormat format, const RegFileSink& sink, std::string* error) {
  HKEY key = 0;
  const LONG status = registry.OpenKey(hive, subKey, KEY_READ, &key);
  if (status != ERROR_SUCCESS) {
    *error = Say("cannot read %1: %2", display, Say(RegistryStatusText(status)));
    return false;
  }
  RegFileWriter writer(format, sink);
  const bool written = writer.WriteTree(registry, key, display, error) && writer.Finish(error);
  registry.CloseKey(key);
  return written;
}

bool ExportRegFile(IRegistry& registry, HKEY hive, const std::string& subKey, const std::string& display,
                   RegFileFormat format, std::ostream& out, std::string* error) {
  bool refused = false;
  const RegFileSink sink = [&out, &refused](std::string_view bytes) {
    refused = !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return !refused;
  };
  const bool written = ExportRegFile(registry, hive, subKey, display, format, sink, error);
  if (refused) *error = Say("cannot write the export");
  return written;
}

}  // namespace zf::cli
