// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keyboard focus inside the main window: Tab and Shift+Tab go round the controls of the shown
// screen only, never to the menu behind it; read-only boxes are no Tab stops.
#include <QList>

class QWidget;

namespace zf {

// The controls of scope that Tab stops at, in Tab order: shown, enabled, taking Tab focus.
QList<QWidget*> TabStops(QWidget* scope);
// Moves the focus to the next (or previous) Tab stop of scope, round from the last to the
// first; from outside scope to its first (or last). False when scope has no Tab stop.
bool MoveFocusWithin(QWidget* scope, bool next);
// Read-only boxes of form are read, not typed into: they take focus on a click only.
void ApplyKeyboardPolicy(QWidget* form);

}  // namespace zf
