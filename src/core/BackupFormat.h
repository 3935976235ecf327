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

// Reads items in file order. Each read either yields the item, reports the end of the file, or
// reports an error whose description names the line.
class BackupTextReader {
 public:
  enum class Status { Ok, End, Error };

  explicit BackupTextReader(std::string_view bytes);

  Status ReadHeader(BackupHeader* header);
  // An empty line reads as the empty text.
  Status ReadText(std::string* text);
  Status ReadValue(std::int32_t* value);
  const std::string& error() const { return m_error; }

 private:
  std::optional<std::string_view> NextLine();
  // Describes the error at the line just read, or at no line.
  Status Fail(std::string message, bool atLine = true);

  std::vector<std::string_view> m_lines;
  std::size_t m_next = 0;
  std::string m_error;
};

}  // namespace zf
