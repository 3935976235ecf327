// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the kernel bridge shows and hands around: a plan, its warnings, the managed settings.
#include <map>
#include <string>
#include <vector>

namespace zf::kernel {

// Setting keys are paths below /proc/sys ("net/ipv4/ip_default_ttl",
// "net/ipv4/conf/eth0/accept_redirects") or "link/IFNAME/mtu" for an interface's MTU.
using SettingMap = std::map<std::string, std::string>;

struct KernelChange {
  std::string key;
  std::string setting;  // what a person reads: "net.ipv4.ip_default_ttl", "eth0 MTU"
  std::string now;      // live value; empty when it could not be read
  std::string after;
  std::string note;
  bool Changes() const { return now != after; }
};

enum class WarningKind { Ipv6Loss, ThroughputCap, LinkBounce, BootOverride };

struct KernelWarning {
  WarningKind kind;
  std::string text;
};

struct KernelPlan {
  SettingMap desired;                 // the full desired state the helper is asked for
  std::vector<KernelChange> changes;  // every setting the plan sets or returns to its original
  std::vector<KernelWarning> warnings;
  std::vector<std::string> notes;  // fields without a Linux setting, skipped interfaces, MSS
  std::string hash;                // of the changes and the live values they were made from

  bool ChangesAnything() const {
    for (const auto& change : changes)
      if (change.Changes()) return true;
    return false;
  }
  bool NeedsIpv6Acceptance() const {
    for (const auto& warning : warnings)
      if (warning.kind == WarningKind::Ipv6Loss) return true;
    return false;
  }
};

struct ApplyOptions {
  int keepWithinSeconds = 30;
  bool allowIpv6Loss = false;
  std::string backupName;  // recorded in the ledger's history
};

enum class Persistence { None, Sysctl, NetworkManager, LinkFile, RuntimeOnly };

struct ManagedSetting {
  std::string key;
  std::string setting;
  std::string original;
  std::string managed;  // the value the bridge set
  std::string live;
  Persistence persistence = Persistence::None;
  std::string overriddenAtBootBy;  // an administrator's sysctl file that boot reads after ours
  bool Drifted() const { return live != managed; }
};

struct Transaction {
  std::string id;
  std::string user;
  std::string backupName;
  std::string outcome;  // "kept" or "reverted"
};

struct KernelStatus {
  std::vector<ManagedSetting> settings;
  std::vector<Transaction> history;
};

}  // namespace zf::kernel
