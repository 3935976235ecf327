// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// NetworkManager's connections as a carrier of an interface's MTU, all on the system bus: whether
// NetworkManager runs, which connection a device has, and the change itself (the whole profile with
// its secrets written back, the MTU alone changed). nmcli is the fallback where the bus cannot do
// what it could (an older NetworkManager, secrets withheld).
#include <optional>
#include <string>

#include "core/Result.h"

struct sd_bus;

namespace zf::kernel {

struct NmDevice {
  std::string connection;  // its name, for people
  std::string uuid;        // what nmcli is given
  std::string profile;     // the Settings.Connection object
  std::string setting;     // "802-3-ethernet" or "802-11-wireless"
  std::string property;    // the same for nmcli: "802-3-ethernet.mtu" or "wifi.mtu"
};

class NetworkManagerMtus {
 public:
  NetworkManagerMtus() = default;
  NetworkManagerMtus(const NetworkManagerMtus&) = delete;
  NetworkManagerMtus& operator=(const NetworkManagerMtus&) = delete;
  ~NetworkManagerMtus();

  // The connection NetworkManager holds for the device; none when it does not run, does not
  // manage the device or the device is of a kind without an MTU property.
  std::optional<NmDevice> Device(const std::string& interfaceName);
  // The connection's MTU property on disk ("0": automatic); the error quotes NetworkManager's
  // own words (and nmcli's when it was tried too).
  Result<Done> SetMtu(const NmDevice& device, const std::string& mtu);

 private:
  bool Running();
  std::optional<bool> m_running;
  struct sd_bus* m_bus = nullptr;
};

}  // namespace zf::kernel
