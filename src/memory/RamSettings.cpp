// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/RamSettings.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/WholeNumber.h"

namespace zf {
namespace {

const std::string kSection = SettingsSection(kSectionRamSettings);

std::optional<bool> ParseWord(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  if (lower == "true") return true;
  if (lower == "false") return false;
  return std::nullopt;
}

const char* Word(bool value) { return value ? "True" : "False"; }

class Reader {
 public:
  explicit Reader(RegistrySettings& settings) : m_settings(settings) {}

  bool CheckState(std::string_view name, bool fallback) {
    const auto state = ParseWholeNumber(Text(name, fallback ? "1" : "0"), WholeNumberForm::RoundedDecimal, 0, 1);
    return state ? *state == 1 : fallback;
  }
  std::string LevelText(std::string_view name, const std::string& fallback, bool (*valid)(std::string_view)) {
    std::string text = Text(name, fallback);
    return valid(text) ? text : fallback;
  }
  int Number(std::string_view name, int fallback, int maximum) {
    return static_cast<int>(
        ParseWholeNumber(Text(name, std::to_string(fallback)), WholeNumberForm::RoundedDecimal, 0, maximum)
            .value_or(fallback));
  }
  std::optional<bool> Option(std::string_view name, const char* fallback) { return ParseWord(Text(name, fallback)); }

 private:
  std::string Text(std::string_view name, const std::string& fallback) {
    return m_settings.GetMachineSetting(kSection, name, fallback);
  }
  RegistrySettings& m_settings;
};

}  // namespace

bool IsValidAlarmText(std::string_view text) {
  return ParseWholeNumber(text, WholeNumberForm::RoundedDecimal, 0, kMaxAlarmLevelMB).has_value();
}

bool IsValidFreeAlarmText(std::string_view text) {
  return ParseWholeNumber(text, WholeNumberForm::RoundedDecimal, 0, kMaxFreeLevelMB).has_value();
}

std::int64_t LevelMB(std::string_view text, std::int64_t fallback) {
  return ParseWholeNumber(text, WholeNumberForm::RoundedDecimal, 0, kMaxAlarmLevelMB).value_or(fallback);
}

RamSettings ReadRamSettings(RegistrySettings& settings) {
  const RamSettings defaults;
  Reader reader(settings);
  RamSettings values;
  values.chkSoundon = reader.CheckState("chkSoundon", defaults.chkSoundon);
  values.chkAutomatic = reader.CheckState("chkAutomatic", defaults.chkAutomatic);
  values.txtAlarm = reader.LevelText("txtAlarm", defaults.txtAlarm, IsValidAlarmText);
  values.txtFreeAlarm = reader.LevelText("txtFreeAlarm", defaults.txtFreeAlarm, IsValidFreeAlarmText);
  values.txtTimeCheck = reader.Number("txtTimeCheck", defaults.txtTimeCheck, kMaxCheckInterval);
  const bool percent = reader.Option("optPer", "false").value_or(false);
  const bool megabytes = reader.Option("optMB", "true").value_or(true);
  // Selecting "Free RAM in MB" after "Percentage" wins; with neither selected, MB stands.
  values.optPer = percent && !megabytes;
  const int maximum = SpinMaximum(values.optPer);
  values.txtRunOnly = reader.Number("txtRunOnly", defaults.txtRunOnly, maximum);
  values.txtRetryOptimization = reader.Number("txtRetryOptimization", defaults.txtRetryOptimization, maximum);
  return values;
}

void WriteRamSettings(RegistrySettings& settings, const RamSettings& values) {
  settings.SaveMachineSetting(kSection, "chkSoundon", values.chkSoundon ? 1 : 0);
  settings.SaveMachineSetting(kSection, "chkAutomatic", values.chkAutomatic ? 1 : 0);
  settings.SaveMachineSetting(kSection, "txtAlarm", values.txtAlarm);
  settings.SaveMachineSetting(kSection, "txtFreeAlarm", values.txtFreeAlarm);
  settings.SaveMachineSetting(kSection, "txtTimeCheck", values.txtTimeCheck);
  settings.SaveMachineSetting(kSection, "optPer", Word(values.optPer));
  settings.SaveMachineSetting(kSection, "optMB", Word(!values.optPer));
  settings.SaveMachineSetting(kSection, "txtRunOnly", values.txtRunOnly);
  settings.SaveMachineSetting(kSection, "txtRetryOptimization", values.txtRetryOptimization);
}

}  // namespace zf
