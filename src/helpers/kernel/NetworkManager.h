// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// NetworkManager's connections as a carrier of an interface's MTU. Whether NetworkManager runs
// and which connection a device has are read on the system bus (a machine without NetworkManager
// never waits for nmcli); only the change goes through nmcli, which keeps the connection's secrets
// as they were.
#include <optional>
#include <string>

#include "core/Result.h"

struct sd_bus;

namespace zf::kernel {

struct NmDevice {
  std::string connection;  // its name, for people
  std::string uuid;        // what nmcli is given
  std::string property;    // "802-3-ethernet.mtu" or "wifi.mtu"
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
  // The connection's MTU property ("0": automatic); the error quotes nmcli's own words.
  Result<Done> SetMtu(const NmDevice& device, const std::string& mtu);

 private:
  bool Running();
  std::optional<bool> m_running;
  struct sd_bus* m_bus = nullptr;
};

}  // namespace zf::kernel
