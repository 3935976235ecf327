// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/DriftWatcher.h"

namespace zf {

DriftWatcher::DriftWatcher(Setup setup, QObject* parent) : QObject(parent), m_setup(std::move(setup)) {
  m_timer.setInterval(m_setup.intervalMilliseconds);
  connect(&m_timer, &QTimer::timeout, this, &DriftWatcher::Check);
}

void DriftWatcher::Start() {
  Check();
  m_timer.start();
}

// An unreadable ledger (nothing applied yet, or a foreign file) is no drift and no message.
void DriftWatcher::Check() {
  if (m_setup.busy && m_setup.busy()) return;
  const Result<kernel::KernelStatus> status = m_setup.bridge.Status();
  if (!status) return;
  const std::vector<kernel::ManagedSetting> drifted = m_tracker.NewDrift(status.value());
  const QString notice = DriftNotice(drifted);
  if (!notice.isEmpty() && m_setup.balloon(notice)) m_tracker.Told(drifted);
}

}  // namespace zf
