// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/LinuxMapping.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

#include "core/ReceiveWindow.h"
#include "core/RegistrySeed.h"
#include "core/Translatable.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

using F = TuningField;

class Mapper {
 public:
  Mapper(DesiredState& state, const std::vector<LinkInfo>& links) : m_state(state), m_links(links) {}

  // Sets key to value when the table allows it, otherwise says why the field stays unapplied.
  void Set(const std::string& key, long long value, const Phrase& source) {
    const std::string text = std::to_string(value);
    const Phrase problem = SettingProblem(key, text, FindLink(m_links, InterfaceOfKey(key)));
    if (!problem.empty()) {
      m_state.notes.push_back(
          Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "%1 gives %2 = %3, which is not applied: %4"),
                         {source, DisplayName(key), text, problem}));
      return;
    }
    m_state.values[key] = text;
    m_state.sources[key] = source;
  }

  std::vector<const LinkInfo*> Interfaces() const {
    std::vector<const LinkInfo*> result;
    for (const auto& link : m_links)
      if (!link.loopback && IsSafeInterfaceName(link.name)) result.push_back(&link);
    return result;
  }

  DesiredState& state() { return m_state; }

 private:
  DesiredState& m_state;
  const std::vector<LinkInfo>& m_links;
};

long long CeilSeconds(long long milliseconds) { return milliseconds <= 0 ? 0 : (milliseconds + 999) / 1000; }

void MapScalars(const StoredTuning& t, Mapper& map) {
  if (t[F::TTL]) map.Set(std::string(kTtlKey), *t[F::TTL], "TTL " + std::to_string(*t[F::TTL]));
  if (t[F::KeepAliveTime])
    map.Set(std::string(kKeepAliveTimeKey), CeilSeconds(*t[F::KeepAliveTime]),
            "KeepAliveTime " + std::to_string(*t[F::KeepAliveTime]) + " ms");
  if (t[F::KeepAliveInterval])
    map.Set(std::string(kKeepAliveIntervalKey), CeilSeconds(*t[F::KeepAliveInterval]),
            "KeepAliveInterval " + std::to_string(*t[F::KeepAliveInterval]) + " ms");
  // Linux's 2 forces cookies on every connection, a test mode; the NT level 2 means "protect".
  if (const auto& level = t[F::SYNAttackProtect]) {
    const std::string source = "SYNAttackProtect " + std::to_string(*level);
    if (*level < 0 || *level > 2)
      map.state().notes.push_back(Phrase::Format(
          ZF_TRANSLATABLE("zf::kernel::Plan", "%1 is not a level (0 to 2); it is applied as protection on, %2 = 1"),
          {source, DisplayName(kSynCookiesKey)}));
    map.Set(std::string(kSynCookiesKey), *level == 0 ? 0 : 1, source);
  }
  if (t[F::PmtuDiscovery])
    map.Set(std::string(kNoPmtuDiscKey), *t[F::PmtuDiscovery] ? 0 : 1,
            *t[F::PmtuDiscovery] ? "PmtuDiscovery on" : "PmtuDiscovery off");
  if (t[F::BlackHoleDetect])
    map.Set(std::string(kMtuProbingKey), *t[F::BlackHoleDetect] ? 1 : 0,
            *t[F::BlackHoleDetect] ? "BlackHoleDetect on" : "BlackHoleDetect off");
}

std::vector<long long> Triplet(const std::string& text) {
  std::vector<long long> parts;
  std::istringstream words(text);
  for (long long part; words >> part;) parts.push_back(part);
  return parts;
}

void MapReceiveWindow(const StoredTuning& t, const SettingMap& originals, const ILiveSystem& live, Mapper& map) {
  if (!t[F::RWIN]) return;
  // The store holds 32 unsigned bits; read back signed, 2^31 and more come out negative.
  if (*t[F::RWIN] < 0) {
    map.state().notes.push_back(Phrase::Format(
        ZF_TRANSLATABLE("zf::kernel::Plan", "RWIN %1 is not applied: Linux takes a receive window of at most %2 bytes"),
        {std::to_string(static_cast<std::uint32_t>(*t[F::RWIN])), std::to_string(kMaxReceiveWindowBytes)}));
    return;
  }
  const auto original = originals.count(std::string(kRmemKey)) ? std::optional(originals.at(std::string(kRmemKey)))
                                                               : live.Read(std::string(kRmemKey));
  const auto base = original ? Triplet(*original) : std::vector<long long>{};
  const std::string source = "RWIN " + std::to_string(*t[F::RWIN]);
  if (base.size() != 3) {
    map.state().notes.push_back(Phrase::Format(
        ZF_TRANSLATABLE("zf::kernel::Plan", "%1 is not applied: net.ipv4.tcp_rmem cannot be read"), {source}));
    return;
  }
  const long long max = ReceiveBufferMaxForWindow(*t[F::RWIN]);
  const long long def = std::min(base[1], max);
  const long long min = std::min(base[0], def);
  if (min < 1) {
    map.state().notes.push_back(
        Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "%1 is too small to apply"), {source}));
    return;
  }
  const std::string key(kRmemKey);
  map.state().values[key] = std::to_string(min) + " " + std::to_string(def) + " " + std::to_string(max);
  map.state().sources[key] = source;
  if (*t[F::RWIN] > kMaxReceiveWindowBytes)
    map.state().notes.push_back(Phrase::Format(
        ZF_TRANSLATABLE("zf::kernel::Plan", "%1 is capped: tcp_rmem's largest maximum, %2, gives a window of %3 bytes"),
        {source, std::to_string(max), std::to_string(WindowForReceiveBuffer(max))}));
}

