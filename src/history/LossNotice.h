// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The optional notice of a lossy connection: once the share of echoes lost over the last five
// minutes passes the user's level, one balloon; the next only after the loss fell back below it.
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "core/ConnectionHistory.h"
#include "platform/registry.h"

namespace zf {

inline constexpr std::string_view kSectionConnectionHistory = "\\Settings\\ConnectionHistory";
inline constexpr std::int64_t kLossWindowMs = 5 * 60'000;

struct LossNoticeSettings {
  bool enabled = false;
  int levelPercent = 20;  // 1..100: the notice comes when the loss is above it
  bool operator==(const LossNoticeSettings&) const = default;
};

// Stored as text under the program's settings key, like its other settings; unreadable values
// give the defaults.
LossNoticeSettings LoadLossNoticeSettings(IRegistry& registry);
void SaveLossNoticeSettings(IRegistry& registry, const LossNoticeSettings& settings);

std::string LossNoticeText(double lossPercent, int levelPercent);

// Sits in the pinger's path to the history: passes every echo on and watches the loss.
class LossWatch final : public IConnectionHistory {
 public:
  using Notify = std::function<void(const std::string& text)>;
  LossWatch(IConnectionHistory* next, LossNoticeSettings settings, Notify notify);

  void RecordEcho(const EchoRecord& echo) override;
  void SetSettings(const LossNoticeSettings& settings);
  const LossNoticeSettings& Settings() const { return m_settings; }
  // The loss of the last five minutes' echoes; 0 without any.
  double RecentLossPercent() const;

 private:
  IConnectionHistory* m_next;
  LossNoticeSettings m_settings;
  Notify m_notify;
  std::deque<EchoRecord> m_recent;
  bool m_inEpisode = false;
};

}  // namespace zf
