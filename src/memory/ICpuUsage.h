// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace zf {

// A processor-usage probe. Either family's probe stands behind this one reference; every
// Query starts a new measuring interval, whoever asks.
class ICpuUsage {
 public:
  virtual ~ICpuUsage() = default;
  // Once, right after creation.
  virtual void Initialize() = 0;
  // Usage in percent since the previous Query (or Initialize).
  virtual std::int32_t Query() = 0;
  virtual void Terminate() = 0;
};

}  // namespace zf
