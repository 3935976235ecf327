// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one parser of whole numbers, for each way the program lets one be written.
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace zf {

enum class WholeNumberForm {
  Digits,          // decimal digits only
  Signed,          // decimal digits after an optional '-'
  Typed,           // as a user types it: blanks (spaces, tabs) around, an optional '+' or '-'
  RoundedDecimal,  // any finite decimal number (spaces around, sign, fraction, exponent), rounded
};

// The text as a whole number of that form in [lowest, highest]; empty when it is not one or
// lies outside. RoundedDecimal rounds to the nearest whole number, ties to the even one.
std::optional<std::int64_t> ParseWholeNumber(std::string_view text, WholeNumberForm form,
                                             std::int64_t lowest = std::numeric_limits<std::int64_t>::min(),
                                             std::int64_t highest = std::numeric_limits<std::int64_t>::max());

// A decimal number as a user types it ("12", " -3.5 ", "+1e3"); empty when the text is not
// one finite number.
std::optional<double> ParseNumber(std::string_view text);

// The number rounded to a whole one (ties to even); empty outside [minimum, maximum].
std::optional<std::int64_t> WholeNumberIn(double number, std::int64_t minimum, std::int64_t maximum);

}  // namespace zf
