// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/LinuxIcmp.h"

#include <arpa/inet.h>
#include <linux/icmp.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "platform/linux/PingProgramClient.h"

namespace zf {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kLongestSlice{50};
constexpr std::size_t kHeaderSize = 8;            // type, code, checksum, identifier, sequence
constexpr std::size_t kReceiveBufferSize = 1500;  // room for an IP header and any echoed data
// What a raw socket may queue (the kernel doubles it): every echo reply of the machine reaches
// it, and a request waits for one reply only.
constexpr int kRawQueueBytes = 16 * 1024;

using EchoSocket = LinuxIcmp::EchoSocket;

bool DatagramRefused(int error) {
  return error == EACCES || error == EPERM || error == EAFNOSUPPORT || error == EPROTONOSUPPORT;
}

bool RawRefused(int error) { return error == EACCES || error == EPERM || error == EAFNOSUPPORT; }

// A datagram socket gets its identifier from the kernel, which rewrites the field and routes only
// matching replies to it; a raw socket sees every ICMP packet of the machine, so it picks one and
// filters by it.
std::optional<std::uint16_t> PrepareSocket(int fd, bool raw) {
  if (raw) {
    icmp_filter filter{~(1U << ICMP_ECHOREPLY)};
    if (::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kRawQueueBytes, sizeof kRawQueueBytes) != 0)
      return std::nullopt;
    return static_cast<std::uint16_t>(::getpid());
  }
  sockaddr_in local{};
  local.sin_family = AF_INET;
  socklen_t length = sizeof local;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
    return std::nullopt;
  return ntohs(local.sin_port);
}

std::optional<EchoSocket> Prepared(int fd, bool raw) {
  if (auto identifier = PrepareSocket(fd, raw)) return EchoSocket{fd, raw, *identifier};
  ::close(fd);
  return std::nullopt;
}

std::optional<EchoSocket> OpenEchoSocket(IcmpSocketKinds kinds, IcmpStatus& status) {
  constexpr int kFlags = SOCK_CLOEXEC | SOCK_NONBLOCK;
  status = IcmpStatus::GeneralFailure;
  if (kinds != IcmpSocketKinds::RawOnly) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | kFlags, IPPROTO_ICMP);
    if (fd >= 0) return Prepared(fd, false);
    if (!DatagramRefused(errno)) return std::nullopt;
    if (kinds == IcmpSocketKinds::DatagramOnly) {
      status = IcmpStatus::NotPermitted;
      return std::nullopt;
    }
  }
  const int fd = ::socket(AF_INET, SOCK_RAW | kFlags, IPPROTO_ICMP);
  if (fd >= 0) return Prepared(fd, true);
  if (RawRefused(errno)) status = IcmpStatus::NotPermitted;
  return std::nullopt;
}

// Drops what queued up while a raw socket was idle (every echo reply of the machine reaches it),
// so a full receive buffer can never swallow the reply to come. A datagram socket only ever
// holds late replies to its own requests, which the wait skips.
void DiscardQueued(const EchoSocket& socket) {
  if (!socket.raw) return;
  std::uint8_t buffer[kReceiveBufferSize];
  while (::recv(socket.fd, buffer, sizeof buffer, MSG_DONTWAIT) >= 0) {
  }
}

std::uint16_t NextSequence() {
  static std::atomic<std::uint16_t> sequence{0};
  return ++sequence;
}

std::uint16_t Checksum(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const std::uint32_t low = i + 1 < bytes.size() ? bytes[i + 1] : 0;
    sum += (std::uint32_t{bytes[i]} << 8) | low;
  }
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

void PutWord(std::vector<std::uint8_t>& packet, std::size_t at, std::uint16_t value) {
  packet[at] = static_cast<std::uint8_t>(value >> 8);
  packet[at + 1] = static_cast<std::uint8_t>(value);
}

std::uint16_t WordAt(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

std::vector<std::uint8_t> EchoRequest(std::uint16_t identifier, std::uint16_t sequence,
                                      std::span<const std::uint8_t> payload) {
  std::vector<std::uint8_t> packet(kHeaderSize);
  packet[0] = ICMP_ECHO;
  PutWord(packet, 4, identifier);
  PutWord(packet, 6, sequence);
  packet.insert(packet.end(), payload.begin(), payload.end());
  PutWord(packet, 2, Checksum(packet));
  return packet;
}

IcmpStatus SendFailureStatus(int error) {
  switch (error) {
    case ENETUNREACH: return IcmpStatus::DestNetUnreachable;
    case EHOSTUNREACH: return IcmpStatus::DestHostUnreachable;
    case EINVAL:
    case EDESTADDRREQ: return IcmpStatus::BadDestination;
    default: return IcmpStatus::GeneralFailure;
  }
}

sockaddr_in SocketAddress(const IPv4Address& address) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  std::memcpy(&target.sin_addr, address.data(), address.size());
  return target;
}

IPv4Address AddressOf(const sockaddr_in& socketAddress) {
  IPv4Address address;
  std::memcpy(address.data(), &socketAddress.sin_addr, address.size());
  return address;
}

struct Expected {
  IPv4Address from;
  std::uint16_t identifier;
  std::uint16_t sequence;
};

