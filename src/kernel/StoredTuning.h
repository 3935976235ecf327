// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tuning values as a tuning run or a restore left them in the store, read back by layout.
#include <map>
#include <optional>
#include <string>

#include "core/Result.h"
#include "core/mdlOSVersion.h"
#include "platform/registry.h"

namespace zf::kernel {

struct StoredTuning {
  std::optional<long long> TTL, KeepAliveTime, KeepAliveInterval, SYNAttackProtect, RWIN;
  std::optional<long long> PmtuDiscovery, BlackHoleDetect, IcmpRedirects;
  std::optional<long long> MSS, NdiCacheSize, MaxConnPer10Server, MaxConnPerServer;
  // NT: interface key ({GUID}) → MTU; 9x: transport key ("0000") → MaxMTU. Keys without an
  // MTU are listed with no value.
  std::map<std::string, std::optional<long long>> interfaceMtus;
  bool ntLayout = true;
};

// Fails only for an OS family without a layout; missing values are simply absent.
Result<StoredTuning> ReadStoredTuning(IRegistry& registry, const OSFamily& family);

}  // namespace zf::kernel
