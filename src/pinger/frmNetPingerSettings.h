// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pinger screen: loaded hidden at start-up, it owns the timer that keeps the pings going
// whether or not it is shown. The logic lives in PingerScheduler; this form mirrors it.
#include <QTimer>
#include <memory>

#include "pinger/PingerScheduler.h"
#include "ui/ChildScreen.h"

namespace Ui {
class frmNetPingerSettings;
}

namespace zf {

class frmNetPingerSettings : public ChildScreen {
  Q_OBJECT

 public:
  frmNetPingerSettings(AppServices& services, IMainWindow& mainWindow, QWidget* parent = nullptr);
  ~frmNetPingerSettings() override;

  void Form_Load() override;
  void Form_Unload() override;

  const PingerScheduler& Scheduler() const { return m_scheduler; }
  const QTimer& PingerTimer() const { return tmrPinger; }

 private:
  // Runs the QTimer without restarting a tick already under way, so a save keeps the count.
  class TimerSwitch final : public IPingerTimer {
   public:
    explicit TimerSwitch(QTimer& timer) : m_timer(timer) {}
    void SetEnabled(bool enabled) override;

   private:
    QTimer& m_timer;
  };

  void ConnectEvents();
  // Runs one event of the logic, then shows the controls as it left them.
  template <typename Event>
  void Handle(Event&& event);
  void ShowControls();

  std::unique_ptr<Ui::frmNetPingerSettings> ui;
  QTimer tmrPinger;
  TimerSwitch m_timerSwitch{tmrPinger};
  PingerScheduler m_scheduler;
};

}  // namespace zf
