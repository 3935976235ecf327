// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/ConnectionHistoryModel.h"

namespace zf {

GraphData ConnectionHistoryModel::Graph(HistoryWindow window) {
  (void)m_recorder.Flush();
  const std::int64_t now = EpochMs(m_clock.Now());
  auto echoes = m_recorder.Store().ReadEchoes({now - WindowLengthMs(window), now, std::nullopt});
  const std::vector<EchoRecord> none;
  return BuildGraphData(echoes ? *echoes : none, ReadTuningMarks(m_backupsFolder), window, now);
}

void ConnectionHistoryModel::SetLossNotice(const LossNoticeSettings& settings) {
  m_lossWatch.SetSettings(settings);
  SaveLossNoticeSettings(m_registry, settings);
}

}  // namespace zf
