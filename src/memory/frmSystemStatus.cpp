// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/frmSystemStatus.h"

#include <QSlider>
#include <algorithm>
#include <climits>

#include "memory/Rounding.h"
#include "memory/StatusFigures.h"
#include "memory/modFreeRam.h"
#include "ui/IMainWindow.h"
#include "ui_frmSystemStatus.h"

namespace zf {
namespace {

constexpr int kInitialSampleInterval = 300;
constexpr int kEventRoundsAroundOptimize = 6;
// A tick for every MB draws thousands of marks into one solid bar; a few steps read better.
constexpr int kFreeingSliderTicks = 16;

}  // namespace

frmSystemStatus::frmSystemStatus(AppServices& services, IMainWindow& mainWindow, MemoryMonitor& memory, QWidget* parent)
    : ChildScreen(services, mainWindow, parent),
      m_memory(memory),
      m_ui(std::make_unique<Ui::frmSystemStatus>()),
      tmrCPU(this),
      tmrMemory(this) {
  m_ui->setupUi(this);
  tmrCPU.setObjectName(QStringLiteral("tmrCPU"));
  tmrMemory.setObjectName(QStringLiteral("tmrMemory"));
  tmrCPU.setTimerType(Qt::PreciseTimer);
  tmrMemory.setTimerType(Qt::PreciseTimer);
  tmrCPU.setInterval(kInitialSampleInterval);
  tmrMemory.setInterval(kInitialSampleInterval);
  connect(&tmrCPU, &QTimer::timeout, this, &frmSystemStatus::SampleCpu);
  connect(&tmrMemory, &QTimer::timeout, this, &frmSystemStatus::SampleMemory);
  connect(m_ui->sldCPUSpeed, &QSlider::valueChanged, this,
          [this](int value) { tmrCPU.setInterval(SampleInterval(value)); });
  connect(m_ui->sldMemorySpeed, &QSlider::valueChanged, this,
          [this](int value) { tmrMemory.setInterval(SampleInterval(value)); });
  connect(m_ui->sldCPUZoom, &QSlider::valueChanged, m_ui->histCPU, &Histogram::setZoom);
  connect(m_ui->sldMemoryZoom, &QSlider::valueChanged, m_ui->histMemory, &Histogram::setZoom);
  connect(m_ui->sldFreeMomoryReq, &QSlider::valueChanged, this, &frmSystemStatus::ShowFreeRequest);
  connect(m_ui->cmdOptimaize, &QPushButton::clicked, this, &frmSystemStatus::OptimizeNow);
}

frmSystemStatus::~frmSystemStatus() = default;

void frmSystemStatus::Form_Load() {
  SkinScreen();
  m_memory.QueryObject();
  InitMemorySlider();
  ShowFreeRequest(m_ui->sldFreeMomoryReq->value());
  tmrCPU.start();
  tmrMemory.start();
}

void frmSystemStatus::Form_Unload() {
  tmrCPU.stop();
  tmrMemory.stop();
}

FreeRAM& frmSystemStatus::Fmem() {
  if (!fmem) fmem = std::make_unique<FreeRAM>(m_services.systemInfo, m_services.windowSystem, m_services.shell);
  return *fmem;
}

void frmSystemStatus::InitMemorySlider() {
  m_totalMB = BytesToMB(Fmem().GetTotalPhysical());
  m_ui->sldFreeMomoryReq->setMinimum(0);
  const int maximum = static_cast<int>(std::clamp<std::int64_t>(m_totalMB, 0, INT_MAX));
  m_ui->sldFreeMomoryReq->setMaximum(maximum);
  m_ui->sldFreeMomoryReq->setTickInterval(std::max(1, maximum / kFreeingSliderTicks));
}

void frmSystemStatus::ShowFreeRequest(int megabytes) {
  m_ui->sldFreeMomoryReq->setToolTip(QString::fromStdString(FreeRequestToolTip(megabytes)));
  m_ui->lblTargetMemoryNeeded->setText(QString::fromStdString(TargetLevelCaption(megabytes)));
}

void frmSystemStatus::OptimizeNow() {
  m_services.windowSystem.DoEvents(kEventRoundsAroundOptimize);
  setCursor(Qt::WaitCursor);
  // A refusal needs no word here: the freeing has already fallen back as far as it can.
  Fmem().FreeUpMemory(std::int64_t{m_ui->sldFreeMomoryReq->value()} * kBytesPerMB);
  unsetCursor();
  m_services.windowSystem.DoEvents(kEventRoundsAroundOptimize);
}

void frmSystemStatus::SampleCpu() {
  m_ui->histCPU->setCurrentValue(m_memory.QueryObject().Query());
  const auto shown = static_cast<std::int32_t>(m_ui->histCPU->currentValue());
  m_ui->frameCPUUsage->setTitle(QString::fromStdString(CpuCaption(shown)));
}

void frmSystemStatus::SampleMemory() {
  const MemorySample sample = SampleFreeMemory(Fmem(), m_totalMB);
  if (sample.freeShare) m_ui->histMemory->setCurrentValue(*sample.freeShare);
  const auto shown = static_cast<std::int32_t>(m_ui->histMemory->currentValue());
  m_ui->fameMemoryUsage->setTitle(QString::fromStdString(MemoryCaption(shown)));
  m_mainWindow.UpdateTrayTip(QString::fromStdString(MemoryTrayTip(m_memory.TipInPercent(), shown, sample.freeMB)));
}

}  // namespace zf
