// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Desktop Entry files for the per-user auto-start folder: quoting of the Exec key and reading
// the program back out of it.
#include <optional>
#include <string>
#include <string_view>

namespace zf {

// One argument of an Exec key: always double-quoted, with the quoting rules' escapes, "%" as
// "%%" and the string-value escapes on top (a backslash in the path ends up as four).
std::string QuoteExecArgument(std::string_view argument);
// The first argument of an Exec value as written by QuoteExecArgument (or left unquoted by
// someone else); empty when the value is malformed.
std::optional<std::string> FirstExecArgument(std::string_view execValue);

// A complete auto-start entry that starts programPath; whether it starts in the tray is the
// stored start-hidden option's choice, as for every other start.
std::string AutoStartEntry(std::string_view name, std::string_view programPath);
// The value of Exec in the [Desktop Entry] group of a file's text; empty when there is none.
std::optional<std::string> ExecValue(std::string_view entryText);

}  // namespace zf
