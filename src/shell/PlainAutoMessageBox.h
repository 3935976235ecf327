#pragma once
#include "shell/IAutoMessageBox.h"

namespace zf {

// A plain information box that closes itself after its time, placed near the given point.
// Stands in for the balloon notice.
class PlainAutoMessageBox final : public IAutoMessageBox {
 public:
  QString MsgAuto_box(const QString& mPrompt, std::int32_t mFlags, const QString& mCaption, std::int16_t nTime,
                      bool NoPointer, std::uint32_t mColor, float X, float Y, std::int16_t Intensity) override;
};

}  // namespace zf
