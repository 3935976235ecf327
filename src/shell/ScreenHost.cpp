// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ScreenHost.h"

#include <QEvent>
#include <QWidget>

#include "ui/ScreenContracts.h"

namespace zf {

ScreenHost::ScreenHost(QWidget* frame, ScreenLoader loader, QObject* parent)
    : QObject(parent), m_frame(frame), m_loader(std::move(loader)) {
  m_frame->installEventFilter(this);
}

// Screens go before the frame that holds them.
ScreenHost::~ScreenHost() {
  for (auto& screen : m_screens) screen.reset();
}

ChildScreen* ScreenHost::Screen(ScreenId id) {
  if (ChildScreen* screen = Loaded(id)) return screen;
  return Load(id);
}

ChildScreen* ScreenHost::Loaded(ScreenId id) const { return m_screens[Index(id)].get(); }

ChildScreen* ScreenHost::Load(ScreenId id, const BeforeLoad& beforeLoad) {
  auto& slot = m_screens[Index(id)];
  slot = m_loader(id);
  if (!slot) return nullptr;
  // Hosted by the frame from the start, so a hidden screen is never a window of its own.
  slot->setParent(m_frame);
  slot->setGeometry(m_frame->rect());
  slot->hide();
  if (beforeLoad) beforeLoad(*slot);
  ChildScreen* screen = slot.get();
  screen->Form_Load();
  return screen;
}

void ScreenHost::Unload(ScreenId id) {
  auto& slot = m_screens[Index(id)];
  if (!slot) return;
  slot->Form_Unload();
  slot.reset();
  m_placed[Index(id)] = false;
  if (m_current == id) m_current.reset();
}

void ScreenHost::ShowChildScreen(ScreenId id) {
  HideAllChildScreens();
  ChildScreen* screen = Screen(id);
  if (screen == nullptr) return;
  m_placed[Index(id)] = true;
  m_current = id;
  screen->setGeometry(m_frame->rect());
  screen->raise();
  screen->show();
  m_frame->raise();
  emit ScreenShown(screen);
}

void ScreenHost::HideAllChildScreens() {
  for (ScreenId id : kAllScreens) {
    if (ChildScreen* screen = Screen(id)) screen->hide();
  }
  for (ScreenId id : kLaterScreens) {
    if (ChildScreen* screen = Loaded(id)) screen->hide();
  }
}

void ScreenHost::ShowPlacedScreens() {
  for (ScreenId id : kAllScreens) {
    ChildScreen* screen = Screen(id);
    if (screen != nullptr && m_placed[Index(id)]) screen->show();
  }
  for (ScreenId id : kLaterScreens) {
    ChildScreen* screen = Loaded(id);
    if (screen != nullptr && m_placed[Index(id)]) screen->show();
  }
  if (m_current) {
    if (ChildScreen* current = Loaded(*m_current)) current->raise();
  }
}

void ScreenHost::ReloadNormalMode() {
  Unload(ScreenId::NormalMode);
  Load(ScreenId::NormalMode, [](ChildScreen& screen) {
    if (auto* pages = dynamic_cast<IWizardPagesScreen*>(&screen)) pages->SetCurrWizardPage(0);
  });
}

void ScreenHost::SizeFrame(int height) { m_frame->resize(kFrameWidth, height); }

bool ScreenHost::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_frame && event->type() == QEvent::Resize) {
    for (auto& screen : m_screens) {
      if (screen) screen->setGeometry(m_frame->rect());
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace zf
