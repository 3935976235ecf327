// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The child screens (shell/ScreenTable.h) and the frame that shows one of them: loading on first use,
// unloading, showing one at a time, the frame's size. A screen with a background loads that
// alone; its widgets are made when first needed and attach to it.
#include <QObject>
#include <array>
#include <concepts>
#include <functional>
#include <memory>
#include <optional>

#include "shell/ScreenTable.h"
#include "ui/ChildScreen.h"
#include "ui/ScreenBackground.h"

class QWidget;

namespace zf {

class IMainWindow;

// Makes a screen's widgets, not loaded yet, for the main window that hosts them.
using ScreenViewFactory = std::function<std::unique_ptr<ChildScreen>(ScreenId, IMainWindow&)>;
// Makes a screen's background afresh, not loaded yet; asked only for the screens the table says
// have one, and null when there is none after all (the load handler then runs with the widgets). The maker keeps it
// until the next one for that screen.
using ScreenBackgroundFactory = std::function<IScreenBackground*(ScreenId, IMainWindow&)>;

struct ScreenFactory {
  template <std::invocable<ScreenId, IMainWindow&> Views>
  ScreenFactory(Views makeViews, ScreenBackgroundFactory makeBackgrounds = {})  // a view maker alone converts
      : views(std::move(makeViews)), backgrounds(std::move(makeBackgrounds)) {}

  ScreenViewFactory views;
  ScreenBackgroundFactory backgrounds;
};

// The same with the host already chosen.
using ScreenLoader = std::function<std::unique_ptr<ChildScreen>(ScreenId)>;
using BackgroundLoader = std::function<IScreenBackground*(ScreenId)>;

inline constexpr int kFrameWidth = 440;

class ScreenHost : public QObject {
  Q_OBJECT

 public:
  ScreenHost(QWidget* frame, ScreenLoader loader, BackgroundLoader backgrounds = {}, QObject* parent = nullptr);
  ~ScreenHost() override;

  QWidget* Frame() const { return m_frame; }
  // Loads the screen when it is not loaded: its background alone when it has one, else the
  // screen with its widgets, hidden.
  void Load(ScreenId id);
  bool IsLoaded(ScreenId id) const { return m_loaded[Index(id)]; }
  // The screen's widgets, loaded hidden first when needed.
  ChildScreen* Screen(ScreenId id);
  // The screen's widgets when they exist, else null.
  ChildScreen* Loaded(ScreenId id) const;
  // The screen's background while it is loaded, else null.
  IScreenBackground* Background(ScreenId id) const { return m_backgrounds[Index(id)]; }
  // Runs the screen's unload handler (its widgets', then its background's) and discards its
  // widgets; nothing when it is not loaded.
  void Unload(ScreenId id);
  void Unload(const ScreenOrder& order) {
    for (ScreenId id : order) Unload(id);
  }

  void ShowChildScreen(ScreenId id);
  // The screen the user sees in the frame: the current one, shown, with the frame above the menu.
  std::optional<ScreenId> ShownScreen() const;
  void HideAllChildScreens();
  // Every screen that has been shown in the frame becomes visible again, the current one on top.
  void ShowPlacedScreens();
  // The advanced mode anew, starting on its first page.
  void ReloadNormalMode();
  void SizeFrame(int height);

 signals:
  // A screen has been placed in the frame and shown.
  void ScreenShown(QWidget* screen);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using BeforeLoad = std::function<void(ChildScreen&)>;
  ChildScreen* CreateView(ScreenId id, const BeforeLoad& beforeLoad = {});
  static std::size_t Index(ScreenId id) { return static_cast<std::size_t>(id); }

  QWidget* m_frame;
  ScreenLoader m_loader;
  BackgroundLoader m_backgroundLoader;
  std::array<std::unique_ptr<ChildScreen>, kScreenCount> m_screens;
  std::array<IScreenBackground*, kScreenCount> m_backgrounds{};
  std::array<bool, kScreenCount> m_loaded{};
  std::array<bool, kScreenCount> m_placed{};
  std::optional<ScreenId> m_current;
};

}  // namespace zf
