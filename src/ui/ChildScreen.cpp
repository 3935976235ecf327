#include "ui/ChildScreen.h"

#include "ui/IMainWindow.h"

namespace zf {

void ChildScreen::SkinScreen() {
  if (m_services.mainWindow == nullptr) return;
  m_services.mainWindow->ApplySkinElement(this, QStringLiteral("controlForm"));
  m_services.mainWindow->applyAllControls(this);
}

}  // namespace zf
