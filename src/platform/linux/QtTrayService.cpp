// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/QtTrayService.h"

namespace zf {
namespace {

// The shell reports a balloon's shortest display time as its own; a desktop notification
// needs a time the user can read.
constexpr int kBalloonMilliseconds = 8000;

}  // namespace

QtTrayService::QtTrayService(QObject* parent) : QObject(parent) {
  connect(&m_icon, &QSystemTrayIcon::activated, this, &QtTrayService::Activated);
}

void QtTrayService::Add(const QIcon& icon, const QString& tip) {
  Modify(icon, tip);
  m_icon.show();
}

void QtTrayService::Modify(const QIcon& icon, const QString& tip) {
  m_icon.setIcon(icon);
  m_icon.setToolTip(tip);
}

void QtTrayService::Delete() { m_icon.hide(); }

void QtTrayService::ShowBalloon(const QString& title, const QString& text) {
  if (m_icon.isVisible()) m_icon.showMessage(title, text, QSystemTrayIcon::Information, kBalloonMilliseconds);
}

void QtTrayService::Activated(QSystemTrayIcon::ActivationReason reason) {
  if (!m_handler) return;
  switch (reason) {
    case QSystemTrayIcon::Trigger: m_handler(kTrayLeftButtonDown); break;
    case QSystemTrayIcon::Context: m_handler(kTrayRightButtonDown); break;
    case QSystemTrayIcon::DoubleClick: m_handler(kTrayLeftDoubleClick); break;
    default: break;
  }
}

}  // namespace zf
