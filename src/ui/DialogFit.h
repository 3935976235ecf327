// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A dialog of the program's own (not a hosted screen): in the screens' skin, no larger than the
// screen it opens on, centred on the window it belongs to. The arithmetic is separate so that it
// can be checked without a screen.
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace zf {

// What the desktop's window frame may add around a dialog, kept free so the whole of it shows.
inline constexpr QSize kWindowDecoration{16, 40};

// wanted, bounded by the available area less the decoration.
QSize FitDialogSize(QSize wanted, const QRect& available);
// The top-left corner that centres a dialog of size on parent, moved as little as needed to lie
// wholly inside available with its window frame.
QPoint CentredPosition(QSize size, const QRect& parent, const QRect& available);

// The available area of the screen the dialog's parent window is on (else the dialog's own).
QRect DialogArea(const QWidget* dialog);
// Sizes the dialog to wanted within its screen, and keeps it from growing beyond.
void FitDialogOnScreen(QWidget* dialog, QSize wanted);
// Moves it to the centre of its parent window, or of the screen without one.
void CentreOnParent(QWidget* dialog);
// The screens' skin, when the dialog belongs to the main window; the plain look otherwise.
void SkinLikeTheScreens(QWidget* dialog);

}  // namespace zf
