// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection's history as the desktop program runs it: the file, the batching recorder with
// its timer, the loss notice in the pinger's path, and the window, made on first use.
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/AppServices.h"

namespace zf {

class ConnectionHistoryModel;
class HistoryRecorder;
class HistoryStore;
class LossWatch;
class frmConnectionHistory;

class ConnectionHistoryService : public QObject {
  Q_OBJECT

 public:
  using Balloon = std::function<void(const QString& text)>;
  // Opens the history beside the registry store. Without it the program goes on, keeping none.
  ConnectionHistoryService(AppServices& services, Balloon balloon, QObject* parent = nullptr);
  ~ConnectionHistoryService() override;

  // Where the pinger hands its echoes; null when no history could be opened.
  IConnectionHistory* Echoes();
  void ShowWindow();

 private:
  std::unique_ptr<HistoryStore> m_store;
  std::unique_ptr<HistoryRecorder> m_recorder;
  std::unique_ptr<LossWatch> m_lossWatch;
  std::unique_ptr<ConnectionHistoryModel> m_model;
  std::unique_ptr<frmConnectionHistory> m_window;
  QTimer m_flushTimer;
};

}  // namespace zf
