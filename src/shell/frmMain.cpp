// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFontInfo>
#include <QFrame>
#include <QShortcut>
#include <QWindow>

#include "shell/BuiltInImage.h"
#include "shell/FallbackButtons.h"
#include "shell/FocusChain.h"
#include "shell/MainSettings.h"
#include "shell/MainSettingsService.h"
#include "shell/MenuScene.h"

// Resources of a static library are registered by hand.
static void InitShellResources() { Q_INIT_RESOURCE(shell); }

namespace zf {
namespace {

const QRect kFrameDesigned(245, 199, kFrameWidth, 332);
const QRect kButtonColumn(12, 12, 220, kMainHeight - 24);
constexpr char kNamedMutex[] = "HollowmereZentrofast";
constexpr char kStillRunning[] = QT_TRANSLATE_NOOP("zf::Tray", "The Program Still Running Here");

QString ProgramFile(const AppServices& services, const char* name) {
  return QString::fromStdString((services.config.programFolder / name).string());
}

constexpr std::uint32_t Rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red | (green << 8) | (blue << 16);
}

}  // namespace

QString VersionText() {
  return QStringLiteral("%1.%2.0.%3")
      .arg(ZENTROFAST_VERSION_MAJOR)
      .arg(ZENTROFAST_VERSION_MINOR)
      .arg(ZENTROFAST_VERSION_REVISION);
}

frmMain::frmMain(AppServices& services, ScreenFactory factory, Platform platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_services(services),
      m_platform(platform),
      m_frame(new QFrame(this)),
      m_flash(new MoviePlayer(platform.menuEngine, this)),
      m_tray(platform.tray),
      m_screens(
          m_frame, [this, views = std::move(factory.views)](ScreenId id) { return views(id, *this); },
          [this, backgrounds = std::move(factory.backgrounds)](ScreenId id) {
            return backgrounds ? backgrounds(id, *this) : nullptr;
          }),
      m_addons(services.shell, services.os),
      m_dispatch(*this, m_screens, m_tray, m_addons, services.shell, services.messageBox, services.tuning,
                 services.config.programFolder),
      m_movieFilter() {
  InitShellResources();
  setObjectName(QStringLiteral("frmMain"));
  setAttribute(Qt::WA_StyledBackground);
  setWindowTitle(QStringLiteral("Zentrofast"));
  setFixedSize(kMainWidth, kMainHeight);
  const QIcon icon(QPixmap::fromImage(ReadBuiltInImage(QStringLiteral(":/zentrofast/tray.png"))));
  setWindowIcon(icon);
  m_tray.SetTrayImage(icon);
  m_frame->setObjectName(QStringLiteral("framChildWindow"));
  m_frame->setGeometry(kFrameDesigned);
  m_flash->setObjectName(QStringLiteral("flash"));

  connect(m_flash, &MoviePlayer::FSCommand, this, [this](const QString& command, const QString& args) {
    FinishLoad();
    m_dispatch.FSCommand(command, args);
  });
  connect(m_flash, &MoviePlayer::MovieFailed, this, &frmMain::ShowFallbackButtons);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_frame);
  escape->setContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QShortcut::activated, this, &frmMain::CloseScreenFromKeyboard);
  connect(&m_screens, &ScreenHost::ScreenShown, this, [](QWidget* screen) { MoveFocusWithin(screen, true); });
  connect(&m_tray, &Tray::LeftClick, this, &frmMain::ShowMainWindow);
  connect(&m_tray, &Tray::MouseClick, this, &frmMain::ShowMainWindow);
}

frmMain::~frmMain() = default;

// Every effect of the load handler (tray icon, start-up screens, the start-hidden choice) comes
// before the window shows, so the first frame is the finished window.
void frmMain::Start(bool startHidden) {
  m_startHiddenAsked = startHidden;
  LoadUntilProfiles();
  FinishLoad();
  // Kept in the tray: the window and its scene are still made ready, so the first click shows
  // them as fast as any later one. Without a tray a hidden window could never be brought back,
  // so there it starts shown.
  if (StartHiddenOption() && m_tray.Available()) {
    QMetaObject::invokeMethod(this, &frmMain::PrepareHiddenWindow, Qt::QueuedConnection);
    return;
  }
  show();
}

