// SPDX-License-Identifier: GPL-3.0-or-later
// zf-delay-line DELAY_MS TUN_A TUN_B: makes two TUN devices and forwards every packet from one to
// the other after holding it DELAY_MS, so a path between namespaces gets a round trip of twice
// that (this kernel has no netem). Prints "ready" once both devices exist; dies with its parent.
#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Packet {
  Clock::time_point due;
  std::vector<char> bytes;
};

int OpenTun(const char* name) {
  const int fd = open("/dev/net/tun", O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  ifreq request{};
  request.ifr_flags = IFF_TUN | IFF_NO_PI;
  std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
  if (ioctl(fd, TUNSETIFF, &request) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// A line holds at most this many packets, like a router's queue; more are dropped.
constexpr std::size_t kMaxQueued = 8192;

void Receive(int from, std::deque<Packet>& queue, Clock::duration delay) {
  char buffer[65536];
  for (int i = 0; i < 256; ++i) {
    const ssize_t length = read(from, buffer, sizeof buffer);
    if (length <= 0) return;
    if (queue.size() >= kMaxQueued) continue;
    queue.push_back(Packet{Clock::now() + delay, std::vector<char>(buffer, buffer + length)});
  }
}

void SendDue(std::deque<Packet>& queue, int to) {
  const auto now = Clock::now();
  while (!queue.empty() && queue.front().due <= now) {
    // A full device drops the packet, as a congested link would.
    [[maybe_unused]] const ssize_t written = write(to, queue.front().bytes.data(), queue.front().bytes.size());
    queue.pop_front();
  }
}

timespec TimeUntilNext(const std::deque<Packet>* queues) {
  auto next = Clock::now() + std::chrono::seconds(1);
  for (int i = 0; i < 2; ++i)
    if (!queues[i].empty() && queues[i].front().due < next) next = queues[i].front().due;
  const auto wait = std::max(next - Clock::now(), Clock::duration::zero());
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
  return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: zf-delay-line DELAY_MS TUN_A TUN_B\n");
    return 2;
  }
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  const auto delay = std::chrono::milliseconds(std::atoi(argv[1]));
  const int fds[2] = {OpenTun(argv[2]), OpenTun(argv[3])};
  if (fds[0] < 0 || fds[1] < 0) {
    std::perror("zf-delay-line: cannot make the TUN devices");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  std::deque<Packet> queues[2];  // [0]: from A, bound for B
  for (;;) {
    pollfd entries[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
    const timespec wait = TimeUntilNext(queues);
    if (ppoll(entries, 2, &wait, nullptr) < 0) continue;
    for (int i = 0; i < 2; ++i)
      if (entries[i].revents & POLLIN) Receive(fds[i], queues[i], delay);
    SendDue(queues[0], fds[1]);
    SendDue(queues[1], fds[0]);
  }
}
