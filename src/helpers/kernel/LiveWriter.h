// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes one setting into the running kernel and reads it back.
#include <string>

#include "core/Result.h"
#include "kernel/LiveSystem.h"

namespace zf::kernel {

class LiveWriter {
 public:
  explicit LiveWriter(const ILiveSystem& live) : m_live(live) {}
  // Fails when the kernel refuses the value or reads back something else.
  Result<Done> Write(const std::string& key, const std::string& value) const;

 private:
  const ILiveSystem& m_live;
};

}  // namespace zf::kernel
