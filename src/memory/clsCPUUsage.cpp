// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/clsCPUUsage.h"

#include <algorithm>
#include <vector>

namespace zf {

void clsCPUUsage::ReadCounter(HKEY key) {
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> bytes;
  if (m_registry.QueryValue(key, kCpuUsageValue, &type, &bytes) != ERROR_SUCCESS) return;
  if (bytes.size() > m_data.size()) return;  // more than the 4-byte buffer holds: the read fails
  std::copy(bytes.begin(), bytes.end(), m_data.begin());
}

void clsCPUUsage::Initialize() {
  HKEY start = 0;
  if (m_registry.OpenKey(HKEY_DYN_DATA, kPerfStartStatKey, KEY_ALL_ACCESS, &start) != ERROR_SUCCESS) return;
  ReadCounter(start);
  m_registry.CloseKey(start);
  if (m_registry.OpenKey(HKEY_DYN_DATA, kPerfStatDataKey, KEY_READ, &m_key) != ERROR_SUCCESS) m_key = 0;
}

std::int32_t clsCPUUsage::Query() {
  if (m_key != 0) ReadCounter(m_key);
  return m_data[0];
}

void clsCPUUsage::Terminate() {
  if (m_key != 0) m_registry.CloseKey(m_key);
  m_key = 0;
  HKEY stop = 0;
  if (m_registry.OpenKey(HKEY_DYN_DATA, kPerfStopStatKey, KEY_ALL_ACCESS, &stop) != ERROR_SUCCESS) return;
  ReadCounter(stop);
  m_registry.CloseKey(stop);
}

}  // namespace zf
