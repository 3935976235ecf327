// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The items of a backup file: one per CR LF line, texts in double quotes, numbers in decimal,
// dates and times between number signs. Other implementations read these bytes, so they are fixed.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zf {

// The local date and time of day a backup was taken.
struct BackupStamp {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;

  static BackupStamp FromLocalTime(std::chrono::system_clock::time_point when);
  std::string DateText() const;  // "2026-12-07"
  std::string TimeText() const;  // "09:05:03"
  bool operator==(const BackupStamp&) const = default;
};

struct BackupHeader {
  BackupStamp taken;
  std::int16_t familyCode = 0;
};

// A recorded value as its value line shows it: plain digits up to 15 of them, beyond that
// 15 significant digits in exponent form ("1.23456789012346E+17").
std::string FormatBackupValue(double value);

class BackupTextWriter {
 public:
  void Header(const BackupStamp& taken, std::int16_t familyCode);
  void Text(std::string_view text);
  void Value(double value);
  const std::string& bytes() const { return m_bytes; }

 private:
  void Line(std::string_view line);
  std::string m_bytes;
};

// A backup's lines one at a time, without their line ends. A line longer than kLongestBackupLine
// may come back cut to one byte more than that, which the reader refuses.
inline constexpr std::size_t kLongestBackupLine = 4096;

class BackupLineSource {
 public:
  virtual ~BackupLineSource() = default;
  // Empty at the end of the file, or when reading failed (error() then says why).
  virtual std::optional<std::string_view> NextLine() = 0;
  virtual std::string error() const { return {}; }
};

// The lines of bytes already in memory.
class BackupBytesLines final : public BackupLineSource {
 public:
  explicit BackupBytesLines(std::string_view bytes) : m_rest(bytes) {}
  std::optional<std::string_view> NextLine() override;

 private:
  std::string_view m_rest;
};

// Reads items in file order. Each read either yields the item, reports the end of the file, or
// reports an error whose description names the line.
class BackupTextReader {
 public:
  enum class Status { Ok, End, Error };

  explicit BackupTextReader(BackupLineSource& lines) : m_lines(lines) {}

  Status ReadHeader(BackupHeader* header);
  // An empty line reads as the empty text.
  Status ReadText(std::string* text);
  // Signed 32-bit values, and 2147483648 to 4294967295 as the 32-bit pattern of a REG_DWORD
  // with its top bit set (4294967291 reads as -5).
  Status ReadValue(std::int32_t* value);
  const std::string& error() const { return m_error; }
  // How many lines were read so far.
  std::size_t lineNumber() const { return m_lineNumber; }

 private:
  // Empty at the end; sets the error when a read failed or the line is too long.
  std::optional<std::string_view> NextLine();
  Status AtEnd();
  // Describes the error at the line just read, or at no line.
  Status Fail(std::string message, bool atLine = true);

  BackupLineSource& m_lines;
  std::size_t m_lineNumber = 0;
  bool m_failed = false;
  std::string m_error;
};

// At most a short, printable excerpt of a line in double quotes, for messages: other bytes
// show as \xNN, and a long line ends in "...".
std::string QuotedExcerpt(std::string_view line);

}  // namespace zf
