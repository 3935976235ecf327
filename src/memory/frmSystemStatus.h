#pragma once
// The system status screen: processor and free-memory graphs, the on-demand freeing, and the
// tray tip kept up to date. Its CPU probe is shared with the RAM booster's checks.
#include <QTimer>
#include <cstdint>
#include <memory>

#include "memory/FreeRAM.h"
#include "memory/ICpuUsage.h"
#include "ui/ChildScreen.h"

namespace Ui {
class frmSystemStatus;
}

namespace zf {

class frmSystemStatus : public ChildScreen {
  Q_OBJECT

 public:
  explicit frmSystemStatus(AppServices& services, QWidget* parent = nullptr);
  ~frmSystemStatus() override;

  void Form_Load() override;
  void Form_Unload() override;

  // The probe in use for the configured platform, created at load.
  std::unique_ptr<ICpuUsage> QueryObject;
  // Created on first need and kept.
  std::unique_ptr<FreeRAM> fmem;

 private:
  FreeRAM& Fmem();
  void InitMemorySlider();
  void ShowFreeRequest(int megabytes);
  void OptimizeNow();
  void SampleCpu();
  void SampleMemory();
  // Whether the RAM booster screen has chosen the tip in percent.
  bool TipInPercent();

  std::unique_ptr<Ui::frmSystemStatus> m_ui;
  QTimer tmrCPU;
  QTimer tmrMemory;
  std::int64_t m_totalMB = 0;
};

}  // namespace zf
