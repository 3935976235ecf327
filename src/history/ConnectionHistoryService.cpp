// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/ConnectionHistoryService.h"

#include "history/ConnectionHistoryModel.h"
#include "history/frmConnectionHistory.h"

namespace zf {
namespace {

constexpr int kFlushCheckMs = 60'000;

}  // namespace

ConnectionHistoryService::ConnectionHistoryService(AppServices& services, Balloon balloon, QObject* parent)
    : QObject(parent) {
  auto store = HistoryStore::Open(HistoryFileFor(services.config));
  if (!store) return;
  m_store = std::move(*store);
  m_recorder = std::make_unique<HistoryRecorder>(*m_store, services.clock);
  m_lossWatch =
      std::make_unique<LossWatch>(m_recorder.get(), LoadLossNoticeSettings(services.registry),
                                  [balloon](const std::string& text) { balloon(QString::fromStdString(text)); });
  m_model = std::make_unique<ConnectionHistoryModel>(*m_recorder, services.clock, BackupsFolder(services.config),
                                                     *m_lossWatch, services.registry);
  // Echoes wait at most the recorder's delay even when no further echo comes to push them out.
  m_flushTimer.setInterval(kFlushCheckMs);
  connect(&m_flushTimer, &QTimer::timeout, this, [this] { m_recorder->FlushIfDue(); });
  m_flushTimer.start();
}

ConnectionHistoryService::~ConnectionHistoryService() = default;

IConnectionHistory* ConnectionHistoryService::Echoes() { return m_lossWatch.get(); }

void ConnectionHistoryService::ShowWindow() {
  if (!m_model) return;
  if (!m_window) m_window = std::make_unique<frmConnectionHistory>(*m_model);
  m_window->Refresh();
  m_window->show();
  m_window->raise();
  m_window->activateWindow();
}

}  // namespace zf
