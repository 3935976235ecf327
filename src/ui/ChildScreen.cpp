// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChildScreen.h"

#include "ui/IMainWindow.h"

namespace zf {

void ChildScreen::SkinScreen() {
  m_mainWindow.ApplySkinElement(this, QStringLiteral("controlForm"));
  m_mainWindow.applyAllControls(this);
}

}  // namespace zf
