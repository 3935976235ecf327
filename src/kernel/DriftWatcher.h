// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Looks at start-up and every few minutes whether this computer's settings still hold what the
// bridge last kept (NetworkManager may reset an MTU, an administrator a sysctl), and says so once
// per change on the tray. It only reads: the ledger, /proc/sys and one link dump; never the helper.
#include <QObject>
#include <QTimer>
#include <functional>

#include "kernel/IKernelBridge.h"
#include "kernel/KernelSettingsLogic.h"

namespace zf {

class DriftWatcher : public QObject {
  Q_OBJECT

 public:
  struct Setup {
    kernel::IKernelBridge& bridge;
    // Shows the notice; false when it could not be shown (no tray icon yet): the change is then
    // told at the next check.
    std::function<bool(const QString& text)> balloon;
    // True while an apply is on its way: its countdown window is not drift.
    std::function<bool()> busy;
    int intervalMilliseconds = 5 * 60 * 1000;
  };

  explicit DriftWatcher(Setup setup, QObject* parent = nullptr);

  // Checks now, then at every interval.
  void Start();
  void Check();

 private:
  Setup m_setup;
  DriftTracker m_tracker;
  QTimer m_timer;
};

}  // namespace zf
