// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checks a program's JSON output with a parser other than the one that wrote it: python3's json
// module, strict (no NaN, no duplicate names), then Python statements over the parsed value.
#include <string>

namespace zf::test {

// checks are Python statements over j, the parsed value (asserts, mostly), with json, math, os
// and re imported and strict_types(value, {name: type}) at hand: it asserts that value is an
// object with exactly those names, each holding that type (int is never a bool, None allowed
// where the type is a tuple holding type(None)). "" when the JSON parses and the checks hold;
// otherwise what python3 said.
std::string CheckJsonWithPython(const std::string& json, const std::string& checks);

}  // namespace zf::test
