#pragma once
// Whole-number arithmetic with the program's rounding: to the nearest, ties to the even one.
#include <cstdint>
#include <optional>
#include <string_view>

namespace zf {

// a / b rounded to the nearest whole number, ties to the even one; b must not be 0.
template <typename T>
constexpr T DivideHalfEven(T a, T b) {
  if (b < 0) return DivideHalfEven<T>(-a, -b);
  const T quotient = a / b;
  const T twiceRest = (a % b) * 2;
  const bool odd = quotient % 2 != 0;
  if (twiceRest > b || (twiceRest == b && odd)) return quotient + 1;
  if (-twiceRest > b || (-twiceRest == b && odd)) return quotient - 1;
  return quotient;
}

// A decimal number as a user types it ("12", " -3.5 ", "+1e3"); empty when the text is not
// one finite number.
std::optional<double> ParseNumber(std::string_view text);

// The number rounded to a whole one (ties to even); empty outside [minimum, maximum].
std::optional<std::int64_t> WholeNumberIn(double number, std::int64_t minimum, std::int64_t maximum);

// The text as a whole number in [minimum, maximum]; empty when it is no number or out of range.
std::optional<std::int64_t> ParseWholeNumberIn(std::string_view text, std::int64_t minimum, std::int64_t maximum);

// Bytes to KB, then KB to MB, each step rounded: how every screen shows a memory figure.
constexpr std::int64_t BytesToMB(std::int64_t bytes) {
  return DivideHalfEven<std::int64_t>(DivideHalfEven<std::int64_t>(bytes, 1024), 1024);
}

inline constexpr std::int64_t kBytesPerMB = 1048576;

}  // namespace zf
