#include "shell/PlaceholderScreen.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace zf {

PlaceholderScreen::PlaceholderScreen(AppServices& services, const QString& frameCaption, QWidget* parent)
    : ChildScreen(services, parent) {
  auto* frame = new QGroupBox(frameCaption, this);
  auto* notice = new QLabel(tr("This part of Zentrofast is not available in this build yet."), frame);
  notice->setWordWrap(true);
  notice->setAlignment(Qt::AlignCenter);
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->addWidget(notice);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(frame);
}

}  // namespace zf
