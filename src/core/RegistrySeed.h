// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a fresh store holds before any tuning: the network-adapter keys a fresh system has.
#include <string>
#include <string_view>
#include <vector>

#include "core/TuningKeys.h"
#include "platform/registry.h"

namespace zf {

// "{8-4-4-4-12}" in upper-case hex, the same for the same interface name on every run.
std::string InterfaceGuid(std::string_view interfaceName);

// Below HKEY_LOCAL_MACHINE: one key per interface under the Interfaces key, named by its GUID,
// and "0000", "0001", … under the NetTrans key, all in one batch. No value is written.
LONG SeedNetworkAdapters(IRegistry& registry, const std::vector<std::string>& interfaceNames);

// The same for a store made earlier: adds the keys of interfaces it does not name yet (a USB
// adapter, a VPN tunnel, a bridge made since) and writes nothing when none is new. Existing keys
// and their values stay as they are.
LONG AddNewNetworkAdapters(IRegistry& registry, const std::vector<std::string>& interfaceNames);

}  // namespace zf
