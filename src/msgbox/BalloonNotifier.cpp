// SPDX-License-Identifier: GPL-3.0-or-later
#include "msgbox/BalloonNotifier.h"

#include "msgbox/msgFrm.h"

namespace zf {

BalloonNotifier::BalloonNotifier(IWindowSystem& windowSystem) : m_windowSystem(windowSystem) {}

BalloonNotifier::~BalloonNotifier() { delete m_box.data(); }

QString BalloonNotifier::MsgAuto_box(const QString& mPrompt, std::int32_t mFlags, const QString& mCaption,
                                     std::int16_t nTime, bool NoPointer, std::uint32_t mColor, float X, float Y,
                                     std::int16_t Intensity) {
  if (m_box.isNull()) {
    m_box = new msgFrm(m_windowSystem);
    m_box->setAttribute(Qt::WA_DeleteOnClose);
  }
  return m_box->MsgAuto_box(mPrompt, mFlags, mCaption, nTime, NoPointer, mColor, X, Y, Intensity);
}

}  // namespace zf