// Shown off the screen and hidden again: the native window, the layout and the menu scene's
// first rendering are done now rather than on the first click.
void frmMain::PrepareHiddenWindow() {
  if (isVisible()) return;
  setAttribute(Qt::WA_DontShowOnScreen, true);
  show();
  m_flash->grabFramebuffer();
  hide();
  setAttribute(Qt::WA_DontShowOnScreen, false);
  emit HiddenWindowPrepared();
}

void frmMain::LoadUntilProfiles() {
  m_platform.locks.CreateNamedMutex(kNamedMutex);
  m_flash->setGeometry(0, 0, kMainWidth, kMainHeight);
  m_frame->raise();
  m_flash->raise();
  m_flash->LoadMovie(0, ProgramFile(m_services, kMenuSceneFile));
  SetVariable(QStringLiteral("_root.version"), VersionText());
  m_services.os = DetectOSFamily(m_services.config.osVersion);
  m_services.tuning.FillProfiles();
}

void frmMain::FinishLoad() {
  if (m_loadFinished) return;
  m_loadFinished = true;
  // A copy started before this point still finds the lock taken; only its request to raise
  // this window goes unheard.
  m_platform.locks.ListenForRaiseRequests([this] {
    ShowMainWindow();
    emit RaisedOnRequest();
  });
  LoadSkinOnce();
  m_tray.Show(true);
  for (ScreenId id : kStartupScreens) m_screens.Load(id);
  // Without a tray a hidden window could never be brought back.
  if (StartHiddenOption() && m_tray.Available()) NotifyStillRunning();
  HookMoviePlayerWindow();
  emit LoadFinished();
}

// The skin styles the screens and the fallback buttons, none of which is in the first frame.
void frmMain::LoadSkinOnce() {
  if (m_skinLoaded) return;
  m_skinLoaded = true;
  m_skin.LoadSkin(ProgramFile(m_services, "QorvMask.skn"), m_frame, QFontInfo(QApplication::font()).pixelSize());
  m_skin.ApplySkin(m_frame, QStringLiteral("NoFrame"));
}

// The option as the main settings loaded it a moment ago.
bool frmMain::StartHiddenOption() {
  const auto* settings = dynamic_cast<const MainSettingsService*>(m_screens.Background(ScreenId::MainSettings));
  return m_startHiddenAsked || (settings != nullptr && settings->Values().chkRunProgramMini);
}

void frmMain::ShowFallbackButtons() {
  if (m_buttons != nullptr) return;
  m_buttons = new FallbackButtons(this);
  m_buttons->setObjectName(QStringLiteral("buttonColumn"));
  m_buttons->setGeometry(kButtonColumn);
  LoadSkinOnce();
  m_skin.SkinWindow(this);
  connect(m_buttons, &FallbackButtons::Clicked, this, [this](ButtonGroup group, int Index) {
    FinishLoad();
    m_dispatch.ButtonClicked(group, Index);
  });
  connect(m_buttons, &FallbackButtons::DragRequested, this, &frmMain::DragMainWindow);
  connect(m_buttons, &FallbackButtons::MinimizeRequested, this, &frmMain::MinimizeMainWindow);
  connect(m_buttons, &FallbackButtons::CloseRequested, this, [this] {
    FinishLoad();
    m_dispatch.FSCommand(QStringLiteral("IDC_FS_close"));
  });
  m_buttons->lower();
  m_buttons->show();
}

void frmMain::HookMoviePlayerWindow() {
  if (m_movieHooked) return;
  for (QObject* child : children()) {
    if (auto* movie = qobject_cast<MoviePlayer*>(child)) {
      movie->installEventFilter(&m_movieFilter);
      m_movieHooked = true;
      return;
    }
  }
}

void frmMain::ShowMainWindow() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void frmMain::NotifyStillRunning() {
  if (!m_tray.Available()) {
    showMinimized();
    return;
  }
  hide();
  // Where a client cannot place its own windows (Wayland) the balloon could not sit by the
  // tray: the desktop's notification shows the notice instead.
  if (m_services.os.IsNTLayout() || QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    m_tray.showBalloonoolTip(true);
    return;
  }
  const ScreenPoint screen = m_services.windowSystem.ScreenSize();
  m_platform.autoMessage.MsgAuto_box(QCoreApplication::translate("zf::Tray", kStillRunning), 64,
                                     QCoreApplication::translate("zf::Tray", "Program notification"), 5, true,
                                     Rgb(242, 248, 200), static_cast<float>(screen.x - 40),
                                     static_cast<float>(screen.y), 0);
}

