// PingHost("127.0.0.1", 10000) against one bare echo over an ICMP datagram socket, both inside a
// network namespace of this program's own. ratio_to_bare_echo on the PingHost line is the figure
// to watch (target: at most 1.5).
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <iostream>

#include "pinger/mdlPing.h"
#include "platform/linux/LinuxIcmp.h"
#include "support/NetNamespace.h"

namespace {

using Clock = std::chrono::steady_clock;

double g_bareEchoNs = 0;

double NanosecondsPerIteration(Clock::time_point start, benchmark::State& state) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / static_cast<double>(state.iterations());
}

void BM_BareDatagramEcho(benchmark::State& state) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd < 0) {
    state.SkipWithError("no ICMP datagram socket may be opened here");
    return;
  }
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  unsigned char request[8 + 9] = {8, 0, 0, 0, 0, 0, 0, 0, 'E', 'c', 'h', 'o', ' ', 'T', 'h', 'i', 's'};
  unsigned char reply[1500];
  std::uint16_t sequence = 0;
  const auto start = Clock::now();
  for (auto _ : state) {
    ++sequence;
    request[6] = static_cast<unsigned char>(sequence >> 8);
    request[7] = static_cast<unsigned char>(sequence);
    ::sendto(fd, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
    benchmark::DoNotOptimize(::recv(fd, reply, sizeof reply, 0));
  }
  g_bareEchoNs = NanosecondsPerIteration(start, state);
  ::close(fd);
}

void BM_PingHost(benchmark::State& state) {
  zf::LinuxIcmp icmp;
  zf::mdlPing ping(icmp, nullptr);
  const auto start = Clock::now();
  for (auto _ : state) {
    if (!ping.PingHost("127.0.0.1", 10000)) {
      state.SkipWithError("127.0.0.1 did not answer");
      return;
    }
  }
  if (g_bareEchoNs > 0) state.counters["ratio_to_bare_echo"] = NanosecondsPerIteration(start, state) / g_bareEchoNs;
}

BENCHMARK(BM_BareDatagramEcho);
BENCHMARK(BM_PingHost);

}  // namespace

int main(int argc, char** argv) {
  const std::string problem = zf::test::EnterOwnNetworkNamespace();
  if (!problem.empty()) std::cerr << "ping_bench: running in the machine's namespace (" << problem << ")\n";
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
