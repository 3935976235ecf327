// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ScreenHost.h"

#include <QEvent>
#include <QWidget>
#include <utility>

#include "ui/ScreenContracts.h"

namespace zf {

ScreenHost::ScreenHost(QWidget* frame, ScreenLoader loader, BackgroundLoader backgrounds, QObject* parent)
    : QObject(parent), m_frame(frame), m_loader(std::move(loader)), m_backgroundLoader(std::move(backgrounds)) {
  m_frame->installEventFilter(this);
}

// Screens go before the frame that holds them.
ScreenHost::~ScreenHost() {
  for (auto& screen : m_screens) screen.reset();
}

void ScreenHost::Load(ScreenId id) {
  if (IsLoaded(id)) return;
  IScreenBackground* background = m_backgroundLoader && TraitsOf(id).background ? m_backgroundLoader(id) : nullptr;
  if (background == nullptr) {
    CreateView(id);
    return;
  }
  m_backgrounds[Index(id)] = background;
  m_loaded[Index(id)] = true;
  background->Load();
}

ChildScreen* ScreenHost::Screen(ScreenId id) {
  if (ChildScreen* screen = Loaded(id)) return screen;
  if (!IsLoaded(id)) Load(id);
  if (ChildScreen* screen = Loaded(id)) return screen;
  return CreateView(id);
}

ChildScreen* ScreenHost::Loaded(ScreenId id) const { return m_screens[Index(id)].get(); }

ChildScreen* ScreenHost::CreateView(ScreenId id, const BeforeLoad& beforeLoad) {
  auto& slot = m_screens[Index(id)];
  slot = m_loader(id);
  if (!slot) return nullptr;
  m_loaded[Index(id)] = true;
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
  if (!IsLoaded(id)) return;
  if (auto& slot = m_screens[Index(id)]) {
    slot->Form_Unload();
    slot.reset();
  }
  if (IScreenBackground* background = std::exchange(m_backgrounds[Index(id)], nullptr)) background->Unload();
  m_loaded[Index(id)] = false;
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

std::optional<ScreenId> ScreenHost::ShownScreen() const {
  if (!m_current) return std::nullopt;
  const ChildScreen* screen = Loaded(*m_current);
  if (screen == nullptr || !screen->isVisible()) return std::nullopt;
  // The menu covers the frame while it is in front.
  if (m_frame->parentWidget() == nullptr) return m_current;
  const QObjectList& siblings = m_frame->parentWidget()->children();
  for (auto it = siblings.crbegin(); it != siblings.crend(); ++it) {
    const auto* widget = qobject_cast<const QWidget*>(*it);
    if (widget != nullptr && !widget->isWindow() && widget->isVisible())
      return widget == m_frame ? m_current : std::nullopt;
  }
  return std::nullopt;
}

// Hiding a screen that is not loaded loads it; widgets that do not exist need no hiding.
void ScreenHost::HideAllChildScreens() {
  for (const ScreenTraits& traits : kScreens) {
    if (!traits.onFirstShow) Load(traits.id);
    if (ChildScreen* screen = Loaded(traits.id)) screen->hide();
  }
}

void ScreenHost::ShowPlacedScreens() {
  for (const ScreenTraits& traits : kScreens) {
    if (!traits.onFirstShow) Load(traits.id);
    ChildScreen* screen = Loaded(traits.id);
    if (screen != nullptr && m_placed[Index(traits.id)]) screen->show();
  }
  if (m_current) {
    if (ChildScreen* current = Loaded(*m_current)) current->raise();
  }
}

void ScreenHost::ReloadNormalMode() {
  Unload(ScreenId::NormalMode);
  CreateView(ScreenId::NormalMode, [](ChildScreen& screen) {
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
