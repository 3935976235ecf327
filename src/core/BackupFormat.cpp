// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/BackupFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

namespace zf {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kQuotedLength = 40;  // how much of a bad line an error message repeats
constexpr std::int64_t kLargestDwordPattern = 0xFFFFFFFFll;

std::string TwoDigits(int n) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d", n);
  return buffer;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Digits only, exactly as many as the field has.
std::optional<int> Field(std::string_view text, std::size_t at, std::size_t digits) {
  int value = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool ParseDate(std::string_view line, BackupStamp* stamp) {
  if (line.size() != 12 || line[0] != '#' || line[5] != '-' || line[8] != '-' || line[11] != '#') return false;
  auto year = Field(line, 1, 4), month = Field(line, 6, 2), day = Field(line, 9, 2);
  if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month))
    return false;
  stamp->year = *year;
  stamp->month = *month;
  stamp->day = *day;
  return true;
}

bool ParseTime(std::string_view line, BackupStamp* stamp) {
  if (line.size() != 10 || line[0] != '#' || line[3] != ':' || line[6] != ':' || line[9] != '#') return false;
  auto hour = Field(line, 1, 2), minute = Field(line, 4, 2), second = Field(line, 7, 2);
  if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59) return false;
  stamp->hour = *hour;
  stamp->minute = *minute;
  stamp->second = *second;
  return true;
}

// An optional minus sign and decimal digits, nothing else.
bool IsDecimalInteger(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

BackupStamp BackupStamp::FromLocalTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  return BackupStamp{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string BackupStamp::DateText() const {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
  return buffer;
}

std::string BackupStamp::TimeText() const {
  return TwoDigits(hour) + ":" + TwoDigits(minute) + ":" + TwoDigits(second);
}

std::string FormatBackupValue(double value) {
  // A read that overflowed has no digits; readers refuse this line like any other non-number.
  if (!std::isfinite(value)) return "INF";
  char buffer[64];
  if (std::fabs(value) < 1e15) {
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
  }
  std::snprintf(buffer, sizeof buffer, "%.14E", value);
  std::string text = buffer;
  const std::size_t exponent = text.find('E');
  std::string mantissa = text.substr(0, exponent);
  while (mantissa.ends_with('0')) mantissa.pop_back();
  if (mantissa.ends_with('.')) mantissa.pop_back();
  return mantissa + text.substr(exponent);
}

void BackupTextWriter::Line(std::string_view line) {
  m_bytes += line;
  m_bytes += kLineEnd;
}

void BackupTextWriter::Header(const BackupStamp& taken, std::int16_t familyCode) {
  Line("#" + taken.DateText() + "#");
  Line("#" + taken.TimeText() + "#");
  Line(std::to_string(familyCode));
}

void BackupTextWriter::Text(std::string_view text) { Line("\"" + std::string(text) + "\""); }

void BackupTextWriter::Value(double value) { Line(FormatBackupValue(value)); }

std::string QuotedExcerpt(std::string_view line) {
  std::string quoted = "\"";
  for (const char c : line.substr(0, kQuotedLength)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      quoted += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      quoted += escaped;
    }
  }
  return quoted + (line.size() > kQuotedLength ? "...\"" : "\"");
}

std::optional<std::string_view> BackupBytesLines::NextLine() {
  if (m_rest.empty()) return std::nullopt;
  const std::size_t end = m_rest.find('\n');
  std::string_view line = m_rest.substr(0, end);
  m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end + 1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

std::optional<std::string_view> BackupTextReader::NextLine() {
  if (m_failed) return std::nullopt;
  const auto line = m_lines.NextLine();
  if (!line) {
    if (const std::string error = m_lines.error(); !error.empty()) {
      m_failed = true;
      Fail(error, false);
    }
    return std::nullopt;
  }
  ++m_lineNumber;
  if (line->size() > kLongestBackupLine) {
    m_failed = true;
    Fail("the line is longer than " + std::to_string(kLongestBackupLine) + " bytes");
    return std::nullopt;
  }
  return line;
}

BackupTextReader::Status BackupTextReader::AtEnd() { return m_failed ? Status::Error : Status::End; }

BackupTextReader::Status BackupTextReader::Fail(std::string message, bool atLine) {
  m_error = atLine ? "line " + std::to_string(m_lineNumber) + ": " + std::move(message) : std::move(message);
  return Status::Error;
}

BackupTextReader::Status BackupTextReader::ReadHeader(BackupHeader* header) {
  constexpr const char* kShort = "the file ends before its header (date, time and OS family code) is complete";
  const auto date = NextLine();
  if (!date) return m_failed ? Status::Error : Fail(kShort, false);
  if (!ParseDate(*date, &header->taken)) return Fail(QuotedExcerpt(*date) + " is not a date like #2026-12-07#");
  const auto time = NextLine();
  if (!time) return m_failed ? Status::Error : Fail(kShort, false);
  if (!ParseTime(*time, &header->taken)) return Fail(QuotedExcerpt(*time) + " is not a time like #09:05:03#");
  const auto family = NextLine();
  if (!family) return m_failed ? Status::Error : Fail(kShort, false);
  int code = 0;
  if (!IsDecimalInteger(*family) ||
      std::from_chars(family->data(), family->data() + family->size(), code).ec != std::errc() ||
      code < std::numeric_limits<std::int16_t>::min() || code > std::numeric_limits<std::int16_t>::max())
    return Fail(QuotedExcerpt(*family) + " is not an OS family code");
  header->familyCode = static_cast<std::int16_t>(code);
  return Status::Ok;
}

BackupTextReader::Status BackupTextReader::ReadText(std::string* text) {
  const auto line = NextLine();
  if (!line) return AtEnd();
  if (line->empty()) {
    text->clear();
    return Status::Ok;
  }
  if (line->size() < 2 || !line->starts_with('"') || !line->ends_with('"'))
    return Fail("expected a text in double quotes, found " + QuotedExcerpt(*line));
  *text = std::string(line->substr(1, line->size() - 2));
  return Status::Ok;
}

BackupTextReader::Status BackupTextReader::ReadValue(std::int32_t* value) {
  const auto line = NextLine();
  if (!line) return AtEnd();
  if (!IsDecimalInteger(*line)) return Fail(QuotedExcerpt(*line) + " is not a whole number");
  const bool negative = line->starts_with('-');
  std::int64_t number = 0;
  const auto parsed = std::from_chars(line->data(), line->data() + line->size(), number);
  if (parsed.ec != std::errc() || number > kLargestDwordPattern || number < std::numeric_limits<std::int32_t>::min())
    return Fail(QuotedExcerpt(*line) + (negative ? " is below -2147483648" : " is above 4294967295") +
                " and does not fit a 32-bit value");
  *value = static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
  return Status::Ok;
}

}  // namespace zf
