// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RegScalar.h"

#include <charconv>
#include <limits>

namespace zf {

std::string RegScalar::ToText() const {
  if (const auto* number = std::get_if<std::int64_t>(&m_value)) return std::to_string(*number);
  return std::get<std::string>(m_value);
}

std::optional<std::int32_t> RegScalar::ToInt32() const {
  std::int64_t number = 0;
  if (const auto* n = std::get_if<std::int64_t>(&m_value)) {
    number = *n;
  } else {
    const std::string& text = std::get<std::string>(m_value);
    const char* first = text.data();
    const char* last = text.data() + text.size();
    while (first < last && *first == ' ') ++first;
    if (first < last && *first == '+') ++first;
    auto [end, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || end != last || first == last) return std::nullopt;
  }
  if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(number);
}

}  // namespace zf
