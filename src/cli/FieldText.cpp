// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/FieldText.h"

#include <cctype>
#include <limits>
#include <optional>
#include <vector>

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

// "A, B or C" of the fields of one kind, or of all when all is set.
std::string NamesOf(bool switches, bool all) {
  std::vector<std::string_view> names;
  for (const TuningFieldInfo& field : kTuningFields)
    if (all || (field.kind == FieldKind::OnOff) == switches) names.push_back(field.name);
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() && !all ? " or " : ", ";
    text += names[i];
  }
  return text;
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
    return "--set wants FIELD=VALUE with FIELD one of " + NamesOf(false, true) + "; not \"" + std::string(assignment) +
           "\"";
  const TuningFieldInfo& field = FieldInfo(*id);
  const std::string_view text = assignment.substr(equals + 1);
  const std::string complaint = "--set " + std::string(field.name) + ": \"" + std::string(text) + "\" is not ";
  switch (field.kind) {
    case FieldKind::OnOff: {
      const auto on = OnOff(text);
      if (!on) return complaint + "on or off";
      SetFieldValue(settings, field.id, *on ? 1 : 0);
      return {};
    }
    case FieldKind::Whole16: {
      const auto n = ParseWholeNumber(text, WholeNumberForm::Signed, std::numeric_limits<std::int16_t>::min(),
                                      std::numeric_limits<std::int16_t>::max());
      if (!n) return complaint + "a 16-bit whole number";
      SetFieldValue(settings, field.id, *n);
      return {};
    }
    case FieldKind::Whole32: break;
  }
  const auto n = ParseWholeNumber(text, WholeNumberForm::Signed, std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max());
  if (!n) return complaint + "a 32-bit whole number";
  SetFieldValue(settings, field.id, *n);
  return {};
}

std::string FieldHelp() {
  return "FIELD is " + NamesOf(false, false) + " (whole numbers; MTU or RWIN of -1 removes the value), or " +
         NamesOf(true, false) + " (on or off).";
}

}  // namespace zf::cli
