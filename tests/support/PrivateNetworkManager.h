// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// NetworkManager of the test's own, inside the mount and network namespaces the test already
// made (see KernelNamespace.h): a private system bus on a tmpfs over /run/dbus and
// `NetworkManager --no-daemon` with its folders on tmpfs, managing a keyfile connection for one
// interface. sysfs is mounted read-only for this namespace: NetworkManager then takes every link
// as ready instead of waiting for a udev that does not run here.
#include <sys/types.h>

#include <string>
#include <vector>

namespace zf::test {

class PrivateNetworkManager {
 public:
  PrivateNetworkManager() = default;
  PrivateNetworkManager(const PrivateNetworkManager&) = delete;
  PrivateNetworkManager& operator=(const PrivateNetworkManager&) = delete;
  // Stops NetworkManager and the bus and unmounts their folders.
  ~PrivateNetworkManager();

  // Starts both with a connection named like the interface, without an MTU of its own, and
  // waits until it is active. Empty when it is, else why not (a reason to skip when the programs
  // are not installed).
  std::string Start(const std::string& interfaceName);

  // The connection's keyfile as NetworkManager keeps it.
  static std::string Keyfile(const std::string& interfaceName);
  // nmcli's answer with standard error folded in; empty on failure.
  static std::string Nmcli(const std::vector<std::string>& arguments);
  // The connection's MTU property as nmcli shows it ("auto" when unset).
  static std::string ConnectionMtu(const std::string& connection);
  // Takes the connection down and up again; true when it came back.
  static bool Reconnect(const std::string& connection);

 private:
  std::string WaitUntilActive(const std::string& connection);
  pid_t m_bus = -1;
  pid_t m_networkManager = -1;
  std::vector<std::string> m_mounts;
  std::string m_configFolder;
};

}  // namespace zf::test
