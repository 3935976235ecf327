// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/KernelPlan.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>

#include "core/ReceiveWindow.h"
#include "core/Translatable.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

constexpr double kCapWorthWarning = 1000.0;  // Mbit/s

std::string Hash(const std::vector<KernelChange>& changes) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  auto mix = [&hash](std::string_view text) {
    for (unsigned char c : text) {
      hash ^= c;
      hash *= 0x100000001B3ULL;
    }
    hash ^= 0xFF;  // a field separator no field can hold
    hash *= 0x100000001B3ULL;
  };
  for (const auto& change : changes) {
    mix(change.key);
    mix(change.now);
    mix(change.after);
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

long long LastNumber(const std::string& text) {
  std::istringstream words(text);
  long long last = 0;
  for (long long number; words >> number;) last = number;
  return last;
}

void AddWarnings(KernelPlan& plan) {
  for (const auto& change : plan.changes) {
    if (!change.Changes()) continue;
    if (IsMtuKey(change.key)) {
      const long mtu = static_cast<long>(LastNumber(change.after));
      const std::string name = InterfaceOfKey(change.key);
      if (mtu < kIpv6MinimumMtu)
        plan.warnings.push_back(
            {WarningKind::Ipv6Loss,
             Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan",
                                            "MTU %1 on %2 is below 1280: the kernel removes its IPv6 addresses, and "
                                            "going back restores only the link-local one"),
                            {change.after, name})});
      plan.warnings.push_back(
          {WarningKind::LinkBounce,
           Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "changing the MTU of %1 may briefly bounce the link"),
                          {name})});
    } else if (change.key == kRmemKey) {
      const double cap = ThroughputCapMbits(LastNumber(change.after));
      if (cap < kCapWorthWarning) {
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.1f", cap);
        plan.warnings.push_back(
            {WarningKind::ThroughputCap,
             Phrase::Format(
                 ZF_TRANSLATABLE("zf::kernel::Plan",
                                 "a receive window of %1 bytes caps one connection at about %2 Mbit/s at 20 ms "
                                 "round trip"),
                 {std::to_string(static_cast<long long>(WindowForReceiveBuffer(LastNumber(change.after)))), rate})});
      }
    }
  }
}

}  // namespace

double ThroughputCapMbits(long long rmemMax) {
  return WindowCapBitsPerSecond(WindowForReceiveBuffer(rmemMax), kCapRoundTripSeconds) / 1e6;
}

KernelPlan MakePlan(const SettingMap& desired, const ILiveSystem& live, const Ledger& ledger) {
  KernelPlan plan;
  plan.desired = desired;
  SettingMap targets = desired;
  for (const auto& [key, value] : ledger.managed)
    if (!desired.count(key) && ledger.originals.count(key)) targets[key] = ledger.originals.at(key);
  // One question for all the MTUs' interfaces rather than one per interface.
  std::optional<std::vector<LinkInfo>> links;
  auto now = [&](const std::string& key) -> std::string {
    if (!IsMtuKey(key)) return live.Read(key).value_or("");
    if (!links) {
      std::vector<std::string> names;
      for (const auto& [target, unused] : targets)
        if (IsMtuKey(target)) names.push_back(InterfaceOfKey(target));
      links = live.LinksNamed(names);
    }
    const LinkInfo* link = FindLink(*links, InterfaceOfKey(key));
    return link ? std::to_string(link->mtu) : std::string();
  };
  for (const auto& [key, after] : targets) {
    KernelChange change{key, DisplayName(key), now(key), after, {}};
    if (!desired.count(key)) change.note = Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "back to its original"));
    plan.changes.push_back(std::move(change));
  }
  plan.hash = Hash(plan.changes);
  AddWarnings(plan);
  return plan;
}

}  // namespace zf::kernel