// The kernel honours a redirect when "all" or the interface allows it, so "off" must reach
// every interface as well.
void MapRedirects(const StoredTuning& t, Mapper& map) {
  if (!t[F::IcmpRedirects]) return;
  const long long value = *t[F::IcmpRedirects] ? 1 : 0;
  const std::string source = value ? "IcmpRedirects on" : "IcmpRedirects off";
  map.Set(RedirectsKey("all"), value, source);
  map.Set(RedirectsKey("default"), value, source);
  if (value == 0)
    for (const LinkInfo* link : map.Interfaces()) map.Set(RedirectsKey(link->name), 0, source);
}

void MapNtMtus(const StoredTuning& t, Mapper& map) {
  std::map<std::string, std::optional<long long>> unmatched = t.interfaceMtus;
  for (const LinkInfo* link : map.Interfaces()) {
    const auto entry = t.interfaceMtus.find(InterfaceGuid(link->name));
    if (entry == t.interfaceMtus.end()) continue;
    unmatched.erase(entry->first);
    if (entry->second)
      map.Set(MtuKey(link->name), *entry->second,
              Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "MTU of %1"), {entry->first}));
  }
  for (const auto& [guid, mtu] : unmatched)
    if (mtu)
      map.state().notes.push_back(Phrase::Format(
          ZF_TRANSLATABLE("zf::kernel::Plan", "interface %1 is not on this computer; its MTU is skipped"), {guid}));
}

// The 9x layout keeps one MTU per transport, all alike, and no tie to a device.
void Map9xMtus(const StoredTuning& t, Mapper& map) {
  for (const auto& [transport, mtu] : t.interfaceMtus) {
    if (!mtu) continue;
    const Phrase source = Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "MaxMTU of transport %1"), {transport});
    for (const LinkInfo* link : map.Interfaces()) map.Set(MtuKey(link->name), *mtu, source);
    return;
  }
}

// The MSS follows the MTU that is applied, not one the table refused.
std::optional<long long> AppliedMtu(const DesiredState& state) {
  for (const auto& [key, value] : state.values)
    if (IsMtuKey(key)) return std::stoll(value);
  return std::nullopt;
}

void AddRegistryOnlyNotes(const StoredTuning& t, DesiredState& state) {
  const auto mtu = AppliedMtu(state);
  const std::string mss = t[F::MSS] ? "MSS " + std::to_string(*t[F::MSS]) : std::string();
  if (t[F::MSS] && mtu && *t[F::MSS] != *mtu - 40)
    state.notes.push_back(Phrase::Format(
        ZF_TRANSLATABLE("zf::kernel::Plan", "%1 stays in the registry: Linux derives the MSS from the MTU (%2)"),
        {mss, std::to_string(*mtu - 40)}));
  else if (t[F::MSS] && !mtu && *t[F::MSS] > 0)
    state.notes.push_back(
        Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan",
                                       "%1 stays in the registry: Linux derives the MSS from each interface's MTU"),
                       {mss}));
  const std::pair<const char*, const std::optional<long long>*> registryOnly[] = {
      {"NdiCacheSize", &t[F::NdiCacheSize]},
      {"MaxConnPer10Server", &t[F::MaxConnPer10Server]},
      {"MaxConnPerServer", &t[F::MaxConnPerServer]}};
  for (const auto& [name, value] : registryOnly)
    if (*value)
      state.notes.push_back(Phrase::Format(
          ZF_TRANSLATABLE("zf::kernel::Plan", "%1 %2 has no Linux equivalent and stays in the registry only"),
          {std::string(name), std::to_string(**value)}));
}

}  // namespace

DesiredState MapToLinux(const StoredTuning& tuning, const std::vector<LinkInfo>& links, const SettingMap& originals,
                        const ILiveSystem& live) {
  DesiredState state;
  Mapper map(state, links);
  MapScalars(tuning, map);
  MapReceiveWindow(tuning, originals, live, map);
  MapRedirects(tuning, map);
  if (tuning.ntLayout)
    MapNtMtus(tuning, map);
  else
    Map9xMtus(tuning, map);
  AddRegistryOnlyNotes(tuning, state);
  return state;
}

KernelPlan MakePlan(const DesiredState& desired, const ILiveSystem& live, const Ledger& ledger) {
  KernelPlan plan = MakePlan(desired.values, live, ledger);
  for (auto& change : plan.changes)
    if (auto source = desired.sources.find(change.key); source != desired.sources.end()) change.note = source->second;
  plan.notes = desired.notes;
  return plan;
}

}  // namespace zf::kernel
