// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/KernelBridge.h"

#include "kernel/BootSysctls.h"
#include "kernel/HelperSession.h"
#include "kernel/LinuxMapping.h"
#include "kernel/NetlinkLinks.h"
#include "kernel/RestoredBackup.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {

const ILiveSystem& ThisMachine() {
  static const ProcLiveSystem live(
      "/proc/sys", [] { return ListLinks(); }, ListLinksNamed);
  return live;
}

Result<KernelPlan> KernelBridge::Plan() {
  auto stored = ReadStoredTuning(m_setup.registry, m_setup.family);
  if (!stored) return stored.error();
  auto ledger = LoadLedger(m_setup.ledgerPath);
  if (!ledger) return ledger.error();
  auto desired = MapToLinux(stored.value(), m_setup.live.Links(), ledger->originals, m_setup.live);
  const std::string preBridge =
      PreBridgeBackupInStore(m_setup.registry, m_setup.family.code, m_setup.backupsFolder, ledger.value());
  if (!preBridge.empty()) ReturnToOriginals(desired, ledger.value(), preBridge);
  KernelPlan plan = MakePlan(desired, m_setup.live, ledger.value());
  WarnOfBootOverrides(plan, BootSysctlFiles{});
  return plan;
}

std::unique_ptr<IKernelSession> KernelBridge::Apply(const KernelPlan& plan, const ApplyOptions& options) {
  HelperRequest request;
  request.kind = RequestKind::Apply;
  request.backupName = options.backupName;
  request.keepWithinSeconds = options.keepWithinSeconds;
  request.allowIpv6Loss = options.allowIpv6Loss;
  request.settings = plan.desired;
  request.planHash = plan.hash;
  return std::make_unique<HelperSession>(m_setup.helperCommand, request);
}

Result<KernelStatus> KernelBridge::Status() {
  auto ledger = LoadLedger(m_setup.ledgerPath);
  if (!ledger) return ledger.error();
  KernelStatus status;
  for (const auto& [key, managed] : ledger->managed) {
    ManagedSetting setting{key, DisplayName(key), {}, managed, m_setup.live.Read(key).value_or(""), Persistence::None,
                           {}};
    if (auto original = ledger->originals.find(key); original != ledger->originals.end())
      setting.original = original->second;
    if (auto how = ledger->persistence.find(key); how != ledger->persistence.end())
      setting.persistence = PersistenceFromWord(how->second);
    status.settings.push_back(std::move(setting));
  }
  status.history = ledger->history;
  MarkBootOverrides(status, BootSysctlFiles{});
  return status;
}

Result<std::string> KernelBridge::Revert() {
  HelperRequest request;
  request.kind = RequestKind::Revert;
  return RunHelperRequest(m_setup.helperCommand, request);
}

}  // namespace zf::kernel
