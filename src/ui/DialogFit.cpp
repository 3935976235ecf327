// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DialogFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "ui/IMainWindow.h"

namespace zf {
namespace {

QWidget* ParentWindow(const QWidget* dialog) {
  return dialog->parentWidget() != nullptr ? dialog->parentWidget()->window() : nullptr;
}

}  // namespace

QSize FitDialogSize(QSize wanted, const QRect& available) {
  return wanted.boundedTo(available.size() - kWindowDecoration).expandedTo(QSize(1, 1));
}

QPoint CentredPosition(QSize size, const QRect& parent, const QRect& available) {
  const QPoint centred = parent.center() - QPoint(size.width() / 2, size.height() / 2) + QPoint(1, 1);
  // The window frame goes around it, the title bar above; inside on the right and bottom first,
  // so that a dialog too large still shows its top-left.
  const QSize framed = size + kWindowDecoration;
  const int x = std::max(available.left(), std::min(centred.x(), available.right() + 1 - framed.width()));
  const int y = std::max(available.top(), std::min(centred.y(), available.bottom() + 1 - framed.height()));
  return {x, y};
}

QRect DialogArea(const QWidget* dialog) {
  const QWidget* parent = ParentWindow(dialog);
  QScreen* screen = parent != nullptr ? parent->screen() : dialog->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 640, 480);
}

void FitDialogOnScreen(QWidget* dialog, QSize wanted) {
  const QSize largest = FitDialogSize(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), DialogArea(dialog));
  dialog->setMaximumSize(largest);
  dialog->resize(wanted.boundedTo(largest));
}

void CentreOnParent(QWidget* dialog) {
  const QRect area = DialogArea(dialog);
  const QWidget* parent = ParentWindow(dialog);
  const bool onParent = parent != nullptr && parent->isVisible() && !parent->isMinimized();
  dialog->move(CentredPosition(dialog->size(), onParent ? parent->frameGeometry() : area, area));
}

void SkinLikeTheScreens(QWidget* dialog) {
  dialog->setAttribute(Qt::WA_StyledBackground);  // so the skin can paint the dialog's ground
  if (auto* mainWindow = dynamic_cast<IMainWindow*>(ParentWindow(dialog))) mainWindow->SkinDialog(dialog);
}

}  // namespace zf
