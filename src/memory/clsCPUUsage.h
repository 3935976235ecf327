// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The 9x family's probe: the kernel's usage counter under the dynamic-data performance keys.
#include <array>
#include <cstdint>

#include "memory/ICpuUsage.h"
#include "platform/perfstats.h"
#include "platform/registry.h"

namespace zf {

class clsCPUUsage final : public ICpuUsage {
 public:
  explicit clsCPUUsage(IRegistry& registry) : m_registry(registry) {}

  // Starts the counter and keeps the statistics key open.
  void Initialize() override;
  // The first byte of the counter; a failed read repeats the previous figure.
  std::int32_t Query() override;
  // Closes the kept key and stops the counter.
  void Terminate() override;

 private:
  // Reads the counter through key into the buffer; the buffer is left alone on failure.
  void ReadCounter(HKEY key);

  IRegistry& m_registry;
  HKEY m_key = 0;  // 0: no open statistics key
  std::array<std::uint8_t, 4> m_data{};
};

}  // namespace zf
