// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RegistryLimits.h"

#include <algorithm>
#include <vector>

#include "core/RegistryNames.h"

namespace zf {
namespace {

constexpr std::size_t kExcerptBytes = 40;

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Characters as UTF-8 counts them; a byte that is not UTF-8 counts as one.
std::size_t CharacterCount(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

bool HoldsForbiddenCharacter(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string NameProblem(std::string_view kind, std::string_view name, std::size_t longest) {
  const std::string label = "the " + std::string(kind) + " name \"" + PrintableExcerpt(name) + "\"";
  if (HoldsForbiddenCharacter(name)) return label + " holds a line break or NUL character, which no name may hold";
  const std::size_t length = CharacterCount(name);
  if (length > longest)
    return label + " is " + std::to_string(length) + " characters long; at most " + std::to_string(longest) +
           " are allowed";
  return {};
}

}  // namespace

std::string KeyPathProblem(std::string_view subKey, std::size_t baseDepth) {
  std::size_t depth = baseDepth;
  std::vector<std::string_view> names;
  SplitKeyPath(subKey, &names);
  for (std::string_view name : names) {
    if (std::string problem = NameProblem("key", name, kLongestKeyName); !problem.empty()) return problem;
    ++depth;
  }
  if (depth > kDeepestKey)
    return "the key \"" + PrintableExcerpt(subKey) + "\" would lie " + std::to_string(depth) +
           " levels deep; keys may lie at most " + std::to_string(kDeepestKey) + " levels below their hive";
  return {};
}

std::string ValueNameProblem(std::string_view name) { return NameProblem("value", name, kLongestValueName); }

std::string PrintableExcerpt(std::string_view text) {
  std::size_t end = std::min(text.size(), kExcerptBytes);
  while (end < text.size() && end > 0 && IsContinuationByte(text[end])) --end;  // never half a character
  std::string excerpt(text.substr(0, end));
  for (char& c : excerpt)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return end < text.size() ? excerpt + "..." : excerpt;
}

}  // namespace zf
