// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/PerfStatsRegistry.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/perfstats.h"

namespace zf {
namespace {

constexpr std::uint32_t kRegBinary = 3;
// In the order of PerfKey.
constexpr std::string_view kPerfStatsKeys[] = {kPerfStartStatKey, kPerfStatDataKey, kPerfStopStatKey};

bool SameName(std::string_view a, std::string_view b) {
  while (a.starts_with('\\')) a.remove_prefix(1);
  while (a.ends_with('\\')) a.remove_suffix(1);
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::vector<std::uint8_t> LittleEndian(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

}  // namespace

std::optional<PerfStatsRegistry::PerfKey> PerfStatsRegistry::ServedKey(HKEY parent, std::string_view subKey) const {
  if (parent != HKEY_DYN_DATA) return std::nullopt;
  for (std::size_t i = 0; i < std::size(kPerfStatsKeys); ++i)
    if (SameName(subKey, kPerfStatsKeys[i])) return static_cast<PerfKey>(i);
  return std::nullopt;
}

LONG PerfStatsRegistry::OpenServed(PerfKey which, HKEY* result) {
  *result = m_nextHandle++;
  m_handles.emplace(*result, which);
  return ERROR_SUCCESS;
}

LONG PerfStatsRegistry::CreateKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) {
  if (const auto which = ServedKey(parent, subKey)) return OpenServed(*which, result);
  return m_inner.CreateKey(parent, subKey, access, result);
}

LONG PerfStatsRegistry::OpenKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) {
  if (const auto which = ServedKey(parent, subKey)) return OpenServed(*which, result);
  return m_inner.OpenKey(parent, subKey, access, result);
}

LONG PerfStatsRegistry::CloseKey(HKEY key) {
  if (m_handles.erase(key) != 0) return ERROR_SUCCESS;
  return m_inner.CloseKey(key);
}

std::optional<std::uint32_t> PerfStatsRegistry::ReadCounter(PerfKey through) {
  if (through == PerfKey::StopStat) {
    m_counting = false;
    return m_lastPercent;
  }
  if (through == PerfKey::StatData && !m_counting) return 0;
  const auto now = m_systemInfo.ReadCpuTimes();
  if (!now || now->processors <= 0) return std::nullopt;
  if (through == PerfKey::StartStat) {
    m_counting = true;
    m_baseline = *now;
    return m_lastPercent;
  }
  const std::int64_t total = (now->systemTime - m_baseline.systemTime) * now->processors;
  const std::int64_t idle = now->idleTime - m_baseline.idleTime;
  // Within one clock tick nothing has been counted: the figure stays.
  if (total > 0) {
    const std::int64_t busy = std::clamp<std::int64_t>(total - idle, 0, total);
    m_lastPercent = static_cast<std::uint32_t>((busy * 100 + total / 2) / total);
    m_baseline = *now;
  }
  return m_lastPercent;
}

LONG PerfStatsRegistry::QueryValue(HKEY key, std::string_view name, std::uint32_t* type,
                                   std::vector<std::uint8_t>* data) {
  const auto served = m_handles.find(key);
  if (served == m_handles.end()) return m_inner.QueryValue(key, name, type, data);
  if (!SameName(name, kCpuUsageValue)) return ERROR_FILE_NOT_FOUND;
  const auto percent = ReadCounter(served->second);
  if (!percent) return ERROR_FILE_NOT_FOUND;
  if (type) *type = kRegBinary;
  if (data) *data = LittleEndian(*percent);
  return ERROR_SUCCESS;
}

LONG PerfStatsRegistry::SetValue(HKEY key, std::string_view name, std::uint32_t type,
                                 const std::vector<std::uint8_t>& data) {
  if (IsServedHandle(key)) return ERROR_ACCESS_DENIED;
  return m_inner.SetValue(key, name, type, data);
}

LONG PerfStatsRegistry::DeleteValue(HKEY key, std::string_view name) {
  if (IsServedHandle(key)) return ERROR_ACCESS_DENIED;
  return m_inner.DeleteValue(key, name);
}

LONG PerfStatsRegistry::DeleteKey(HKEY parent, std::string_view subKey) {
  if (ServedKey(parent, subKey) || IsServedHandle(parent)) return ERROR_ACCESS_DENIED;
  return m_inner.DeleteKey(parent, subKey);
}

LONG PerfStatsRegistry::EnumKey(HKEY key, std::uint32_t index, std::string* name) {
  if (IsServedHandle(key)) return ERROR_NO_MORE_ITEMS;
  return m_inner.EnumKey(key, index, name);
}

LONG PerfStatsRegistry::EnumValue(HKEY key, std::uint32_t index, std::string* name) {
  if (!IsServedHandle(key)) return m_inner.EnumValue(key, index, name);
  if (index != 0) return ERROR_NO_MORE_ITEMS;
  *name = std::string(kCpuUsageValue);
  return ERROR_SUCCESS;
}

}  // namespace zf
