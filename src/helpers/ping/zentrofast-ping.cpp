// SPDX-License-Identifier: GPL-3.0-or-later
// The ping program: the one part of Zentrofast that may be installed with cap_net_raw. It opens
// its raw ICMP socket, gives up every capability at once, and from then on only answers echo
// requests read from stdin (see PingProgramProtocol.h). It reads no environment variable.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/fdio.h"
#include "platform/linux/Capabilities.h"
#include "platform/linux/LinuxIcmp.h"
#include "platform/linux/PingProgramProtocol.h"

namespace {

constexpr int kExitCouldNotDrop = 1;
constexpr int kExitBadRequest = 2;

}  // namespace

int main() {
  const int rawSocket = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMP);
  // It never starts another program, so nothing may regain a privilege through exec either.
  if (!zf::DropAllCapabilities() || !zf::ForbidNewPrivileges()) return kExitCouldNotDrop;
  ::clearenv();
  // Without a socket every request is answered "not permitted": the caller explains what to do.
  zf::LinuxIcmp icmp(zf::IcmpOptions{zf::IcmpSocketKinds::RawOnly, rawSocket, {}});
  namespace protocol = zf::pingprogram;
  for (;;) {
    std::array<std::uint8_t, protocol::kRequestHeaderSize> headerBytes;
    // An idle program keeps emptying its socket: every echo reply of the machine reaches it.
    if (!icmp.AwaitReadable(STDIN_FILENO) || zf::fdio::ReadExactly(STDIN_FILENO, headerBytes) != 0) return 0;
    const auto header = protocol::DecodeRequestHeader(headerBytes);
    if (!header) return kExitBadRequest;
    std::vector<std::uint8_t> payload(header->payloadSize);
    if (zf::fdio::ReadExactly(STDIN_FILENO, payload) != 0) return 0;
    const zf::IcmpEchoReply reply = icmp.SendEcho(header->address, payload, header->timeoutMs, nullptr);
    if (zf::fdio::WriteAll(STDOUT_FILENO, zf::fdio::Bytes(protocol::EncodeReply(reply))) != 0) return 0;
  }
}