void frmMain::ApplySkinElement(QWidget* widget, const QString& element) {
  LoadSkinOnce();
  m_skin.ApplySkin(widget, element);
}

void frmMain::applyAllControls(QWidget* form) {
  LoadSkinOnce();
  m_skin.ApplyAllControls(form);
  ApplyKeyboardPolicy(form);
}

void frmMain::SkinDialog(QWidget* dialog) {
  LoadSkinOnce();
  m_skin.SkinWindow(dialog);
  IMainWindow::SkinDialog(dialog);
}

void frmMain::MovieToFront() {
  const bool screenHadKeyboard = FocusInScreens();
  m_flash->raise();
  // A screen under the movie must not keep the keyboard.
  if (screenHadKeyboard && m_flash->isVisible()) m_flash->setFocus(Qt::OtherFocusReason);
}

bool frmMain::FocusInScreens() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus != nullptr && m_frame->isAncestorOf(focus);
}

bool frmMain::focusNextPrevChild(bool next) {
  const QWidget* focus = QApplication::focusWidget();
  for (ScreenId id : kAllScreens) {
    ChildScreen* screen = m_screens.Loaded(id);
    if (screen != nullptr && focus != nullptr && screen->isAncestorOf(focus)) return MoveFocusWithin(screen, next);
  }
  return QWidget::focusNextPrevChild(next);
}

void frmMain::CloseScreenFromKeyboard() {
  // The shortcut matches through an open drop-down too: there Escape closes the drop-down only.
  if (QWidget* popup = QApplication::activePopupWidget()) {
    auto* combo = qobject_cast<QComboBox*>(popup->parentWidget());
    if (combo != nullptr)
      combo->hidePopup();
    else
      popup->close();
    return;
  }
  m_dispatch.FSCommand(QStringLiteral("IDC_FS_hide"));
  SetVariable(QStringLiteral("_root.home"), QStringLiteral("true"));
  if (m_flash->isVisible()) m_flash->setFocus(Qt::OtherFocusReason);
}

void frmMain::SetVariable(const QString& name, const QString& value) { m_flash->SetVariable(name, value); }

void frmMain::UpdateTrayTip(const QString& tip) {
  m_tray.SetTrayToolTip(tip);
  m_tray.Show(true);
}

void frmMain::ShowNotice(const QString& text) { m_tray.ShowNotice(QStringLiteral("Zentrofast"), text); }

ChildScreen* frmMain::Screen(ScreenId id) { return m_screens.Screen(id); }

void frmMain::MinimizeMainWindow() { showMinimized(); }

void frmMain::DragMainWindow() {
  if (QWindow* window = windowHandle(); window != nullptr && window->startSystemMove()) return;
  // No window manager to hand the move to: follow the mouse until the button is released.
  m_manualDrag = true;
  m_dragOffset = QCursor::pos() - pos();
  grabMouse();
}

void frmMain::mouseMoveEvent(QMouseEvent* event) {
  if (m_manualDrag) move(QCursor::pos() - m_dragOffset);
  QWidget::mouseMoveEvent(event);
}

void frmMain::mouseReleaseEvent(QMouseEvent* event) {
  if (m_manualDrag) {
    m_manualDrag = false;
    releaseMouse();
  }
  QWidget::mouseReleaseEvent(event);
}

void frmMain::EndProcess() {
  m_ending = true;
  emit EndRequested();
}

// The first paint of the window on the screen (or its hiding before any).
bool frmMain::event(QEvent* event) {
  const bool firstFrame = event->type() == QEvent::Paint || event->type() == QEvent::Hide;
  if (firstFrame && !m_firstFrameSeen && !testAttribute(Qt::WA_DontShowOnScreen)) {
    m_firstFrameSeen = true;
    QMetaObject::invokeMethod(this, &frmMain::AfterFirstFrame, Qt::QueuedConnection);
  }
  return QWidget::event(event);
}

void frmMain::AfterFirstFrame() {
  if (!isVisible()) return;
  emit FirstFrameShown();
  // The menu has the keyboard from the start.
  if (focusWidget() == nullptr) m_flash->setFocus(Qt::OtherFocusReason);
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (!m_ending) m_dispatch.MainWindowUnload();
  event->accept();
}

QWidget* ProgramMainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (qobject_cast<frmMain*>(widget) != nullptr) return widget;
  return nullptr;
}

}  // namespace zf
