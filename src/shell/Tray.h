// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tray control: adds, refreshes and removes the program's tray icon, shows its balloon
// and turns presses on the icon into events.
#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QTimer>

#include "platform/tray.h"

namespace zf {

// Field lengths of the notification record, each including its terminating NUL.
inline constexpr int kTipFieldLength = 128;
inline constexpr int kBalloonTextFieldLength = 256;
inline constexpr int kBalloonTitleFieldLength = 64;

// The text a record field of fieldLength characters holds: cut so that its NUL still fits.
QString FieldText(const QString& text, int fieldLength);
// The tip as the tray shows it: one blank each side of a non-empty tip, cut to the field.
QString TipText(const QString& TrayToolTip);

class Tray : public QObject {
  Q_OBJECT

 public:
  explicit Tray(ITrayService& service, QObject* parent = nullptr);

  void Show(bool UpDateData);
  void showBalloonoolTip(bool UpDateData);

  QIcon TrayImage() const { return m_image; }
  void SetTrayImage(const QIcon& icon);
  // Any other picture becomes a 32 × 32 icon.
  void SetTrayImage(const QPixmap& picture);
  QString TrayToolTip() const { return m_toolTip; }
  void SetTrayToolTip(const QString& text) { m_toolTip = text; }
  QString TrayBalloonToolTip() const { return m_balloonToolTip; }
  void SetTrayBalloonToolTip(const QString& text) { m_balloonToolTip = text; }
  int EventMode() const { return m_eventMode; }
  void SetEventMode(int mode);
  bool IsVisible() const { return m_shown; }
  // Whether the desktop has a tray to hide into.
  bool Available() const { return m_service.IsAvailable(); }
  // A short notice on the icon with its own title and text; the stored texts stay as they are.
  // False when it could not show: no icon in the tray.
  bool ShowNotice(const QString& title, const QString& text);

  // A mouse message from the tray (513 left press, 516 right press; others are ignored).
  void MouseMessage(int message);

 signals:
  void LeftClick();
  void RightClick();
  void MouseClick(int Button);

 private:
  void RaiseClick(int Button);
  void ReleaseLatch();

  ITrayService& m_service;
  QIcon m_image;
  QString m_toolTip = tr("Program notification");
  QString m_balloonToolTip = tr("The Program Still Running Here");
  int m_eventMode = 0;
  bool m_shown = false;
  bool m_clickLatch = false;
  QTimer Timer1;
};

}  // namespace zf
