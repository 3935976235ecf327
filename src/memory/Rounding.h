// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole-number arithmetic with the program's rounding: to the nearest, ties to the even one.
#include <cstdint>

#include "core/WholeNumber.h"

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

// Bytes to KB, then KB to MB, each step rounded: how every screen shows a memory figure.
constexpr std::int64_t BytesToMB(std::int64_t bytes) {
  return DivideHalfEven<std::int64_t>(DivideHalfEven<std::int64_t>(bytes, 1024), 1024);
}

inline constexpr std::int64_t kBytesPerMB = 1048576;

}  // namespace zf
