// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/StatusMonitor.h"

#include <QCoreApplication>

#include "core/AppServices.h"
#include "memory/Rounding.h"
#include "memory/StatusFigures.h"
#include "ui/IMainWindow.h"

namespace zf {
namespace {

constexpr int kInitialSampleInterval = 300;

}  // namespace

void GraphSamples::Add(double sample) {
  samples.push_back(sample);
  while (samples.size() > static_cast<std::size_t>(kGraphLines)) samples.pop_front();
  shown = GraphValue(sample);
}

StatusMonitor::StatusMonitor(AppServices& services, IMainWindow& mainWindow, MemoryMonitor& memory, QObject* parent)
    : QObject(parent),
      m_services(services),
      m_mainWindow(mainWindow),
      m_monitor(memory),
      tmrCPU(this),
      tmrMemory(this) {
  tmrCPU.setObjectName(QStringLiteral("tmrCPU"));
  tmrMemory.setObjectName(QStringLiteral("tmrMemory"));
  tmrCPU.setTimerType(Qt::PreciseTimer);
  tmrMemory.setTimerType(Qt::PreciseTimer);
  tmrCPU.setInterval(kInitialSampleInterval);
  tmrMemory.setInterval(kInitialSampleInterval);
  connect(&tmrCPU, &QTimer::timeout, this, &StatusMonitor::SampleCpu);
  connect(&tmrMemory, &QTimer::timeout, this, &StatusMonitor::SampleMemory);
}

StatusMonitor::~StatusMonitor() = default;

void StatusMonitor::Load() {
  m_monitor.QueryObject();
  m_totalMB = BytesToMB(Fmem().GetTotalPhysical());
  tmrCPU.start();
  tmrMemory.start();
}

void StatusMonitor::Unload() {
  tmrCPU.stop();
  tmrMemory.stop();
}

FreeRAM& StatusMonitor::Fmem() {
  if (!m_fmem) m_fmem = std::make_unique<FreeRAM>(m_services.systemInfo, m_services.windowSystem, m_services.shell);
  return *m_fmem;
}

void StatusMonitor::SampleCpu() {
  const double sample = m_monitor.QueryObject().Query();
  m_cpu.Add(sample);
  emit CpuSampled(sample);
}

void StatusMonitor::SampleMemory() {
  const MemorySample sample = SampleFreeMemory(Fmem(), m_totalMB);
  if (sample.freeShare) m_memory.Add(*sample.freeShare);
  m_memoryShown = m_memory.shown.value_or(0);
  const bool inPercent = m_monitor.TipInPercent();
  m_mainWindow.UpdateTrayTip(QCoreApplication::translate(kStatusFiguresContext, MemoryTrayTipFormat(inPercent))
                                 .arg(inPercent ? std::int64_t{*m_memoryShown} : sample.freeMB));
  emit MemorySampled(sample.freeShare);
}

}  // namespace zf
