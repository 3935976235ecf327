#include "memory/Rounding.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace zf {

std::optional<double> ParseNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // from_chars also takes "inf" and "nan"; a number here starts with a digit or a point.
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.'))
    return std::nullopt;
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) return std::nullopt;
  return negative ? -number : number;
}

std::optional<std::int64_t> WholeNumberIn(double number, std::int64_t minimum, std::int64_t maximum) {
  const double whole = std::nearbyint(number);  // the default rounding mode: ties to even
  // Outside the 64-bit range first, so that the conversion below is always defined.
  if (!(whole >= -0x1p63 && whole < 0x1p63)) return std::nullopt;
  const auto value = static_cast<std::int64_t>(whole);
  if (value < minimum || value > maximum) return std::nullopt;
  return value;
}

std::optional<std::int64_t> ParseWholeNumberIn(std::string_view text, std::int64_t minimum, std::int64_t maximum) {
  const auto number = ParseNumber(text);
  if (!number) return std::nullopt;
  return WholeNumberIn(*number, minimum, maximum);
}

}  // namespace zf
