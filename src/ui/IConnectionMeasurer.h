// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Measuring the user's connection-test target from a feature that does not own the connection
// test: the kernel apply measures before and after a change. The connection test implements it,
// and the shell hands it over.
#include <functional>
#include <string>

#include "core/BeforeAfter.h"
#include "core/Result.h"

namespace zf {

class IConnectionMeasurer {
 public:
  virtual ~IConnectionMeasurer() = default;
  // The target the user keeps on the Connection Test screen; empty when there is none.
  virtual std::string StoredTarget() = 0;
  // The longest a measurement takes when all goes well: what a keep window grows by.
  virtual int MeasuringSeconds() const = 0;
  // Measures target and calls done once with the figures or what failed. One at a time.
  virtual void Measure(const std::string& target, std::function<void(Result<figures::PathFacts>)> done) = 0;
  // Ends a measurement under way; its done is not called.
  virtual void Cancel() = 0;
};

}  // namespace zf
