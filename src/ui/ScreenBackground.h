// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The part of a screen that runs whether or not its widgets exist: what its load handler reads
// and starts (stored settings, timers, the shared settings record) and its unload handler stops.
// The host loads it at start-up; the screen's widgets are made on first use and attach to it.

namespace zf {

class IScreenBackground {
 public:
  virtual ~IScreenBackground() = default;
  virtual void Load() = 0;
  virtual void Unload() = 0;
};

}  // namespace zf
