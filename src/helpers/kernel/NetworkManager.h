// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// NetworkManager's connections as a carrier of an interface's MTU, through nmcli. Whether
// NetworkManager runs is asked once on the system bus, so a machine without it never waits for
// nmcli.
#include <optional>
#include <string>

#include "core/Result.h"

namespace zf::kernel {

struct NmDevice {
  std::string connection;
  std::string property;  // "802-3-ethernet.mtu" or "wifi.mtu"
};

class NetworkManagerMtus {
 public:
  // The connection NetworkManager holds for the device; none when it does not run, does not
  // manage the device or the device is of a kind without an MTU property.
  std::optional<NmDevice> Device(const std::string& interfaceName);
  // The connection's MTU property ("0": automatic); the error quotes nmcli's own words.
  Result<Done> SetMtu(const NmDevice& device, const std::string& mtu);

 private:
  bool Running();
  std::optional<bool> m_running;
};

}  // namespace zf::kernel
