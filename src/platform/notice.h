// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The self-closing balloon notice, as the shell uses it on the 9x family. The balloon message
// box provides the real one; a plain fallback stands in where it is not wired.
#include <QString>
#include <cstdint>

namespace zf {

class IAutoMessageBox {
 public:
  virtual ~IAutoMessageBox() = default;
  // mColor: red in the low byte, then green, then blue; 0 is the default colour.
  virtual QString MsgAuto_box(const QString& mPrompt, std::int32_t mFlags, const QString& mCaption, std::int16_t nTime,
                              bool NoPointer, std::uint32_t mColor, float X, float Y, std::int16_t Intensity) = 0;
};

}  // namespace zf
