// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system status screen's sampling, which runs from start-up on whether or not the screen
// exists: processor and free memory on their timers, the tray tip rewritten by every memory
// sample, and the last samples the graphs show, so a screen made later shows them too.
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "memory/FreeRAM.h"
#include "memory/MemoryMonitor.h"
#include "ui/ScreenBackground.h"

namespace zf {

class IMainWindow;

// How many samples a graph shows across.
inline constexpr int kGraphLines = 30;

// The samples one graph has been given, as many as it shows, and the value it shows last.
struct GraphSamples {
  std::deque<double> samples;
  std::optional<std::int32_t> shown;  // empty until the first sample

  void Add(double sample);
};

class StatusMonitor : public QObject, public IScreenBackground {
  Q_OBJECT

 public:
  StatusMonitor(AppServices& services, IMainWindow& mainWindow, MemoryMonitor& memory, QObject* parent = nullptr);
  ~StatusMonitor() override;

  // The load handler: the processor probe, the total memory, both timers at 300 ms.
  void Load() override;
  void Unload() override;

  void SetCpuInterval(int milliseconds) { tmrCPU.setInterval(milliseconds); }
  void SetMemoryInterval(int milliseconds) { tmrMemory.setInterval(milliseconds); }
  // Created on first need and kept.
  FreeRAM& Fmem();
  // As read at load.
  std::int64_t TotalMB() const { return m_totalMB; }
  const GraphSamples& Cpu() const { return m_cpu; }
  // Only samples with a known share reach the graph; the caption and the tip show its last.
  const GraphSamples& Memory() const { return m_memory; }
  // Set by every memory sample, also one that leaves the graph as it was.
  std::optional<std::int32_t> MemoryShown() const { return m_memoryShown; }

 signals:
  void CpuSampled(double sample);
  // sample: empty when the graph stays as it was.
  void MemorySampled(std::optional<double> sample);

 private:
  void SampleCpu();
  void SampleMemory();

  AppServices& m_services;
  IMainWindow& m_mainWindow;
  MemoryMonitor& m_monitor;
  std::unique_ptr<FreeRAM> m_fmem;
  QTimer tmrCPU;
  QTimer tmrMemory;
  std::int64_t m_totalMB = 0;
  GraphSamples m_cpu;
  GraphSamples m_memory;
  std::optional<std::int32_t> m_memoryShown;
};

}  // namespace zf
