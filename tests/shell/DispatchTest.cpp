// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>

#include "ShellFakes.h"
#include "shell/CommandDispatch.h"
#include "shell/FallbackButtons.h"
#include "shell/Version.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

using namespace zf;
using namespace zf::test;

namespace {

// The dispatch over a real screen host whose screens record what happens to them.
struct DispatchRig {
  explicit DispatchRig(OSVersionRecord version = kDefaultOSVersion)
      : services(version),
        window(log),
        trayService(log),
        tray(trayService),
        host(&frame,
             [this](ScreenId id) {
               auto screen = std::make_unique<RecordingScreen>(services.services, hostWindow, id, log);
               created.push_back(screen.get());
               return screen;
             }),
        addons(services.shell, services.services.os),
        dispatch(window, host, tray, addons, services.shell, services.messageBox, services.services.tuning,
                 services.folder.path()) {
    mainWindow.resize(724, 540);
    frame.setParent(&mainWindow);
    movie.setParent(&mainWindow);
    frame.setGeometry(245, 199, 440, 332);
    mainWindow.show();
  }

  RecordingScreen* Screen(ScreenId id) { return static_cast<RecordingScreen*>(host.Loaded(id)); }
  QStringList VisibleScreens() {
    QStringList visible;
    for (const ScreenTraits& screen : kScreens)
      if (host.Loaded(screen.id) && host.Loaded(screen.id)->isVisible()) visible << ScreenText(screen.id);
    return visible;
  }
  bool FrameInFront() { return mainWindow.children().indexOf(&frame) > mainWindow.children().indexOf(&movie); }
  QStringList Taken() { return std::exchange(log, {}); }

  TestServices services;
  CallLog log;
  FakeWindowActions window;
  FakeTrayService trayService;
  Tray tray;
  QWidget mainWindow;
  QWidget frame;
  QWidget movie;
  FakeMainWindow hostWindow;
  ScreenHost host;
  mdlAddons addons;
  CommandDispatch dispatch;
  std::vector<RecordingScreen*> created;
};

}  // namespace

class DispatchTest : public QObject {
  Q_OBJECT

