// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/QtWindowSystem.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

namespace zf {
namespace {

QMessageBox::Icon ToQt(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Stop: return QMessageBox::Critical;
    case MsgIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

// Fixed texts are marked for the catalogue under this context where they are written; a text
// built from parts arrives translated already, and one the catalogue lacks stays as it is.
QString Translated(const std::string& text) { return QCoreApplication::translate(kMessageContext, text.c_str()); }

}  // namespace

void QtWindowSystem::DoEvents(int rounds) {
  for (int i = 0; i < rounds; ++i) QCoreApplication::processEvents();
}

ScreenPoint QtWindowSystem::ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const QSize size = screen->geometry().size();
  return {size.width(), size.height()};
}

ScreenPoint QtWindowSystem::CursorPosition() {
  const QPoint position = QCursor::pos();
  return {position.x(), position.y()};
}

namespace {

// The program's shown window: a message box parented to it is centred on it by the compositor
// (Wayland lets no client place its own windows) and by the window manager alike.
QWidget* DialogParent() {
  if (QWidget* active = QApplication::activeWindow()) return active;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible() && window->windowType() == Qt::Window) return window;
  return nullptr;
}

}  // namespace

MsgAnswer QtMessageBox::Show(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) {
  QMessageBox box(ToQt(icon), Translated(title), Translated(text),
                  buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, DialogParent());
  const int answer = box.exec();
  if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  return answer == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

}  // namespace zf
