// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QSystemTrayIcon>

#include "platform/tray.h"

namespace zf {

// The tray on top of QSystemTrayIcon. Where the desktop has no tray every call is harmless.
class QtTrayService final : public QObject, public ITrayService {
  Q_OBJECT

 public:
  explicit QtTrayService(QObject* parent = nullptr);
  void Add(const QIcon& icon, const QString& tip) override;
  void Modify(const QIcon& icon, const QString& tip) override;
  void Delete() override;
  void ShowBalloon(const QString& title, const QString& text) override;
  void SetMouseHandler(std::function<void(int)> handler) override { m_handler = std::move(handler); }
  bool IsAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

 private:
  void Activated(QSystemTrayIcon::ActivationReason reason);

  QSystemTrayIcon m_icon;
  std::function<void(int)> m_handler;
};

}  // namespace zf
