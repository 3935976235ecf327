// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system status screen: processor and free-memory graphs, the on-demand freeing, and the
// tray tip kept up to date. The memory monitor holds the CPU probe it shares with the RAM
// booster's checks and the booster's choice of tray tip.
#include <QTimer>
#include <cstdint>
#include <memory>

#include "memory/FreeRAM.h"
#include "memory/MemoryMonitor.h"
#include "ui/ChildScreen.h"

namespace Ui {
class frmSystemStatus;
}

namespace zf {

class frmSystemStatus : public ChildScreen {
  Q_OBJECT

 public:
  frmSystemStatus(AppServices& services, IMainWindow& mainWindow, MemoryMonitor& memory, QWidget* parent = nullptr);
  ~frmSystemStatus() override;

  void Form_Load() override;
  void Form_Unload() override;

  // Created on first need and kept.
  std::unique_ptr<FreeRAM> fmem;

 private:
  FreeRAM& Fmem();
  void InitMemorySlider();
  void ShowFreeRequest(int megabytes);
  void OptimizeNow();
  void SampleCpu();
  void SampleMemory();

  MemoryMonitor& m_memory;
  std::unique_ptr<Ui::frmSystemStatus> m_ui;
  QTimer tmrCPU;
  QTimer tmrMemory;
  std::int64_t m_totalMB = 0;
};

}  // namespace zf
