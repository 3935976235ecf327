#pragma once
#include <QString>

#include "shell/ChildScreen.h"

namespace zf {

// Stands in for a screen this build does not have yet: its outer frame and a short notice.
class PlaceholderScreen : public ChildScreen {
  Q_OBJECT

 public:
  PlaceholderScreen(AppServices& services, const QString& frameCaption, QWidget* parent = nullptr);
  void Form_Load() override { SkinScreen(); }
};

}  // namespace zf
