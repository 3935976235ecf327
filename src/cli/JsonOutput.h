// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// --json output: one object per run, snake_case names, numbers as numbers (docs/JSON.md).
#include <nlohmann/json.hpp>
#include <ostream>

namespace zf::cli {

// Fields keep the order they were added in, so the output reads like the documentation.
using JsonObject = nlohmann::ordered_json;

// Indented, with a line end. Text that is not UTF-8 (a name in a store, a target typed in) shows
// U+FFFD where it breaks instead of ending the program.
template <class Json>
void PrintJson(std::ostream& out, const Json& value) {
  out << value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

}  // namespace zf::cli
