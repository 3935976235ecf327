// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A scalar handed to the registry writers: an integer (Booleans as 0 and 1) or a text.
#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace zf {

class RegScalar {
 public:
  template <std::integral T>
  RegScalar(T value) : m_value(static_cast<std::int64_t>(value)) {}
  RegScalar(std::string text) : m_value(std::move(text)) {}
  RegScalar(const char* text) : m_value(std::string(text)) {}

  // Plain decimal for numbers, the text itself otherwise.
  std::string ToText() const;
  // The value as a signed 32-bit number; empty when it is out of range or a text that is not
  // a whole decimal number.
  std::optional<std::int32_t> ToInt32() const;

 private:
  std::variant<std::int64_t, std::string> m_value;
};

}  // namespace zf
