// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system status screen: processor and free-memory graphs and the on-demand freeing. The
// sampling and the tray tip run in the status monitor from start-up on; this screen, made on
// first use, shows the samples it has kept and each new one.
#include <memory>
#include <optional>

#include "memory/StatusMonitor.h"
#include "ui/ChildScreen.h"

namespace Ui {
class frmSystemStatus;
}

namespace zf {

class frmSystemStatus : public ChildScreen {
  Q_OBJECT

 public:
  frmSystemStatus(AppServices& services, IMainWindow& mainWindow, StatusMonitor& monitor, QWidget* parent = nullptr);
  ~frmSystemStatus() override;

  // Skins the screen and shows what the monitor has sampled so far.
  void Form_Load() override;

 private:
  void InitMemorySlider();
  void ShowFreeRequest(int megabytes);
  void OptimizeNow();
  void ShowCpu(double sample);
  void ShowMemory(std::optional<double> sample);

  StatusMonitor& m_monitor;
  std::unique_ptr<Ui::frmSystemStatus> m_ui;
};

}  // namespace zf
