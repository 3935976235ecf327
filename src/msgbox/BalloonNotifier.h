// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The self-closing balloon notice for the shell: one window at a time, reused while it shows.
#include <QPointer>

#include "platform/notice.h"
#include "platform/window.h"

namespace zf {

class msgFrm;

class BalloonNotifier final : public IAutoMessageBox {
 public:
  explicit BalloonNotifier(IWindowSystem& windowSystem);
  ~BalloonNotifier() override;
  BalloonNotifier(const BalloonNotifier&) = delete;
  BalloonNotifier& operator=(const BalloonNotifier&) = delete;

  QString MsgAuto_box(const QString& mPrompt, std::int32_t mFlags, const QString& mCaption, std::int16_t nTime,
                      bool NoPointer, std::uint32_t mColor, float X, float Y, std::int16_t Intensity) override;

 private:
  IWindowSystem& m_windowSystem;
  QPointer<msgFrm> m_box;  // deleted by Qt when it closes
};

}  // namespace zf
