// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tuning fields as the command line reads and shows them: `apply --set FIELD=VALUE`, the
// `profiles` table and the help text, all from core's one list of fields.
#include <string>
#include <string_view>

#include "core/TuningFields.h"

namespace zf::cli {

// The field's value as the profiles table shows it: a whole number, or on/off.
std::string FieldText(const TcpSettings& settings, const TuningFieldInfo& field);
// Sets one field from "FIELD=VALUE" (the name without regard to letter case); returns the
// complaint when it cannot.
std::string SetFieldFromAssignment(TcpSettings& settings, std::string_view assignment);
// The sentence of `apply --help` that names every field.
std::string FieldHelp();

}  // namespace zf::cli
