// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/SocketProbes.h"

#include <fcntl.h>
#include <linux/errqueue.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zf::measure {
namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr auto kSlice = std::chrono::milliseconds(50);

class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  ~Fd() {
    if (m_fd >= 0) close(m_fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

double MillisecondsSince(SteadyClock::time_point start) {
  return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

// Waits for `events` on fd in slices so a cancel is noticed; false on time-out or cancel.
bool WaitFor(int fd, short events, SteadyClock::time_point deadline, const CancelFlag& cancel) {
  while (!cancel.IsCancelled()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    if (left.count() <= 0) return false;
    pollfd entry{fd, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(std::min(left, std::chrono::milliseconds(kSlice)).count()));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
  return false;
}

ConnectProbe::Answer AnswerOf(int error) {
  switch (error) {
    case 0: return ConnectProbe::Answer::Accepted;
    case ECONNREFUSED: return ConnectProbe::Answer::Refused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case EADDRNOTAVAIL: return ConnectProbe::Answer::NoRoute;
    default: return ConnectProbe::Answer::NoAnswer;
  }
}

int IpLevel(int family) { return family == AF_INET6 ? IPPROTO_IPV6 : IPPROTO_IP; }
int MtuOption(int family) { return family == AF_INET6 ? IPV6_MTU : IP_MTU; }
int HeaderBytes(int family) { return family == AF_INET6 ? 48 : 28; }

std::optional<int> KnownMtu(int fd, int family) {
  int mtu = 0;
  socklen_t length = sizeof mtu;
  if (getsockopt(fd, IpLevel(family), MtuOption(family), &mtu, &length) != 0 || mtu <= 0) return std::nullopt;
  return mtu;
}

// Reads the socket's error queue; true when it told of a smaller MTU on the way.
bool DrainErrors(int fd) {
  bool smaller = false;
  for (;;) {
    char data[64];
    char control[512];
    iovec io{data, sizeof data};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    if (recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) return smaller;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
      const auto* error = reinterpret_cast<const sock_extended_err*>(CMSG_DATA(c));
      if (error->ee_errno == EMSGSIZE) smaller = true;
    }
  }
}

}  // namespace

ConnectProbe ProbeConnect(const ResolvedAddress& to, std::chrono::milliseconds timeout, const CancelFlag& cancel) {
  ConnectProbe probe;
  Fd fd(socket(to.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
  if (fd.get() < 0) {
    probe.error = errno;
    return probe;
  }
  const auto start = SteadyClock::now();
  if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&to.address), to.length) == 0) {
    probe.answer = ConnectProbe::Answer::Accepted;
  } else if (errno != EINPROGRESS) {
    probe.error = errno;
    probe.answer = AnswerOf(errno);
  } else if (!WaitFor(fd.get(), POLLOUT, start + timeout, cancel)) {
    probe.answer = cancel.IsCancelled() ? ConnectProbe::Answer::Cancelled : ConnectProbe::Answer::NoAnswer;
    probe.error = ETIMEDOUT;
  } else {
    socklen_t length = sizeof probe.error;
    getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &probe.error, &length);
    probe.answer = AnswerOf(probe.error);
  }
  probe.milliseconds = MillisecondsSince(start);
  return probe;
}

std::optional<int> ProbePathMtu(const ResolvedAddress& to, std::chrono::milliseconds wait, const CancelFlag& cancel) {
  Fd fd(socket(to.family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP));
  if (fd.get() < 0) return std::nullopt;
  const int family = to.family;
  const int probe = family == AF_INET6 ? IPV6_PMTUDISC_PROBE : IP_PMTUDISC_PROBE;
  const int on = 1;
  setsockopt(fd.get(), IpLevel(family), family == AF_INET6 ? IPV6_MTU_DISCOVER : IP_MTU_DISCOVER, &probe, sizeof probe);
  setsockopt(fd.get(), IpLevel(family), family == AF_INET6 ? IPV6_RECVERR : IP_RECVERR, &on, sizeof on);
  if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&to.address), to.length) != 0) return std::nullopt;
  auto mtu = KnownMtu(fd.get(), family);
  if (!mtu) return std::nullopt;
  // Each "fragmentation needed" lowers the route's MTU; a few rounds reach the narrowest hop.
  for (int round = 0; round < 4 && !cancel.IsCancelled(); ++round) {
    const std::vector<char> payload(static_cast<std::size_t>(std::max(*mtu - HeaderBytes(family), 0)), 0);
    if (send(fd.get(), payload.data(), payload.size(), 0) < 0 && errno != EMSGSIZE && errno != ECONNREFUSED) return mtu;
    WaitFor(fd.get(), POLLERR, SteadyClock::now() + wait, cancel);
    const bool smaller = DrainErrors(fd.get());
    const auto learned = KnownMtu(fd.get(), family);
    if (!learned || *learned >= *mtu) {
      if (!smaller) break;
      continue;
    }
    mtu = learned;
  }
  return mtu;
}

std::optional<TcpInfoSample> ReadTcpInfo(int fd) {
  tcp_info info{};
  socklen_t length = sizeof info;
  if (getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) return std::nullopt;
  TcpInfoSample sample;
  const std::uint32_t rttUs = info.tcpi_rcv_rtt ? info.tcpi_rcv_rtt : info.tcpi_rtt;
  sample.rttMs = rttUs / 1000.0;
  sample.deliveryRateBps = static_cast<double>(info.tcpi_delivery_rate) * 8.0;
  sample.totalRetransmissions = info.tcpi_total_retrans;
  sample.receiveSpace = info.tcpi_rcv_space;
  sample.bytesReceived = info.tcpi_bytes_received;
  return sample;
}

}  // namespace zf::measure
