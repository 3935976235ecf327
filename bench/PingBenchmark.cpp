// SPDX-License-Identifier: GPL-3.0-or-later
// PingHost("127.0.0.1", 10000) against one bare echo over an ICMP datagram socket, inside a
// network namespace of this program's own. The figure to watch is "ratio" on the interleaved
// line (target: at most 1.5): both are timed in turn within one loop, so load from other
// programs falls on both alike.
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <iostream>

#include "pinger/mdlPing.h"
#include "platform/linux/LinuxIcmp.h"
#include "support/NetNamespace.h"

namespace {

using Clock = std::chrono::steady_clock;

// Send, receive: the least an echo over an open datagram socket costs.
class BareEcho {
 public:
  BareEcho() : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP)) {
    m_target.sin_family = AF_INET;
    m_target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  }
  ~BareEcho() {
    if (m_fd >= 0) ::close(m_fd);
  }
  bool ok() const { return m_fd >= 0; }
  void Echo() {
    ++m_sequence;
    m_request[6] = static_cast<unsigned char>(m_sequence >> 8);
    m_request[7] = static_cast<unsigned char>(m_sequence);
    ::sendto(m_fd, m_request, sizeof m_request, 0, reinterpret_cast<sockaddr*>(&m_target), sizeof m_target);
    benchmark::DoNotOptimize(::recv(m_fd, m_reply, sizeof m_reply, 0));
  }

 private:
  int m_fd;
  sockaddr_in m_target{};
  std::uint16_t m_sequence = 0;
  unsigned char m_request[8 + 9] = {8, 0, 0, 0, 0, 0, 0, 0, 'E', 'c', 'h', 'o', ' ', 'T', 'h', 'i', 's'};
  unsigned char m_reply[1500];
};

void BM_BareDatagramEcho(benchmark::State& state) {
  BareEcho bare;
  if (!bare.ok()) return state.SkipWithError("no ICMP datagram socket may be opened here");
  for (auto _ : state) bare.Echo();
}

void BM_PingHost(benchmark::State& state) {
  zf::LinuxIcmp icmp;
  zf::mdlPing ping(icmp, nullptr);
  for (auto _ : state)
    if (!ping.PingHost("127.0.0.1", 10000)) return state.SkipWithError("127.0.0.1 did not answer");
}

void BM_PingHostOverBareEcho(benchmark::State& state) {
  BareEcho bare;
  if (!bare.ok()) return state.SkipWithError("no ICMP datagram socket may be opened here");
  zf::LinuxIcmp icmp;
  zf::mdlPing ping(icmp, nullptr);
  Clock::duration bareTime{};
  Clock::duration pingTime{};
  for (auto _ : state) {
    const auto start = Clock::now();
    bare.Echo();
    const auto middle = Clock::now();
    if (!ping.PingHost("127.0.0.1", 10000)) return state.SkipWithError("127.0.0.1 did not answer");
    pingTime += Clock::now() - middle;
    bareTime += middle - start;
  }
  state.counters["ratio"] = static_cast<double>(pingTime.count()) / static_cast<double>(bareTime.count());
}

BENCHMARK(BM_BareDatagramEcho);
BENCHMARK(BM_PingHost);
BENCHMARK(BM_PingHostOverBareEcho);

}  // namespace

int main(int argc, char** argv) {
  const std::string problem = zf::test::EnterOwnNetworkNamespace();
  if (!problem.empty()) std::cerr << "ping_bench: running in the machine's namespace (" << problem << ")\n";
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
