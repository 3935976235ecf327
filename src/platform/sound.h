// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace zf {

class ISound {
 public:
  virtual ~ISound() = default;
  // Starts playing a WAV file and returns at once. No audio device, or no file, is silence.
  virtual void PlayAsync(const std::string& wavPath) = 0;
};

}  // namespace zf
