// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection test: round trip and loss by TCP connects, the path MTU, then one TCP stream
// downloading from an iperf3 server or a web server. Blocking: run it on a worker thread; it
// starts and joins its own helpers, so nothing of it outlives the call. One at a time per
// process (libiperf keeps its error in a global).
#include "measure/MeasureTypes.h"

namespace zf::measure {

inline constexpr int kMaxSeconds = 60;

MeasureOutcome MeasureConnection(const MeasureRequest& request, const ProgressFn& progress, const CancelFlag& cancel);

}  // namespace zf::measure
