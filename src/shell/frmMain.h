// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the menu movie over the frame that hosts the child screens, the tray icon,
// the skin, start-up and the ways the program ends.
#include <QPoint>
#include <QWidget>

#include "core/AppServices.h"
#include "platform/locks.h"
#include "platform/notice.h"
#include "shell/CommandDispatch.h"
#include "shell/IMainWindowActions.h"
#include "shell/MoviePlayer.h"
#include "shell/ScreenHost.h"
#include "shell/SkinEngine.h"
#include "shell/Tray.h"
#include "shell/Version.h"
#include "shell/mdlAddons.h"
#include "ui/IMainWindow.h"

class QFrame;

namespace zf {

class FallbackButtons;

inline constexpr int kMainWidth = 724;
inline constexpr int kMainHeight = 540;

class frmMain : public QWidget, public IMainWindow, public IMainWindowActions {
  Q_OBJECT

 public:
  struct Platform {
    ITrayService& tray;
    IAutoMessageBox& autoMessage;
    IProcessLocks& locks;
    // The menu scene's engine; null for one of the window's own.
    QQmlEngine* menuEngine = nullptr;
  };

  frmMain(AppServices& services, ScreenFactory factory, Platform platform, QWidget* parent = nullptr);
  ~frmMain() override;

  // The load handler (the single-instance test has passed), then the window is shown unless
  // the stored start-hidden option or startHidden (--start-hidden) keeps it in the tray. The
  // tray icon and the start-up screens come before the window's first frame.
  void Start(bool startHidden = false);
  // The load handler's steps from the tray icon on: the icon, the start-up screens, the
  // start-hidden option, the movie's filter. Runs once; later calls do nothing.
  void FinishLoad();
  bool loadFinished() const { return m_loadFinished; }
  void ShowMainWindow();
  void HookMoviePlayerWindow();

  // IMainWindow
  void ApplySkinElement(QWidget* widget, const QString& element) override;
  void applyAllControls(QWidget* form) override;
  void SkinDialog(QWidget* dialog) override;
  void MovieToFront() override;
  void SetVariable(const QString& name, const QString& value) override;
  void UpdateTrayTip(const QString& tip) override;
  void ShowNotice(const QString& text) override;
  ChildScreen* Screen(ScreenId id) override;

  // IMainWindowActions
  void MinimizeMainWindow() override;
  void NotifyStillRunning() override;
  void DragMainWindow() override;
  void EndProcess() override;

  MoviePlayer* flash() const { return m_flash; }
  QFrame* framChildWindow() const { return m_frame; }
  // The fallback buttons: made only when the movie cannot play, since it covers them otherwise.
  FallbackButtons* buttonColumn() const { return m_buttons; }
  Tray& Tray1() { return m_tray; }
  ScreenHost& screens() { return m_screens; }
  CommandDispatch& dispatch() { return m_dispatch; }

 signals:
  // Every ending sequence has run; the process should end now.
  void EndRequested();
  // A later start of the program asked for this window, and it has been brought to the front.
  void RaisedOnRequest();
  // The window's first frame is on screen; the rest of the load handler follows.
  void FirstFrameShown();
  // The load handler has run to its end.
  void LoadFinished();
  // Started hidden: the window and its scene are ready for their first show.
  void HiddenWindowPrepared();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Inside a shown screen, Tab goes round that screen's controls only.
  bool focusNextPrevChild(bool next) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The load handler's steps up to the filled profiles.
  void LoadUntilProfiles();
  bool StartHiddenOption();
  void PrepareHiddenWindow();
  bool m_startHiddenAsked = false;  // --start-hidden
  void AfterFirstFrame();
  void ShowFallbackButtons();
  void LoadSkinOnce();
  // Escape inside a screen: the screen closes and the menu has the keyboard again.
  void CloseScreenFromKeyboard();
  bool FocusInScreens() const;

  AppServices& m_services;
  Platform m_platform;
  FallbackButtons* m_buttons = nullptr;
  QFrame* m_frame;
  MoviePlayer* m_flash;
  SkinEngine m_skin;
  Tray m_tray;
  ScreenHost m_screens;
  mdlAddons m_addons;
  CommandDispatch m_dispatch;
  MovieRightClickFilter m_movieFilter;
  bool m_movieHooked = false;
  bool m_skinLoaded = false;
  bool m_firstFrameSeen = false;
  bool m_loadFinished = false;
  bool m_ending = false;
  bool m_manualDrag = false;
  QPoint m_dragOffset;
};

// The program's main window while one exists, else null: what dialogs made by services built
// before the window belong to.
QWidget* ProgramMainWindow();

}  // namespace zf
