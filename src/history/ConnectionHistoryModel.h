// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the history window reads: the recorded echoes (the waiting ones written first) and the
// tuning runs, as graph data for the last hour, day or week.
#include <filesystem>

#include "history/HistoryRecorder.h"
#include "history/HistoryView.h"
#include "history/LossNotice.h"
#include "platform/clock.h"

namespace zf {

class ConnectionHistoryModel {
 public:
  ConnectionHistoryModel(HistoryRecorder& recorder, IClock& clock, std::filesystem::path backupsFolder,
                         LossWatch& lossWatch, IRegistry& registry)
      : m_recorder(recorder),
        m_clock(clock),
        m_backupsFolder(std::move(backupsFolder)),
        m_lossWatch(lossWatch),
        m_registry(registry) {}

  // Empty buckets when the file cannot be read: the graph then shows nothing, the pinger goes on.
  GraphData Graph(HistoryWindow window);

  const LossNoticeSettings& LossNotice() const { return m_lossWatch.Settings(); }
  void SetLossNotice(const LossNoticeSettings& settings);

 private:
  HistoryRecorder& m_recorder;
  IClock& m_clock;
  std::filesystem::path m_backupsFolder;
  LossWatch& m_lossWatch;
  IRegistry& m_registry;
};

}  // namespace zf
