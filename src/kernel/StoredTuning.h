// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tuning values as a tuning run or a restore left them in the store, read back by layout.
#include <array>
#include <map>
#include <optional>
#include <string>

#include "core/Result.h"
#include "core/TuningFields.h"
#include "core/mdlOSVersion.h"
#include "platform/registry.h"

namespace zf::kernel {

struct StoredTuning {
  // By field; MTU stays empty here, it is kept per interface.
  std::array<std::optional<long long>, kTuningFieldCount> values{};
  // NT: interface key ({GUID}) → MTU; 9x: transport key ("0000") → MaxMTU. Keys without an
  // MTU are listed with no value.
  std::map<std::string, std::optional<long long>> interfaceMtus;
  bool ntLayout = true;

  std::optional<long long>& operator[](TuningField field) { return values[static_cast<std::size_t>(field)]; }
  const std::optional<long long>& operator[](TuningField field) const {
    return values[static_cast<std::size_t>(field)];
  }
};

// Fails only for an OS family without a layout; missing values and values that hold no number
// are simply absent.
Result<StoredTuning> ReadStoredTuning(IRegistry& registry, const OSFamily& family);

}  // namespace zf::kernel
