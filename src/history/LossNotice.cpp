// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/LossNotice.h"

#include <algorithm>
#include <cstdio>

#include "core/RegistrySettings.h"
#include "core/WholeNumber.h"

namespace zf {
namespace {

constexpr const char* kEnabledValue = "chkLossNotice";
constexpr const char* kLevelValue = "txtLossLevel";

}  // namespace

LossNoticeSettings LoadLossNoticeSettings(IRegistry& registry) {
  RegistrySettings settings(registry);
  const std::string section = SettingsSection(kSectionConnectionHistory);
  LossNoticeSettings loaded;
  const auto enabled =
      ParseWholeNumber(settings.GetMachineSetting(section, kEnabledValue, "0"), WholeNumberForm::Typed);
  loaded.enabled = enabled && *enabled == 1;
  const auto level = ParseWholeNumber(settings.GetMachineSetting(section, kLevelValue, "20"), WholeNumberForm::Typed);
  if (level && *level >= 1 && *level <= 100) loaded.levelPercent = static_cast<int>(*level);
  return loaded;
}

void SaveLossNoticeSettings(IRegistry& registry, const LossNoticeSettings& settings) {
  RegistrySettings store(registry);
  const std::string section = SettingsSection(kSectionConnectionHistory);
  RegistryBatch batch(registry);
  store.SaveMachineSetting(section, kEnabledValue, settings.enabled ? 1 : 0);
  store.SaveMachineSetting(section, kLevelValue, settings.levelPercent);
  batch.commit();
}

std::string LossNoticeText(double lossPercent, int levelPercent) {
  char text[160];
  std::snprintf(text, sizeof text,
                "The connection lost %.0f %% of its echoes over the last 5 minutes (your level: %d %%).", lossPercent,
                levelPercent);
  return text;
}

LossWatch::LossWatch(IConnectionHistory* next, LossNoticeSettings settings, Notify notify)
    : m_next(next), m_settings(settings), m_notify(std::move(notify)) {}

void LossWatch::SetSettings(const LossNoticeSettings& settings) { m_settings = settings; }

double LossWatch::RecentLossPercent() const {
  if (m_recent.empty()) return 0.0;
  const auto lost = std::count_if(m_recent.begin(), m_recent.end(), [](const EchoRecord& echo) { return echo.Lost(); });
  return 100.0 * static_cast<double>(lost) / static_cast<double>(m_recent.size());
}

void LossWatch::RecordEcho(const EchoRecord& echo) {
  if (m_next != nullptr) m_next->RecordEcho(echo);
  m_recent.push_back(echo);
  while (!m_recent.empty() && m_recent.front().timeMs <= echo.timeMs - kLossWindowMs) m_recent.pop_front();
  const double loss = RecentLossPercent();
  const bool above = loss > m_settings.levelPercent;
  if (above && !m_inEpisode && m_settings.enabled && m_notify) m_notify(LossNoticeText(loss, m_settings.levelPercent));
  // The episode is tracked while the notice is off too: switching it on mid-episode is no new episode.
  m_inEpisode = above;
}

}  // namespace zf
