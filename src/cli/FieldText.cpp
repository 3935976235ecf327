// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/FieldText.h"

#include <cctype>
#include <limits>
#include <optional>
#include <vector>

#include "cli/CliText.h"
#include "core/WholeNumber.h"

namespace zf::cli {
namespace {

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::optional<bool> OnOff(std::string_view text) {
  for (std::string_view on : {"on", "true", "1"})
    if (SameWord(text, on)) return true;
  for (std::string_view off : {"off", "false", "0"})
    if (SameWord(text, off)) return false;
  return std::nullopt;
}

// "A, B or C" of the fields of one kind, or "A, B, C" of all when all is set.
std::string NamesOf(bool switches, bool all) {
  std::vector<std::string_view> names;
  for (const TuningFieldInfo& field : kTuningFields)
    if (all || (field.kind == FieldKind::OnOff) == switches) names.push_back(field.name);
  std::string text;
  for (std::size_t i = 0; i + 1 < names.size(); ++i) text += (i > 0 ? ", " : "") + std::string(names[i]);
  if (names.size() < 2) return text + std::string(names.empty() ? "" : names.back());
  return all ? text + ", " + std::string(names.back()) : Say("%1 or %2", text, names.back());
}

}  // namespace

std::string FieldText(const TcpSettings& settings, const TuningFieldInfo& field) {
  const std::int64_t value = FieldValue(settings, field.id);
  if (field.kind == FieldKind::OnOff) return value != 0 ? "on" : "off";
  return std::to_string(value);
}

std::string SetFieldFromAssignment(TcpSettings& settings, std::string_view assignment) {
  const std::size_t equals = assignment.find('=');
  const auto id = FieldNamed(assignment.substr(0, equals));
  if (equals == std::string_view::npos || !id)
    return Say("--set wants FIELD=VALUE with FIELD one of %1; not \"%2\"", NamesOf(false, true), assignment);
  const TuningFieldInfo& field = FieldInfo(*id);
  const std::string_view text = assignment.substr(equals + 1);
  switch (field.kind) {
    case FieldKind::OnOff: {
      const auto on = OnOff(text);
      if (!on) return Say("--set %1: \"%2\" is not on or off", field.name, text);
      SetFieldValue(settings, field.id, *on ? 1 : 0);
      return {};
    }
    case FieldKind::Whole16: {
      const auto n = ParseWholeNumber(text, WholeNumberForm::Signed, std::numeric_limits<std::int16_t>::min(),
                                      std::numeric_limits<std::int16_t>::max());
      if (!n) return Say("--set %1: \"%2\" is not a 16-bit whole number", field.name, text);
      SetFieldValue(settings, field.id, *n);
      return {};
    }
    case FieldKind::Whole32: break;
  }
  const auto n = ParseWholeNumber(text, WholeNumberForm::Signed, std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max());
  if (!n) return Say("--set %1: \"%2\" is not a 32-bit whole number", field.name, text);
  SetFieldValue(settings, field.id, *n);
  return {};
}

std::string FieldHelp() {
  return Say("FIELD is %1 (whole numbers; MTU or RWIN of -1 removes the value), or %2 (on or off).",
             NamesOf(false, false), NamesOf(true, false));
}

}  // namespace zf::cli
