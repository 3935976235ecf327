// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a stored receive window becomes Linux's receive-buffer ceiling, and what a window allows.
// The kernel counts its own bookkeeping against the buffer and offers the peer about half of it
// as window (tcp_adv_win_scale 1), so a window of RWIN bytes needs a buffer of twice that. The
// kernel bridge applies the rule; its plan and the connection test use it to say what a window
// would allow.
#include <algorithm>
#include <cstdint>

namespace zf {

// tcp_rmem's largest accepted value (a signed 32-bit int in the kernel).
inline constexpr std::int64_t kMaxReceiveBufferBytes = 2147483647;

// The largest receive window the stored field accepts.
inline constexpr std::int64_t kMaxReceiveWindowBytes = 1073741823;

constexpr std::int64_t ReceiveBufferMaxForWindow(std::int64_t rwin) {
  return std::min<std::int64_t>(2 * rwin, kMaxReceiveBufferBytes);
}

constexpr std::int64_t WindowForReceiveBuffer(std::int64_t rmemMax) { return rmemMax / 2; }

// One connection sends at most one window per round trip.
constexpr double WindowCapBitsPerSecond(std::int64_t windowBytes, double roundTripSeconds) {
  return roundTripSeconds > 0 ? static_cast<double>(windowBytes) * 8 / roundTripSeconds : 0;
}

}  // namespace zf
