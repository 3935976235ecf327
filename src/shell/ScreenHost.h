// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seven child screens and the frame that shows one of them: loading on first use,
// unloading, showing one at a time, the frame's size.
#include <QObject>
#include <array>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

#include "ui/ChildScreen.h"

class QWidget;

namespace zf {

class IMainWindow;

// Makes a screen, not loaded yet, for the main window that hosts it.
using ScreenFactory = std::function<std::unique_ptr<ChildScreen>(ScreenId, IMainWindow&)>;
// The same with the host already chosen.
using ScreenLoader = std::function<std::unique_ptr<ChildScreen>(ScreenId)>;

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
// The screens loaded hidden at start-up, in order.
inline constexpr std::array kStartupScreens{ScreenId::WizardMode,        ScreenId::BackUp,
                                            ScreenId::NetPingerSettings, ScreenId::SystemStatus,
                                            ScreenId::RamConfiguration,  ScreenId::MainSettings};

class ScreenHost : public QObject {
  Q_OBJECT

 public:
  ScreenHost(QWidget* frame, ScreenLoader loader, QObject* parent = nullptr);
  ~ScreenHost() override;

  QWidget* Frame() const { return m_frame; }
  // The screen, loaded hidden first when needed.
  ChildScreen* Screen(ScreenId id);
  // The screen when loaded, else null.
  ChildScreen* Loaded(ScreenId id) const;
  // Runs the screen's unload handler and discards it; nothing when it is not loaded.
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
  ChildScreen* Load(ScreenId id, const BeforeLoad& beforeLoad = {});
  static std::size_t Index(ScreenId id) { return static_cast<std::size_t>(id); }

  QWidget* m_frame;
  ScreenLoader m_loader;
  std::array<std::unique_ptr<ChildScreen>, kScreenCount> m_screens;
  std::array<bool, kScreenCount> m_placed{};
  std::optional<ScreenId> m_current;
};

}  // namespace zf
