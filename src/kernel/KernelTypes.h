// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the kernel bridge shows and hands around: a plan, its warnings, the managed settings.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/Translatable.h"

namespace zf::kernel {

// A text of the plan for people (see zf::Phrase): its formats are of the catalogue's context
// zf::kernel::Plan, so Format needs no context; the command line, the JSON and the logs read
// English().
struct Phrase : zf::Phrase {
  static constexpr const char* kContext = "zf::kernel::Plan";

  using zf::Phrase::Phrase;
  Phrase() = default;
  Phrase(zf::Phrase phrase) : zf::Phrase(std::move(phrase)) {}
  static Phrase Format(const char* format, std::vector<zf::Phrase> arguments = {}) {
    return zf::Phrase::Format(kContext, format, std::move(arguments));
  }
};

// Setting keys are paths below /proc/sys ("net/ipv4/ip_default_ttl",
// "net/ipv4/conf/eth0/accept_redirects") or "link/IFNAME/mtu" for an interface's MTU.
using SettingMap = std::map<std::string, std::string>;

struct KernelChange {
  std::string key;
  std::string setting;  // what a person reads: "net.ipv4.ip_default_ttl", "eth0 MTU"
  std::string now;      // live value; empty when it could not be read
  std::string after;
  Phrase note;  // the stored value it comes from, or why it changes
  bool Changes() const { return now != after; }
};

enum class WarningKind { Ipv6Loss, ThroughputCap, LinkBounce, BootOverride };

struct KernelWarning {
  WarningKind kind;
  Phrase text;
};

struct KernelPlan {
  SettingMap desired;                 // the full desired state the helper is asked for
  std::vector<KernelChange> changes;  // every setting the plan sets or returns to its original
  std::vector<KernelWarning> warnings;
  std::vector<Phrase> notes;  // fields without a Linux setting, skipped interfaces, MSS
  std::string hash;           // of the changes and the live values they were made from

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
