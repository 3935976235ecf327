// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/Channel.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>

#include "kernel/HelperProtocol.h"
#include "platform/fdio.h"

namespace zf::kernel {

bool Channel::TakeLine(std::string& line) {
  const std::size_t end = m_buffer.find('\n');
  if (end == std::string::npos) return false;
  line = m_buffer.substr(0, end);
  m_buffer.erase(0, end + 1);
  return true;
}

ChannelEvent Channel::Next(std::chrono::steady_clock::time_point deadline, std::string& line) {
  for (;;) {
    if (TakeLine(line)) return ChannelEvent::Line;
    if (m_buffer.size() > kMaxLineLength) return ChannelEvent::TooLong;
    if (m_ended) return ChannelEvent::EndOfInput;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return ChannelEvent::Deadline;
    pollfd fds[2] = {{m_in, POLLIN, 0}, {m_signalFd, POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(std::min<long long>(left.count() + 1, 60000)));
    if (ready < 0 && errno != EINTR) return ChannelEvent::EndOfInput;
    if (ready <= 0) continue;
    if (fds[1].revents & POLLIN) {
      signalfd_siginfo info;
      [[maybe_unused]] const ssize_t n = ::read(m_signalFd, &info, sizeof info);
      return ChannelEvent::Signal;
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      char buffer[1024];
      const ssize_t n = ::read(m_in, buffer, sizeof buffer);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0)
        m_ended = true;
      else
        m_buffer.append(buffer, static_cast<std::size_t>(n));
    }
  }
}

void Channel::Answer(const std::string& line) { static_cast<void>(fdio::WriteAll(m_out, line + "\n")); }

}  // namespace zf::kernel
