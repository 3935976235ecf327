// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/WholeNumber.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace zf {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The digits of a Typed number with its '+' taken off; empty for "+-1".
std::optional<std::string_view> WithoutPlus(std::string_view text) {
  if (!text.starts_with('+')) return text;
  text.remove_prefix(1);
  if (text.starts_with('-')) return std::nullopt;
  return text;
}

std::optional<std::int64_t> DecimalInteger(std::string_view text, std::int64_t lowest, std::int64_t highest) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < lowest || value > highest) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::int64_t> ParseWholeNumber(std::string_view text, WholeNumberForm form, std::int64_t lowest,
                                             std::int64_t highest) {
  switch (form) {
    case WholeNumberForm::Digits:
      if (text.starts_with('-')) return std::nullopt;
      break;
    case WholeNumberForm::Signed: break;
    case WholeNumberForm::Typed: {
      const auto digits = WithoutPlus(TrimBlanks(text));
      if (!digits) return std::nullopt;
      text = *digits;
      break;
    }
    case WholeNumberForm::RoundedDecimal: {
      const auto number = ParseNumber(text);
      if (!number) return std::nullopt;
      return WholeNumberIn(*number, lowest, highest);
    }
  }
  return DecimalInteger(text, lowest, highest);
}

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

}  // namespace zf
