// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The helper's side of the pipe: lines in with a deadline, answers out. A signal and the end of
// input count as events, so the caller's death or a SIGTERM reverts at once.
#include <chrono>
#include <string>

namespace zf::kernel {

enum class ChannelEvent { Line, EndOfInput, Deadline, Signal, TooLong };

class Channel {
 public:
  Channel(int in, int out, int signalFd) : m_in(in), m_out(out), m_signalFd(signalFd) {}
  ChannelEvent Next(std::chrono::steady_clock::time_point deadline, std::string& line);
  // A caller that went away cannot hear the answer; that is no reason to stop.
  void Answer(const std::string& line);

 private:
  bool TakeLine(std::string& line);
  int m_in;
  int m_out;
  int m_signalFd;
  std::string m_buffer;
  bool m_ended = false;
};

}  // namespace zf::kernel
