// SPDX-License-Identifier: GPL-3.0-or-later
#include "pinger/PingerService.h"

namespace zf {

void PingerService::TimerSwitch::SetEnabled(bool enabled) {
  if (!enabled) {
    m_timer.stop();
  } else if (!m_timer.isActive()) {
    m_timer.start();
  }
}

PingerService::PingerService(AppServices& services, QObject* parent)
    : QObject(parent), tmrPinger(this), m_scheduler(services, m_timerSwitch) {
  tmrPinger.setObjectName(QStringLiteral("tmrPinger"));
  // Qt coarsens timers of 20 s and more to whole seconds unless told otherwise.
  tmrPinger.setTimerType(Qt::PreciseTimer);
  tmrPinger.setInterval(kPingerTickMs);
  connect(&tmrPinger, &QTimer::timeout, this,
          [this] { Handle([](PingerScheduler& scheduler) { scheduler.tmrPinger_Timer(); }); });
}

void PingerService::Load() {
  Handle([](PingerScheduler& scheduler) { scheduler.Form_Load(); });
}

void PingerService::Unload() { tmrPinger.stop(); }

}  // namespace zf
