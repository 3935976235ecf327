// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pinger screen: shows the controls of the pinger service, which runs from start-up on
// whether or not this screen exists, and hands the user's actions to it.
#include <memory>

#include "pinger/PingerService.h"
#include "ui/ChildScreen.h"

namespace Ui {
class frmNetPingerSettings;
}

namespace zf {

class frmNetPingerSettings : public ChildScreen {
  Q_OBJECT

 public:
  frmNetPingerSettings(AppServices& services, IMainWindow& mainWindow, PingerService& pinger,
                       QWidget* parent = nullptr);
  ~frmNetPingerSettings() override;

  // Skins the screen and shows the service's controls as they are now.
  void Form_Load() override;

  const PingerScheduler& Scheduler() const { return m_pinger.Scheduler(); }
  const QTimer& PingerTimer() const { return m_pinger.PingerTimer(); }

 private:
  void ConnectEvents();
  void ShowControls();

  std::unique_ptr<Ui::frmNetPingerSettings> ui;
  PingerService& m_pinger;
};

}  // namespace zf
