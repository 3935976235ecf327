// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seven child screens and the frame that shows one of them: loading on first use,
// unloading, showing one at a time, the frame's size. A screen with a background loads that
// alone; its widgets are made when first needed and attach to it.
#include <QObject>
#include <array>
#include <concepts>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

#include "ui/ChildScreen.h"
#include "ui/ScreenBackground.h"

class QWidget;

namespace zf {

class IMainWindow;

// Makes a screen's widgets, not loaded yet, for the main window that hosts them.
using ScreenViewFactory = std::function<std::unique_ptr<ChildScreen>(ScreenId, IMainWindow&)>;
// Makes a screen's background afresh, not loaded yet; null for a screen that has none (its load
// handler then runs with its widgets). The maker keeps it until the next one for that screen.
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

// The order in which every screen is hidden, shown again after the About panel, and unloaded
// by the close command.
inline constexpr std::array kAllScreens{ScreenId::WizardMode,        ScreenId::NormalMode,   ScreenId::BackUp,
                                        ScreenId::NetPingerSettings, ScreenId::SystemStatus, ScreenId::RamConfiguration,
                                        ScreenId::MainSettings};
// The unload order of the window's own closing and of the restart command: the status screen
// last, since the RAM booster uses its processor probe.
inline constexpr std::array kUnloadLastStatus{
    ScreenId::WizardMode,       ScreenId::NormalMode,   ScreenId::BackUp,      ScreenId::NetPingerSettings,
    ScreenId::RamConfiguration, ScreenId::MainSettings, ScreenId::SystemStatus};
// Screens beyond those: loaded only when first shown, hidden with the others once loaded.
inline constexpr std::array kLaterScreens{ScreenId::KernelSettings};
// The screens loaded at start-up, in order: their backgrounds run from then on, their widgets
// wait for first use.
inline constexpr std::array kStartupScreens{ScreenId::WizardMode,        ScreenId::BackUp,
                                            ScreenId::NetPingerSettings, ScreenId::SystemStatus,
                                            ScreenId::RamConfiguration,  ScreenId::MainSettings};

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
  template <std::size_t N>
  void Unload(const std::array<ScreenId, N>& order) {
    for (ScreenId id : order) Unload(id);
  }

  void ShowChildScreen(ScreenId id);
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
