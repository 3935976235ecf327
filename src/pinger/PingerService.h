// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keep-alive pinger as it runs from start-up on, whether or not its screen exists: the
// scheduler and the timer that drives it. The screen shows the scheduler's controls and hands
// its events over here.
#include <QObject>
#include <QTimer>

#include "pinger/PingerScheduler.h"
#include "ui/ScreenBackground.h"

namespace zf {

class PingerService : public QObject, public IScreenBackground {
  Q_OBJECT

 public:
  explicit PingerService(AppServices& services, QObject* parent = nullptr);

  // The load handler: the stored settings, and the timer running when pinging is enabled.
  void Load() override;
  void Unload() override;

  // Runs one event of the scheduler, then tells whoever shows its controls.
  template <typename Event>
  void Handle(Event&& event) {
    event(m_scheduler);
    emit ControlsChanged();
  }

  const PingerScheduler& Scheduler() const { return m_scheduler; }
  const QTimer& PingerTimer() const { return tmrPinger; }

 signals:
  void ControlsChanged();

 private:
  // Runs the QTimer without restarting a tick already under way, so a save keeps the count.
  class TimerSwitch final : public IPingerTimer {
   public:
    explicit TimerSwitch(QTimer& timer) : m_timer(timer) {}
    void SetEnabled(bool enabled) override;

   private:
    QTimer& m_timer;
  };

  QTimer tmrPinger;
  TimerSwitch m_timerSwitch{tmrPinger};
  PingerScheduler m_scheduler;
};

}  // namespace zf
