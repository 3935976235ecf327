// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Tray.h"

namespace zf {
namespace {

constexpr int kClickLatchMilliseconds = 15;
constexpr int kIconSize = 32;

}  // namespace

QString FieldText(const QString& text, int fieldLength) { return text.left(fieldLength - 1); }

QString TipText(const QString& TrayToolTip) {
  if (TrayToolTip.isEmpty()) return {};
  return FieldText(QLatin1Char(' ') + TrayToolTip + QLatin1Char(' '), kTipFieldLength);
}

Tray::Tray(ITrayService& service, QObject* parent) : QObject(parent), m_service(service) {
  Timer1.setSingleShot(true);
  Timer1.setTimerType(Qt::PreciseTimer);
  connect(&Timer1, &QTimer::timeout, this, &Tray::ReleaseLatch);
  m_service.SetMouseHandler([this](int message) { MouseMessage(message); });
}

void Tray::Show(bool UpDateData) {
  if (UpDateData) {
    if (m_shown) {
      m_service.Modify(m_image, TipText(m_toolTip));
    } else {
      m_service.Add(m_image, TipText(m_toolTip));
      m_shown = true;
    }
  } else if (m_shown) {
    m_service.Delete();
    m_shown = false;
  }
}

void Tray::showBalloonoolTip(bool UpDateData) {
  if (!UpDateData) return;
  // The record refreshes the tip along with the balloon; without an icon nothing shows.
  if (m_shown) m_service.Modify(m_image, TipText(m_toolTip));
  m_service.ShowBalloon(FieldText(m_toolTip, kBalloonTitleFieldLength),
                        FieldText(m_balloonToolTip, kBalloonTextFieldLength));
}

bool Tray::ShowNotice(const QString& title, const QString& text) {
  if (!m_shown || !m_service.IsAvailable()) return false;
  m_service.ShowBalloon(FieldText(title, kBalloonTitleFieldLength), FieldText(text, kBalloonTextFieldLength));
  return true;
}

void Tray::SetTrayImage(const QIcon& icon) { m_image = icon; }

void Tray::SetTrayImage(const QPixmap& picture) {
  if (picture.isNull()) {
    m_image = QIcon();
    return;
  }
  m_image = QIcon(picture.scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void Tray::SetEventMode(int mode) { m_eventMode = qBound(0, mode, 1); }

void Tray::MouseMessage(int message) {
  if (m_clickLatch) return;
  if (message == kTrayLeftButtonDown) {
    RaiseClick(1);
  } else if (message == kTrayRightButtonDown) {
    RaiseClick(2);
  }
}

void Tray::RaiseClick(int Button) {
  m_clickLatch = true;
  if (m_eventMode == 0) {
    if (Button == 1)
      emit LeftClick();
    else
      emit RightClick();
  } else {
    emit MouseClick(Button);
  }
  Timer1.start(kClickLatchMilliseconds);
}

void Tray::ReleaseLatch() {
  Timer1.stop();
  m_clickLatch = false;
}

}  // namespace zf
