// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The services of the main window that the child screens use.
#include <QString>

#include "ui/ChildScreen.h"

class QWidget;

namespace zf {

class IMainWindow {
 public:
  virtual ~IMainWindow() = default;

  // Applies a named skin element ("controlForm", "Button", ...) to one widget.
  virtual void ApplySkinElement(QWidget* widget, const QString& element) = 0;
  virtual void applyAllControls(QWidget* form) = 0;
  // A window of its own (a dialog) in the screens' look: the form's element, then its controls.
  // The main window adds the skin itself, which a window outside its frame does not inherit.
  virtual void SkinDialog(QWidget* dialog) {
    ApplySkinElement(dialog, QStringLiteral("controlForm"));
    applyAllControls(dialog);
  }
  virtual void MovieToFront() = 0;
  virtual void SetVariable(const QString& name, const QString& value) = 0;
  // Sets the tray tip text, then Show(true) on the tray control.
  virtual void UpdateTrayTip(const QString& tip) = 0;
  // A short notice on the tray icon saying what a run has done.
  virtual void ShowNotice(const QString& text) = 0;
  // The screen, loaded (hidden) first when it is not loaded yet.
  virtual ChildScreen* Screen(ScreenId id) = 0;
};

}  // namespace zf