 private slots:
  void ScreenCommandsShowOneScreenInAFrameOfItsHeight_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<int>("height");
    QTest::newRow("settings") << "IDC_FS_settings"
                              << "MainSettings" << 245;
    QTest::newRow("wizard") << "IDC_FS_wizardMode"
                            << "WizardMode" << 250;
    QTest::newRow("advanced") << "IDC_FS_normalMode"
                              << "NormalMode" << 252;
    QTest::newRow("backup") << "IDC_FS_backupManger"
                            << "BackUp" << 246;
    QTest::newRow("pinger") << "IDC_FS_pingSetting"
                            << "NetPingerSettings" << 244;
    QTest::newRow("status") << "IDC_FS_systemSatus"
                            << "SystemStatus" << 255;
    QTest::newRow("ram") << "IDC_FS_ramConfig"
                         << "RamConfiguration" << 240;
    QTest::newRow("this computer") << "IDC_FS_kernelSettings"
                                   << "KernelSettings" << 255;
    QTest::newRow("connection test") << "IDC_FS_connectionTest"
                                     << "ConnectionTest" << 255;
  }
  void ScreenCommandsShowOneScreenInAFrameOfItsHeight() {
    QFETCH(QString, command);
    QFETCH(QString, screen);
    QFETCH(int, height);
    DispatchRig rig;
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_wizardMode"));  // another screen was open before
    rig.dispatch.FSCommand(command, QStringLiteral("ignored arguments"));
    QCOMPARE(rig.VisibleScreens(), QStringList{screen});
    QCOMPARE(rig.frame.size(), QSize(440, height));
    QVERIFY(rig.FrameInFront());
    // Hiding every screen loaded each of them once; a later screen only when it is shown.
    QCOMPARE(rig.created.size(),
             screen == "NormalMode" || screen == "KernelSettings" || screen == "ConnectionTest" ? 8u : 7u);
  }

  void NearMissesDoNothing_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("case") << "idc_fs_wizardmode";
    QTest::newRow("trailing blank") << "IDC_FS_wizardMode ";
    QTest::newRow("leading blank") << " IDC_FS_close";
    QTest::newRow("backup spelled right") << "IDC_FS_backupManager";
    QTest::newRow("status spelled right") << "IDC_FS_systemStatus";
    QTest::newRow("drag lower case") << "drag";
    QTest::newRow("empty") << "";
    QTest::newRow("prefix") << "IDC_FS_";
  }
  void NearMissesDoNothing() {
    QFETCH(QString, command);
    DispatchRig rig;
    rig.dispatch.FSCommand(command);
    QVERIFY(rig.log.isEmpty());
    QVERIFY(rig.created.empty());
    QVERIFY(rig.services.shell.controlPanelCommands.empty());
  }

  void AdvancedModeStartsAfreshOnItsFirstPageEveryTime() {
    DispatchRig rig;
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_normalMode"));
    RecordingScreen* first = rig.Screen(ScreenId::NormalMode);
    QCOMPARE(first->pageAtLoad, 0);
    first->currWizardPage = 5;  // the user moved on
    const std::size_t screensBefore = rig.created.size();
    rig.Taken();
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_normalMode"));
    RecordingScreen* second = rig.Screen(ScreenId::NormalMode);
    QCOMPARE(rig.created.size(), screensBefore + 1);
    QCOMPARE(rig.created.back(), second);
    QCOMPARE(second->pageAtLoad, 0);
    QCOMPARE(rig.Taken().mid(0, 2), (QStringList{"unload NormalMode", "load NormalMode"}));
    QCOMPARE(rig.VisibleScreens(), QStringList{"NormalMode"});
  }

  void BackupListIsRefilledBeforeTheScreenShows() {
    DispatchRig rig;
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_backupManger"));
    const QStringList log = rig.Taken();
    QCOMPARE(log.first(), QStringLiteral("load BackUp"));
    QCOMPARE(log.at(1), QStringLiteral("intializeList BackUp"));
    QCOMPARE(rig.VisibleScreens(), QStringList{"BackUp"});
  }

  void HomeCoversTheScreenWhileMainHidesIt() {
    DispatchRig rig;
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_pingSetting"));
    rig.Taken();
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_home"));
    QCOMPARE(rig.Taken(), QStringList{"movie to front"});
    QCOMPARE(rig.VisibleScreens(), QStringList{"NetPingerSettings"});
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_hide"));
    QCOMPARE(rig.VisibleScreens(), QStringList{"NetPingerSettings"});
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_main"));
    QCOMPARE(rig.VisibleScreens(), QStringList());
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_pingSetting"));
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_sysSettingClicked"));
    QCOMPARE(rig.VisibleScreens(), QStringList());
    QCOMPARE(rig.log.last(), QStringLiteral("movie to front"));
  }

  void AboutHidesTheScreensAndClosingItBringsBackTheOneInView() {
    DispatchRig rig;
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_ramConfig"));
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_wizardMode"));
    rig.Taken();
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_about"));
    QCOMPARE(rig.Taken(), (QStringList{"movie to front", "movie to front"}));
    QCOMPARE(rig.VisibleScreens(), QStringList());
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_closeAbout"));
    QVERIFY(rig.log.isEmpty());  // no z-order change
    // Screens that were never in the frame stay hidden; the last one shown is on top.
    QCOMPARE(rig.VisibleScreens(), (QStringList{"WizardMode", "RamConfiguration"}));
    QCOMPARE(rig.frame.childAt(220, 120), rig.host.Loaded(ScreenId::WizardMode));
  }

  void CloseUnloadsInItsOrderThenRemovesTheIconThenEnds() {
    DispatchRig rig;
    rig.tray.Show(true);
    for (ScreenId id : kStartupScreens) rig.host.Screen(id);
    rig.Taken();
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_close"));
    QCOMPARE(rig.Taken(),
             (QStringList{"unload WizardMode", "unload BackUp", "unload NetPingerSettings", "unload SystemStatus",
                          "unload RamConfiguration", "unload MainSettings", "tray delete", "end process"}));
    QCOMPARE(rig.trayService.icons, 0);
  }

  void ClosingTheWindowUnloadsTheStatusScreenLast() {
    DispatchRig rig;
    rig.tray.Show(true);
    rig.host.HideAllChildScreens();
    rig.Taken();
    rig.dispatch.MainWindowUnload();
    QCOMPARE(rig.Taken(), (QStringList{"unload WizardMode", "unload NormalMode", "unload BackUp",
                                       "unload NetPingerSettings", "unload RamConfiguration", "unload MainSettings",
                                       "unload SystemStatus", "tray delete", "end process"}));
  }

  void RestartAsksForARebootWithoutEnding() {
    DispatchRig rig;
    rig.tray.Show(true);
    rig.host.HideAllChildScreens();
    rig.Taken();
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_restart"));
    QCOMPARE(rig.Taken(),
             (QStringList{"unload WizardMode", "unload NormalMode", "unload BackUp", "unload NetPingerSettings",
                          "unload RamConfiguration", "unload MainSettings", "unload SystemStatus", "tray delete"}));
    QCOMPARE(rig.services.shell.sessionEnds, std::vector<SessionEnd>{SessionEnd::Reboot});
  }

  void ARestartThatCannotBeRequestedLeavesTheProgramRunning() {
    DispatchRig rig;
    rig.services.shell.endSessionSucceeds = false;
    rig.tray.Show(true);
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_restart"));
    const QStringList log = rig.Taken();
    QCOMPARE(log.mid(log.indexOf("tray delete") + 1),
             (QStringList{"load WizardMode", "load BackUp", "load NetPingerSettings", "load SystemStatus",
                          "load RamConfiguration", "load MainSettings", "tray add"}));
    QCOMPARE(rig.trayService.icons, 1);
  }

  // A refused restart brings back what the user had open and was working on, and says so.
  void ARestartRefusedAfterItWasRequestedLeavesTheProgramRunning() {
    DispatchRig rig;
    rig.tray.Show(true);
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_ramConfig"));
    TcpSettings& record = rig.services.services.tuning.current;
    record.MTU = 1400;
    const TcpSettings chosen = record;
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_restart"));
    QCOMPARE(rig.trayService.icons, 0);  // requested: the program is on its way out
    QVERIFY(rig.services.shell.refuseSessionEnd);
    rig.Taken();
    record.MTU = 576;                       // as the wizard's load copies profile 0
    rig.services.shell.refuseSessionEnd();  // the authorisation was cancelled
    QCOMPARE(rig.Taken().mid(0, 7),
             (QStringList{"load WizardMode", "load BackUp", "load NetPingerSettings", "load SystemStatus",
                          "load RamConfiguration", "load MainSettings", "tray add"}));
    QCOMPARE(rig.trayService.icons, 1);
    QVERIFY(rig.host.Loaded(ScreenId::RamConfiguration) != nullptr);
    QVERIFY(rig.host.Loaded(ScreenId::RamConfiguration)->isVisibleTo(&rig.frame));
    QVERIFY(record == chosen);
    QCOMPARE(rig.services.messageBox.shown.size(), std::size_t{1});
    QCOMPARE(rig.services.messageBox.shown.front().text, std::string("The computer was not restarted."));
  }

  void WindowCommands() {
    DispatchRig rig;
    for (const char* command : {"IDC_FS_minimize", "IDC_FS_tray", "Drag"}) rig.dispatch.FSCommand(command);
    QCOMPARE(rig.Taken(), (QStringList{"minimize", "still running", "drag"}));
  }

  void LaunchersUseTheControlPanelCommandLines() {
    DispatchRig rig;
    for (const char* command :
         {"IDC_FS_internetProperties", "IDC_FS_systemSetting", "IDC_FS_modemSetting", "IDC_FS_networkSetting"})
      rig.dispatch.FSCommand(command);
    QCOMPARE(rig.services.shell.controlPanelCommands,
             (std::vector<std::string>{kInternetPropertiesCommand, kSystemPropertiesCommand, kModemSettingsCommand,
                                       kNetworkSettingsNTCommand}));
  }

  void NetworkSettingsFollowTheOSFamily() {
    DispatchRig older({1, 4, 10});  // Windows 98
    older.dispatch.FSCommand(QStringLiteral("IDC_FS_networkSetting"));
    QCOMPARE(older.services.shell.controlPanelCommands, std::vector<std::string>{kNetworkSettings9xCommand});
    DispatchRig undetected;
    undetected.services.services.os = OSFamily{};
    undetected.dispatch.FSCommand(QStringLiteral("IDC_FS_networkSetting"));
    QVERIFY(undetected.services.shell.controlPanelCommands.empty());
  }

  void ALauncherWithoutADesktopToolSaysWhatIsMissing_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");
    QTest::newRow("internet") << "IDC_FS_internetProperties"
                              << "No internet settings tool was found on this desktop.";
    QTest::newRow("system") << "IDC_FS_systemSetting"
                            << "No system information tool was found on this desktop.";
    QTest::newRow("modem") << "IDC_FS_modemSetting"
                           << "No modem settings tool was found on this desktop.";
    QTest::newRow("network") << "IDC_FS_networkSetting"
                             << "No network settings tool was found on this desktop.";
  }
  void ALauncherWithoutADesktopToolSaysWhatIsMissing() {
    QFETCH(QString, command);
    QFETCH(QString, message);
    DispatchRig rig;
    rig.dispatch.FSCommand(command);
    QVERIFY(rig.services.messageBox.shown.empty());  // a tool was found: nothing to say
    rig.services.shell.controlPanelToolsFound = false;
    rig.dispatch.FSCommand(command);
    QCOMPARE(rig.services.messageBox.shown.size(), 1u);
    QCOMPARE(QString::fromStdString(rig.services.messageBox.shown[0].text), message);
    QCOMPARE(rig.services.messageBox.shown[0].buttons, MsgButtons::Ok);
  }

  void HelpWithNothingToOpenItSaysSo() {
    DispatchRig rig;
    rig.services.shell.openSucceeds = false;
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_help"));
    QCOMPARE(rig.services.messageBox.shown.size(), 1u);
    QCOMPARE(rig.services.messageBox.shown[0].text,
             std::string("No program to open the help file was found on this desktop."));
  }

  void HomePageAboutAndHelpButtonsWork() {
    DispatchRig rig;
    rig.dispatch.ButtonClicked(ButtonGroup::Zentrofast, 1);
    QCOMPARE(rig.VisibleScreens(), QStringList{"WizardMode"});
    rig.Taken();
    rig.dispatch.ButtonClicked(ButtonGroup::HomePage, 0);
    QVERIFY(rig.VisibleScreens().isEmpty());
    QVERIFY(rig.Taken().contains("movie to front"));
    rig.dispatch.ButtonClicked(ButtonGroup::About, 0);
    QCOMPARE(rig.services.messageBox.shown.size(), 1u);
    QVERIFY(QString::fromStdString(rig.services.messageBox.shown[0].text).contains(VersionText()));
    rig.dispatch.ButtonClicked(ButtonGroup::Help, 0);
    QCOMPARE(rig.services.shell.opened, std::vector<std::string>{(rig.services.folder / "QorvHelp.chm").string()});
  }

  void HelpFallsBackToTheHtmlIndex() {
    DispatchRig rig;
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_help"));
    QCOMPARE(rig.services.shell.opened, std::vector<std::string>{(rig.services.folder / "QorvHelp.chm").string()});
    rig.services.shell.opened.clear();
    rig.services.shell.openSucceeds = false;
    rig.dispatch.FSCommand(QStringLiteral("IDC_FS_help"));
    QCOMPARE(rig.services.shell.opened, (std::vector<std::string>{(rig.services.folder / "QorvHelp.chm").string(),
                                                                  (rig.services.folder / "help/index.html").string()}));
  }

  void GroupHeadingsShowTheirNotices() {
    DispatchRig rig;
    rig.dispatch.ButtonClicked(ButtonGroup::Zentrofast, 0);
    rig.dispatch.ButtonClicked(ButtonGroup::SystemSettings, 0);
    rig.dispatch.ButtonClicked(ButtonGroup::RamBooster, 0);
    rig.dispatch.ButtonClicked(ButtonGroup::NetPinger, 0);
    std::vector<std::string> texts;
    for (const auto& shown : rig.services.messageBox.shown) {
      QCOMPARE(shown.buttons, MsgButtons::Ok);
      QCOMPARE(shown.icon, MsgIcon::None);
      texts.push_back(shown.text);
    }
    QCOMPARE(texts, (std::vector<std::string>{"Nothandeled", "Not handeled", "Not handeled yet", "Nothandeled"}));
    QVERIFY(rig.created.empty());
  }

  void ButtonsShowScreensWithoutSizingTheFrame() {
    DispatchRig rig;
    rig.dispatch.ButtonClicked(ButtonGroup::Zentrofast, 2);
    RecordingScreen* advanced = rig.Screen(ScreenId::NormalMode);
    advanced->currWizardPage = 4;
    rig.dispatch.ButtonClicked(ButtonGroup::Zentrofast, 2);
    QCOMPARE(rig.Screen(ScreenId::NormalMode), advanced);  // not re-created
    QCOMPARE(advanced->currWizardPage, 4);
    rig.dispatch.ButtonClicked(ButtonGroup::Zentrofast, 3);
    QVERIFY(rig.log.contains("intializeList BackUp"));
    rig.dispatch.ButtonClicked(ButtonGroup::RamBooster, 2);
    QCOMPARE(rig.VisibleScreens(), QStringList{"RamConfiguration"});
    rig.dispatch.ButtonClicked(ButtonGroup::NetPinger, 1);
    rig.dispatch.ButtonClicked(ButtonGroup::MainSettings, 0);
    QCOMPARE(rig.VisibleScreens(), QStringList{"MainSettings"});
    QCOMPARE(rig.frame.size(), QSize(440, 332));
    rig.dispatch.ButtonClicked(ButtonGroup::SystemSettings, 4);
    QCOMPARE(rig.services.shell.controlPanelCommands, std::vector<std::string>{kNetworkSettingsNTCommand});
  }

  // Each screen can be reached from the shipped menu scene's commands and, when the scene cannot
  // load, from the fallback buttons.
  void EveryScreenIsReachableFromBothMenus() {
    QFile scene(QStringLiteral(ZF_MENU_SCENE));
    QVERIFY(scene.open(QIODevice::ReadOnly));
    QSet<QString> fromScene;
    const auto commands =
        QRegularExpression(QStringLiteral("IDC_FS_\\w+")).globalMatch(QString::fromUtf8(scene.readAll()));
    for (auto it = commands; it.hasNext();) {
      const QString command = it.next().captured();
      if (command == "IDC_FS_close" || command == "IDC_FS_restart") continue;  // they end the program
      DispatchRig rig;
      rig.dispatch.FSCommand(command);
      for (const QString& name : rig.VisibleScreens()) fromScene << name;
    }
    QSet<QString> fromButtons;
    const FallbackButtons buttons;
    for (const QPushButton* button : buttons.findChildren<QPushButton*>()) {
      if (!button->property("buttonGroup").isValid()) continue;
      DispatchRig rig;
      rig.dispatch.ButtonClicked(static_cast<ButtonGroup>(button->property("buttonGroup").toInt()),
                                 button->property("buttonIndex").toInt());
      for (const QString& name : rig.VisibleScreens()) fromButtons << name;
    }
    for (const ScreenTraits& screen : kScreens) {
      const QString name = ScreenText(screen.id);
      QVERIFY2(fromScene.contains(name), qPrintable(name + " cannot be reached from the menu scene"));
      QVERIFY2(fromButtons.contains(name), qPrintable(name + " cannot be reached from the fallback buttons"));
    }
  }
};

QTEST_MAIN(DispatchTest)
#include "DispatchTest.moc"
