// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the system status screen and the RAM booster share, so that neither has to find the
// other: the processor probe both sample, and how the tray tip shows free memory.
#include <memory>

#include "memory/ICpuUsage.h"

namespace zf {

struct AppServices;

class MemoryMonitor {
 public:
  explicit MemoryMonitor(AppServices& services);
  ~MemoryMonitor();
  MemoryMonitor(const MemoryMonitor&) = delete;
  MemoryMonitor& operator=(const MemoryMonitor&) = delete;

  // The probe for the configured platform, created and initialised on first need and kept.
  ICpuUsage& QueryObject();

  // "Percentage of Free RAM" is the booster's choice: the tray tip shows percent, else MB.
  bool TipInPercent() const { return m_tipInPercent; }
  void SetTipInPercent(bool inPercent) { m_tipInPercent = inPercent; }

 private:
  AppServices& m_services;
  std::unique_ptr<ICpuUsage> m_probe;
  bool m_tipInPercent = false;
};

}  // namespace zf
