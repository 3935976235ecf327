// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/DesktopEntry.h"

#include <sstream>

namespace zf {
namespace {

constexpr std::string_view kReservedInQuotes = "\"`$\\";

// The escapes every string value of a desktop entry uses.
std::string EscapeStringValue(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::optional<std::string> UnescapeStringValue(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\': out += '\\'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 's': out += ' '; break;
      default: return std::nullopt;
    }
  }
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string QuoteExecArgument(std::string_view argument) {
  std::string quoted = "\"";
  for (char c : argument) {
    if (kReservedInQuotes.find(c) != std::string_view::npos) quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  return EscapeStringValue(quoted);
}

std::optional<std::string> FirstExecArgument(std::string_view execValue) {
  const auto unescaped = UnescapeStringValue(Trim(execValue));
  if (!unescaped || unescaped->empty()) return std::nullopt;
  const std::string& text = *unescaped;
  std::string argument;
  if (text.front() != '"') {
    for (std::size_t i = 0; i < text.size() && text[i] != ' '; ++i) {
      if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
      argument += text[i];
    }
    return argument;
  }
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') return argument;
    if (c == '\\') {
      if (++i == text.size() || kReservedInQuotes.find(text[i]) == std::string_view::npos) return std::nullopt;
      argument += text[i];
    } else if (c == '%') {
      if (++i == text.size() || text[i] != '%') return std::nullopt;
      argument += '%';
    } else {
      argument += c;
    }
  }
  return std::nullopt;  // no closing quote
}

std::string AutoStartEntry(std::string_view name, std::string_view programPath) {
  std::ostringstream entry;
  entry << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=" << EscapeStringValue(name) << "\n"
        << "Comment=Connection tuning, keep-alive pinger and memory monitor\n"
        << "Exec=" << QuoteExecArgument(programPath) << "\n"
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
  return entry.str();
}

std::optional<std::string> ExecValue(std::string_view entryText) {
  std::istringstream lines{std::string(entryText)};
  std::string line;
  bool inMainGroup = false;
  while (std::getline(lines, line)) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.starts_with('[')) {
      inMainGroup = trimmed == "[Desktop Entry]";
      continue;
    }
    if (!inMainGroup) continue;
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos || Trim(trimmed.substr(0, equals)) != "Exec") continue;
    return std::string(Trim(trimmed.substr(equals + 1)));
  }
  return std::nullopt;
}

}  // namespace zf