// The echoed data size when packet is the reply to our request, nothing otherwise: on Linux even
// 0.0.0.0 gets a local reply from 127.0.0.1, and other programs' pings pass by a raw socket.
std::optional<std::uint16_t> MatchReply(std::span<const std::uint8_t> packet, bool raw, const sockaddr_in& sender,
                                        const Expected& expected) {
  if (raw) {
    if (packet.empty()) return std::nullopt;
    const std::size_t ipHeader = (packet[0] & 0x0F) * 4u;
    if (packet.size() < ipHeader) return std::nullopt;
    packet = packet.subspan(ipHeader);
  }
  if (packet.size() < kHeaderSize || packet[0] != ICMP_ECHOREPLY || AddressOf(sender) != expected.from ||
      WordAt(packet, 4) != expected.identifier || WordAt(packet, 6) != expected.sequence)
    return std::nullopt;
  return static_cast<std::uint16_t>(packet.size() - kHeaderSize);
}

// Reads every queued packet; the echoed data size once the awaited reply is among them.
std::optional<std::uint16_t> DrainForReply(const EchoSocket& socket, const Expected& expected) {
  std::uint8_t buffer[kReceiveBufferSize];
  for (;;) {
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t received =
        ::recvfrom(socket.fd, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender), &length);
    if (received < 0) return std::nullopt;
    auto match = MatchReply({buffer, static_cast<std::size_t>(received)}, socket.raw, sender, expected);
    if (match) return match;
  }
}

// The reply, or why there is none; std::nullopt when the socket failed and must not be reused.
std::optional<IcmpEchoReply> AwaitReply(const EchoSocket& socket, const Expected& expected, Clock::time_point sentAt,
                                        milliseconds timeout, const std::function<void()>& whileWaiting) {
  const Clock::time_point deadline = sentAt + timeout;
  IcmpEchoReply reply;
  for (;;) {
    if (auto dataSize = DrainForReply(socket, expected)) {
      reply.Address = expected.from;
      reply.Status = IcmpStatus::Success;
      reply.RoundTripTime =
          static_cast<std::uint32_t>(std::chrono::duration_cast<milliseconds>(Clock::now() - sentAt).count());
      reply.DataSize = *dataSize;
      return reply;
    }
    const auto remaining = std::max(milliseconds{0}, std::chrono::ceil<milliseconds>(deadline - Clock::now()));
    if (remaining.count() == 0) {
      reply.Status = IcmpStatus::TimedOut;
      return reply;
    }
    pollfd waitFor{socket.fd, POLLIN, 0};
    if (::poll(&waitFor, 1, static_cast<int>(std::min(remaining, kLongestSlice).count())) < 0 && errno != EINTR)
      return std::nullopt;
    if (whileWaiting) whileWaiting();
  }
}

}  // namespace

std::vector<IPv4Address> LinuxIcmp::ResolveIPv4(const std::string& name) {
  std::vector<IPv4Address> addresses;
  if (name.find('\0') != std::string::npos) return addresses;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;  // one entry per address
  addrinfo* found = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) return addresses;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next)
    addresses.push_back(AddressOf(*reinterpret_cast<const sockaddr_in*>(entry->ai_addr)));
  ::freeaddrinfo(found);
  return addresses;
}

LinuxIcmp::LinuxIcmp(IcmpOptions options) : m_kinds(options.kinds) {
  if (options.rawSocket >= 0) {
    if (auto adopted = Prepared(options.rawSocket, true)) m_idle.push_back(*adopted);
  }
  if (!options.pingProgram.empty()) m_pingProgram = std::make_unique<PingProgramClient>(options.pingProgram);
}

LinuxIcmp::~LinuxIcmp() {
  for (const EchoSocket& socket : m_idle) ::close(socket.fd);
}

bool LinuxIcmp::AwaitReadable(int fd) {
  std::vector<pollfd> watched{{fd, POLLIN, 0}};
  for (const EchoSocket& socket : m_idle) watched.push_back({socket.fd, POLLIN, 0});
  for (;;) {
    if (::poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (std::size_t i = 1; i < watched.size(); ++i)
      if (watched[i].revents & POLLIN) DiscardQueued(m_idle[i - 1]);
    if (watched[0].revents != 0) return true;
  }
}

std::optional<EchoSocket> LinuxIcmp::TakeSocket(IcmpStatus& status) {
  if (m_idle.empty()) return OpenEchoSocket(m_kinds, status);
  const EchoSocket socket = m_idle.back();
  m_idle.pop_back();
  DiscardQueued(socket);
  return socket;
}

IcmpEchoReply LinuxIcmp::SendEcho(const IPv4Address& address, std::span<const std::uint8_t> payload,
                                  std::uint32_t timeoutMs, const std::function<void()>& whileWaiting) {
  IcmpEchoReply reply;
  const auto socket = TakeSocket(reply.Status);
  if (!socket && reply.Status == IcmpStatus::NotPermitted && m_pingProgram)
    return m_pingProgram->SendEcho(address, payload, timeoutMs, whileWaiting);
  if (!socket) return reply;
  const Expected expected{address, socket->identifier, NextSequence()};
  const auto request = EchoRequest(expected.identifier, expected.sequence, payload);
  const sockaddr_in target = SocketAddress(address);
  const Clock::time_point sentAt = Clock::now();
  if (::sendto(socket->fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&target),
               sizeof target) < 0) {
    // The socket itself is sound (an unreachable network, say): keep it, as a process that gave
    // up its privileges could not open another raw one.
    reply.Status = SendFailureStatus(errno);
    m_idle.push_back(*socket);
    return reply;
  }
  // Other requests may run while this one waits (events run in between); each keeps its own socket.
  const auto answer = AwaitReply(*socket, expected, sentAt, milliseconds{timeoutMs}, whileWaiting);
  if (!answer) {
    ::close(socket->fd);
    return reply;
  }
  m_idle.push_back(*socket);
  return *answer;
}

}  // namespace zf
