// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The kernel bridge over the store, the live system and the helper process.
#include <filesystem>
#include <string>
#include <vector>

#include "core/mdlOSVersion.h"
#include "kernel/IKernelBridge.h"
#include "kernel/LiveSystem.h"
#include "platform/registry.h"

namespace zf::kernel {

struct KernelBridgeSetup {
  IRegistry& registry;
  OSFamily family;
  const ILiveSystem& live;
  std::string ledgerPath;
  std::vector<std::string> helperCommand;  // how to start the helper (pkexec, or directly)
  std::filesystem::path backupsFolder;     // to know a store restored from a backup older than the bridge
};

class KernelBridge : public IKernelBridge {
 public:
  explicit KernelBridge(KernelBridgeSetup setup) : m_setup(std::move(setup)) {}

  Result<KernelPlan> Plan() override;
  std::unique_ptr<IKernelSession> Apply(const KernelPlan& plan, const ApplyOptions& options) override;
  Result<KernelStatus> Status() override;
  Result<std::string> Revert() override;

 private:
  KernelBridgeSetup m_setup;
};

// The live system of this machine: /proc/sys and rtnetlink.
const ILiveSystem& ThisMachine();

}  // namespace zf::kernel
