// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Memory statistics, the memory freeing, and the session and mail conveniences of the memory
// screens. Created when needed and dropped after use.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/memory.h"
#include "platform/shell.h"
#include "platform/window.h"

namespace zf {

// A freeing block never takes the last memory the system reports available: it leaves 1/64 of
// physical memory (about the kernel's own reserve plus room for the desktop), at least the floor
// and at most the cap, so that neither this program nor the user's others get picked by the
// out-of-memory killer. The cap keeps the margin below the usual alarm levels: an uncapped 1/64
// is 256 MiB at 16 GiB, above the default 250 MB alarm, and would leave freeing nothing to do.
inline constexpr std::int64_t kFreeingSafetyMarginBytes = 64 * 1048576LL;
inline constexpr std::int64_t kFreeingSafetyMarginCapBytes = 128 * 1048576LL;
inline constexpr std::int64_t kFreeingSafetyMarginShare = 64;

// Bytes a freeing leaves available on a machine with totalPhysical bytes of memory.
std::int64_t FreeingSafetyMargin(std::int64_t totalPhysical);

class FreeRAM {
 public:
  FreeRAM(ISystemInfo& systemInfo, IWindowSystem& windowSystem, IShell& shell)
      : m_systemInfo(systemInfo), m_windowSystem(windowSystem), m_shell(shell) {}

  // Each getter refreshes the record first; a failed refresh keeps its previous contents.
  std::int64_t GetFreePhysical();
  std::int64_t GetTotalPhysical();
  std::int32_t GetMemoryLoad();
  std::int64_t GetFreeVirtual();
  std::int64_t GetTotalVirtual();

  // Makes the system supply dwBytes written two-byte characters and gives them back. Returns
  // the characters actually allocated: fewer when the request exceeds what is available now
  // (less the safety margin), half of that when the block could not be had; empty when even
  // the half failed.
  std::optional<std::int64_t> FreeUpMemory(std::int64_t dwBytes);

  // "shutdown", "reboot" or "logoff" in any letter case: 1 when the session manager took the
  // request, 0 otherwise (and for any other mode, which asks nothing).
  std::int32_t ExitWindows(const std::string& mode);
  void GoToURL(const std::string& URL);
  void eMail(const std::string& emailID);

  // Characters a freeing block may have now: the available memory less the safety margin.
  std::int64_t SafeCharacterLimit();

 private:
  // Allocates and writes count characters, then releases them; false when not supplied.
  bool TouchBlock(std::int64_t count, bool letEventsRunAfter);

  ISystemInfo& m_systemInfo;
  IWindowSystem& m_windowSystem;
  IShell& m_shell;
  MemoryStatus m_status;
  AddressSpace m_addressSpace;
};

}  // namespace zf
