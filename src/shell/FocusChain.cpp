// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FocusChain.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QWidget>

namespace zf {

QList<QWidget*> TabStops(QWidget* scope) {
  QList<QWidget*> stops;
  for (QWidget* widget = scope->nextInFocusChain(); widget != scope; widget = widget->nextInFocusChain()) {
    if (!scope->isAncestorOf(widget)) continue;
    if (widget->isVisibleTo(scope) && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus))
      stops.append(widget);
  }
  return stops;
}

bool MoveFocusWithin(QWidget* scope, bool next) {
  const QList<QWidget*> stops = TabStops(scope);
  if (stops.isEmpty()) return false;
  const auto count = stops.size();
  const auto at = stops.indexOf(QApplication::focusWidget());
  const auto target = at < 0 ? (next ? 0 : count - 1) : (at + (next ? 1 : count - 1)) % count;
  stops[target]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

void ApplyKeyboardPolicy(QWidget* form) {
  if (form == nullptr) return;
  for (QLineEdit* box : form->findChildren<QLineEdit*>()) {
    // The editor inside a spin box follows its spin box.
    if (qobject_cast<QAbstractSpinBox*>(box->parentWidget()) != nullptr) continue;
    if (box->isReadOnly()) box->setFocusPolicy(Qt::ClickFocus);
  }
}

}  // namespace zf
