// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry's own bounds on names and depth, and the characters no name may hold (a name with
// a line break could never be written to a line-based file and read back).
#include <cstddef>
#include <string>
#include <string_view>

namespace zf {

inline constexpr std::size_t kLongestKeyName = 255;      // characters
inline constexpr std::size_t kLongestValueName = 16383;  // characters
inline constexpr std::size_t kDeepestKey = 512;          // levels below the hive

// Why the key at subKey, below a key baseDepth levels deep, cannot be created; empty when it can.
std::string KeyPathProblem(std::string_view subKey, std::size_t baseDepth = 0);
// Why a value cannot have this name; empty when it can.
std::string ValueNameProblem(std::string_view name);

// The start of a text safe to show in a message: at most a few dozen characters, control
// characters as "?", and "..." where it was cut.
std::string PrintableExcerpt(std::string_view text);

}  // namespace zf
