// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ICMP echo over a socket of this process: an unprivileged ICMP datagram socket where the system
// allows one, otherwise a raw socket where the process may open one. Names go to getaddrinfo.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/icmp.h"

namespace zf {

enum class IcmpSocketKinds { DatagramThenRaw, DatagramOnly, RawOnly };

struct IcmpOptions {
  IcmpSocketKinds kinds = IcmpSocketKinds::DatagramThenRaw;
  // A raw socket opened before the process gave up its privileges, used (and owned) from then on.
  int rawSocket = -1;
  // The ping program that sends for this process when it may open no socket of the kinds above.
  std::string pingProgram;
};

class PingProgramClient;

// One thread only (the user-interface thread). Each request gets a socket no other request is
// using at that moment; sockets are kept for the next request because opening one costs about
// as much as a whole echo on loopback.
class LinuxIcmp final : public IIcmp {
 public:
  explicit LinuxIcmp(IcmpSocketKinds kinds = IcmpSocketKinds::DatagramThenRaw)
      : LinuxIcmp(IcmpOptions{kinds, -1, {}}) {}
  explicit LinuxIcmp(IcmpOptions options);
  ~LinuxIcmp() override;
  LinuxIcmp(const LinuxIcmp&) = delete;
  LinuxIcmp& operator=(const LinuxIcmp&) = delete;

  std::vector<IPv4Address> ResolveIPv4(const std::string& name) override;
  IcmpEchoReply SendEcho(const IPv4Address& address, std::span<const std::uint8_t> payload, std::uint32_t timeoutMs,
                         const std::function<void()>& whileWaiting) override;

  // Waits until fd can be read (or is closed), meanwhile emptying the idle sockets of the echo
  // replies that reach a raw socket for other programs. False when waiting failed.
  bool AwaitReadable(int fd);

  struct EchoSocket {
    int fd = -1;
    bool raw = false;
    std::uint16_t identifier = 0;  // what our requests carry, host order
  };

 private:
  // A socket for one request: an idle one, else a new one; status tells why there is none.
  std::optional<EchoSocket> TakeSocket(IcmpStatus& status);

  IcmpSocketKinds m_kinds;
  std::vector<EchoSocket> m_idle;
  std::unique_ptr<PingProgramClient> m_pingProgram;
};

}  // namespace zf
