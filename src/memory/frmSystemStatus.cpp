// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/frmSystemStatus.h"

#include <QCoreApplication>
#include <QSlider>
#include <algorithm>
#include <climits>

#include "memory/Rounding.h"
#include "memory/StatusFigures.h"
#include "ui_frmSystemStatus.h"

namespace zf {
namespace {

// One of the status texts in the user's language, its %1 filled in.
QString Translated(const char* format, qint64 figure) {
  return QCoreApplication::translate(kStatusFiguresContext, format).arg(figure);
}

constexpr int kEventRoundsAroundOptimize = 6;
// A tick for every MB draws thousands of marks into one solid bar; a few steps read better.
constexpr int kFreeingSliderTicks = 16;

}  // namespace

frmSystemStatus::frmSystemStatus(AppServices& services, IMainWindow& mainWindow, StatusMonitor& monitor,
                                 QWidget* parent)
    : ChildScreen(services, mainWindow, parent), m_monitor(monitor), m_ui(std::make_unique<Ui::frmSystemStatus>()) {
  m_ui->setupUi(this);
  m_ui->histCPU->setMaxlines(kGraphLines);
  m_ui->histMemory->setMaxlines(kGraphLines);
  connect(m_ui->sldCPUSpeed, &QSlider::valueChanged, this,
          [this](int value) { m_monitor.SetCpuInterval(SampleInterval(value)); });
  connect(m_ui->sldMemorySpeed, &QSlider::valueChanged, this,
          [this](int value) { m_monitor.SetMemoryInterval(SampleInterval(value)); });
  connect(m_ui->sldCPUZoom, &QSlider::valueChanged, m_ui->histCPU, &Histogram::setZoom);
  connect(m_ui->sldMemoryZoom, &QSlider::valueChanged, m_ui->histMemory, &Histogram::setZoom);
  connect(m_ui->sldFreeMomoryReq, &QSlider::valueChanged, this, &frmSystemStatus::ShowFreeRequest);
  connect(m_ui->cmdOptimaize, &QPushButton::clicked, this, &frmSystemStatus::OptimizeNow);
  connect(&m_monitor, &StatusMonitor::CpuSampled, this, &frmSystemStatus::ShowCpu);
  connect(&m_monitor, &StatusMonitor::MemorySampled, this, &frmSystemStatus::ShowMemory);
}

frmSystemStatus::~frmSystemStatus() = default;

void frmSystemStatus::Form_Load() {
  SkinScreen();
  InitMemorySlider();
  ShowFreeRequest(m_ui->sldFreeMomoryReq->value());
  for (double sample : m_monitor.Cpu().samples) ShowCpu(sample);
  for (double sample : m_monitor.Memory().samples) m_ui->histMemory->setCurrentValue(sample);
  if (m_monitor.MemoryShown()) ShowMemory(std::nullopt);
}

void frmSystemStatus::InitMemorySlider() {
  const std::int64_t totalMB = m_monitor.TotalMB();
  m_ui->sldFreeMomoryReq->setMinimum(0);
  const int maximum = static_cast<int>(std::clamp<std::int64_t>(totalMB, 0, INT_MAX));
  m_ui->sldFreeMomoryReq->setMaximum(maximum);
  m_ui->sldFreeMomoryReq->setTickInterval(std::max(1, maximum / kFreeingSliderTicks));
}

void frmSystemStatus::ShowFreeRequest(int megabytes) {
  m_ui->sldFreeMomoryReq->setToolTip(Translated(kFreeRequestTipFormat, megabytes));
  m_ui->lblTargetMemoryNeeded->setText(Translated(kTargetLevelFormat, megabytes));
}

void frmSystemStatus::OptimizeNow() {
  m_services.windowSystem.DoEvents(kEventRoundsAroundOptimize);
  setCursor(Qt::WaitCursor);
  // A refusal needs no word here: the freeing has already fallen back as far as it can.
  m_monitor.Fmem().FreeUpMemory(std::int64_t{m_ui->sldFreeMomoryReq->value()} * kBytesPerMB);
  unsetCursor();
  m_services.windowSystem.DoEvents(kEventRoundsAroundOptimize);
}

void frmSystemStatus::ShowCpu(double sample) {
  m_ui->histCPU->setCurrentValue(sample);
  const auto shown = static_cast<std::int32_t>(m_ui->histCPU->currentValue());
  const QString caption = Translated(kCpuCaptionFormat, shown);
  m_ui->frameCPUUsage->setTitle(caption);
  m_ui->histCPU->setAccessibleName(caption);
}

void frmSystemStatus::ShowMemory(std::optional<double> sample) {
  if (sample) m_ui->histMemory->setCurrentValue(*sample);
  const auto shown = static_cast<std::int32_t>(m_ui->histMemory->currentValue());
  const QString caption = Translated(kMemoryCaptionFormat, shown);
  m_ui->fameMemoryUsage->setTitle(caption);
  m_ui->histMemory->setAccessibleName(caption);
}

}  // namespace zf
