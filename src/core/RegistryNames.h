// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How registry key and value names compare: without regard to case, as the registry does.
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace zf {

// "HKEY_LOCAL_MACHINE" for HKEY_LOCAL_MACHINE; empty for anything that is not a hive.
std::string_view HiveName(HKEY hive);
// The hive named by a long name or a short form ("HKLM", "HKU" or "HKUS"), in any case; 0 when
// the name is no hive.
HKEY HiveByName(std::string_view name);

// The name in the form names are compared and ordered by: every letter upper-cased (UTF-8
// aware; bytes that are not valid UTF-8 stay as they are). Byte order of folded names is the
// registry's case-insensitive alphabetical order.
std::string FoldName(std::string_view name);

// Drops one trailing backslash ("A\B\" names A\B); false when any name in the path is empty, the
// first one included (a path beginning with a backslash).
bool TrimKeyPath(std::string_view* path);
// Splits a relative key path into its names, trimmed as TrimKeyPath does; false when a name is
// empty ("A\\B", "\\A").
bool SplitKeyPath(std::string_view path, std::vector<std::string_view>* names);

}  // namespace zf
