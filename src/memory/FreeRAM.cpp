// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/FreeRAM.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "memory/Rounding.h"

namespace zf {
namespace {

constexpr int kEventRoundsAroundFreeing = 5;

// Four characters per store: blocks run to gigabytes, and a plain character loop is a quarter
// of the speed of memset.
void FillWithSpaces(char16_t* block, std::int64_t count) {
  constexpr std::uint64_t kFourSpaces = 0x0020'0020'0020'0020;
  const std::int64_t whole = count - count % 4;
  for (std::int64_t i = 0; i < whole; i += 4) std::memcpy(block + i, &kFourSpaces, sizeof kFourSpaces);
  std::fill(block + whole, block + count, u' ');
}

}  // namespace

std::int64_t FreeingSafetyMargin(std::int64_t totalPhysical) {
  return std::clamp(totalPhysical / kFreeingSafetyMarginShare, kFreeingSafetyMarginBytes, kFreeingSafetyMarginCapBytes);
}

std::int64_t FreeRAM::GetFreePhysical() {
  m_systemInfo.ReadMemoryStatus(&m_status);
  return m_status.availPhysical;
}

std::int64_t FreeRAM::GetTotalPhysical() {
  m_systemInfo.ReadMemoryStatus(&m_status);
  return m_status.totalPhysical;
}

std::int32_t FreeRAM::GetMemoryLoad() {
  m_systemInfo.ReadMemoryStatus(&m_status);
  return m_status.memoryLoad;
}

std::int64_t FreeRAM::GetFreeVirtual() {
  m_systemInfo.ReadAddressSpace(&m_addressSpace);
  return m_addressSpace.availVirtual;
}

std::int64_t FreeRAM::GetTotalVirtual() {
  m_systemInfo.ReadAddressSpace(&m_addressSpace);
  return m_addressSpace.totalVirtual;
}

std::int64_t FreeRAM::SafeCharacterLimit() {
  MemoryStatus now;
  if (!m_systemInfo.ReadMemoryStatus(&now)) return 0;  // nothing known is nothing safe
  return std::max<std::int64_t>(0, (now.availPhysical - FreeingSafetyMargin(now.totalPhysical)) / 2);
}

bool FreeRAM::TouchBlock(std::int64_t count, bool letEventsRunAfter) {
  if (count < 0) return false;
  char16_t* block = nullptr;
  if (count > 0) {
    block = m_systemInfo.AllocateBlock(static_cast<std::size_t>(count));
    if (block == nullptr) return false;
    FillWithSpaces(block, count);
  }
  if (letEventsRunAfter) m_windowSystem.DoEvents(kEventRoundsAroundFreeing);
  if (block != nullptr) m_systemInfo.ReleaseBlock(block, static_cast<std::size_t>(count));
  return true;
}

std::optional<std::int64_t> FreeRAM::FreeUpMemory(std::int64_t dwBytes) {
  m_windowSystem.DoEvents(kEventRoundsAroundFreeing);
  // The limit is taken after the events ran: they may have used memory themselves.
  const std::int64_t count = dwBytes < 0 ? dwBytes : std::min(dwBytes, SafeCharacterLimit());
  if (TouchBlock(count, true)) return count;
  const std::int64_t half = DivideHalfEven<std::int64_t>(count, 2);
  if (TouchBlock(half, false)) return half;
  return std::nullopt;
}

std::int32_t FreeRAM::ExitWindows(const std::string& mode) {
  std::string lower = mode;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  SessionEnd how;
  if (lower == "shutdown") {
    how = SessionEnd::PowerOff;
  } else if (lower == "reboot") {
    how = SessionEnd::Reboot;
  } else if (lower == "logoff") {
    how = SessionEnd::LogOff;
  } else {
    return 0;
  }
  return m_shell.EndSession(how) ? 1 : 0;
}

void FreeRAM::GoToURL(const std::string& URL) { m_shell.OpenDocument(URL); }

void FreeRAM::eMail(const std::string& emailID) { m_shell.OpenDocument("mailto:" + emailID); }

}  // namespace zf
