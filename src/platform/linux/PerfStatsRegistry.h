// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry as the 9x family's processor probe sees it: the dynamic-data performance keys
// "PerfStats\StartStat", "PerfStats\StatData" and "PerfStats\StopStat" are served live from the
// processor times; every other call goes to the wrapped registry unchanged.
#include <cstdint>
#include <map>
#include <optional>

#include "platform/memory.h"
#include "platform/registry.h"

namespace zf {

class PerfStatsRegistry final : public IRegistry {
 public:
  PerfStatsRegistry(IRegistry& inner, ISystemInfo& systemInfo) : m_inner(inner), m_systemInfo(systemInfo) {}

  LONG CreateKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) override;
  LONG OpenKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) override;
  LONG CloseKey(HKEY key) override;
  LONG QueryValue(HKEY key, std::string_view name, std::uint32_t* type, std::vector<std::uint8_t>* data) override;
  LONG SetValue(HKEY key, std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) override;
  LONG DeleteValue(HKEY key, std::string_view name) override;
  LONG DeleteKey(HKEY parent, std::string_view subKey) override;
  LONG EnumKey(HKEY key, std::uint32_t index, std::string* name) override;
  LONG EnumValue(HKEY key, std::uint32_t index, std::string* name) override;
  LONG BeginBatch() override { return m_inner.BeginBatch(); }
  LONG CommitBatch() override { return m_inner.CommitBatch(); }
  void RollbackBatch() override { m_inner.RollbackBatch(); }

 private:
  enum class PerfKey { StartStat, StatData, StopStat };

  std::optional<PerfKey> ServedKey(HKEY parent, std::string_view subKey) const;
  bool IsServedHandle(HKEY key) const { return m_handles.contains(key); }
  LONG OpenServed(PerfKey which, HKEY* result);
  // Percent busy since the previous read, 0 while the counter is stopped; empty on failure.
  std::optional<std::uint32_t> ReadCounter(PerfKey through);

  IRegistry& m_inner;
  ISystemInfo& m_systemInfo;
  std::map<HKEY, PerfKey> m_handles;
  // Far above any handle a store hands out.
  HKEY m_nextHandle = 0xFFFF'0000'0000'0000ULL;
  bool m_counting = false;
  CpuTimes m_baseline;
  std::uint32_t m_lastPercent = 0;
};

}  // namespace zf
