// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstdint>

namespace zf {

// Wall clock and tick count, replaceable so tests can fix dates and step timers.
class IClock {
 public:
  virtual ~IClock() = default;
  virtual std::chrono::system_clock::time_point Now() = 0;
  // Milliseconds since an arbitrary start, monotonic.
  virtual std::uint64_t TickCount() = 0;
};

class SystemClock final : public IClock {
 public:
  std::chrono::system_clock::time_point Now() override { return std::chrono::system_clock::now(); }
  std::uint64_t TickCount() override {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
};

}  // namespace zf
