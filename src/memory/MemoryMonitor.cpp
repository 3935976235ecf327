// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/MemoryMonitor.h"

#include "core/AppServices.h"
#include "memory/modFreeRam.h"

namespace zf {

MemoryMonitor::MemoryMonitor(AppServices& services) : m_services(services) {}

MemoryMonitor::~MemoryMonitor() = default;

ICpuUsage& MemoryMonitor::QueryObject() {
  if (!m_probe) {
    m_probe = NewCpuProbe(m_services.config.osVersion, m_services.systemInfo, m_services.registry);
    m_probe->Initialize();
  }
  return *m_probe;
}

}  // namespace zf
