// SPDX-License-Identifier: GPL-3.0-or-later
// The main window over the program's own screens: start-up loads what the screens do in the
// background, in order, while each screen's widgets wait for its first use.
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

#include "ShellFakes.h"
#include "shell/ScreenFactory.h"
#include "shell/frmMain.h"
#include "support/FakeFollowUp.h"
#include "support/FakeKernelBridge.h"
#include "support/TestServices.h"

using namespace zf;
using namespace zf::test;

namespace {

const std::string kSettings = "HKLM\\SOFTWARE\\Tessel\\Zentrofast\\Settings\\";

struct ProgramRig {
  ProgramRig() : tray(log), locks(log) {
    services.services.os = OSFamily{};
    services.services.tuning = TuningState{};
    services.systemInfo.SetPhysicalMB(1024, 100);
  }

  frmMain& Window() {
    if (!window)
      window =
          std::make_unique<frmMain>(services.services, screens.Factory(), frmMain::Platform{tray, autoMessage, locks});
    return *window;
  }
  void Start() {
    Window().Start();
    QTRY_VERIFY(window->loadFinished());
  }
  void Store(const char* section, const char* name, const char* value) {
    services.registry.PutText(kSettings + section, name, value);
  }
  QList<ChildScreen*> ScreenWidgets() { return window->framChildWindow()->findChildren<ChildScreen*>(); }
  ScreenBackgrounds& Backgrounds() { return screens.Backgrounds(); }

  TestServices services;
  FakeKernelBridge bridge;
  FakeFollowUp followUp;
  ProgramScreens screens{services.services, {bridge, followUp}};
  CallLog log;
  FakeTrayService tray;
  FakeAutoMessageBox autoMessage;
  FakeProcessLocks locks;
  std::unique_ptr<frmMain> window;
};

}  // namespace

class ScreensOnFirstUseTest : public QObject {
  Q_OBJECT

 private slots:
  void StartUpMakesNoScreenWidgetsButRunsWhatTheScreensDo() {
    ProgramRig rig;
    rig.Store("NetPinger", "chkDoPinging", "1");
    rig.Store("RamSettings", "chkSoundon", "1");
    rig.services.services.tuning.current.MTU = 1234;
    rig.Start();
    for (ScreenId id : kStartupScreens) {
      QVERIFY(rig.window->screens().IsLoaded(id));
      QVERIFY(rig.window->screens().Loaded(id) == nullptr);
    }
    QVERIFY(rig.ScreenWidgets().isEmpty());
    // The wizard has put profile 0 into the current record.
    QVERIFY(rig.services.services.tuning.current == Profiles()[0]);
    // The pinger runs on its 65535 ms tick.
    const QTimer& pinger = rig.Backgrounds().Pinger().PingerTimer();
    QVERIFY(pinger.isActive());
    QCOMPARE(pinger.interval(), 65535);
    // Memory samples rewrite the tray tip, and the RAM alarm's checks arm its sound.
    QTRY_VERIFY(rig.tray.tip.contains(QStringLiteral("Memory Usage (100MB).")));
    QTRY_VERIFY(rig.Backgrounds().Booster().Alarm().playSound);
    QVERIFY(rig.ScreenWidgets().isEmpty());
  }

  void ThePingerStaysOffWhenItIsNotEnabled() {
    ProgramRig rig;
    rig.Start();
    QVERIFY(!rig.Backgrounds().Pinger().PingerTimer().isActive());
  }

  void TheStoredStartHiddenOptionKeepsTheWindowInTheTray() {
    ProgramRig rig;
    rig.Store("MainSettings", "chkRunProgramMini", "1");
    rig.Window().Start();
    QVERIFY(rig.window->loadFinished());
    QVERIFY(!rig.window->isVisible());
    QCOMPARE(rig.tray.balloons, QStringList{"Program notification | The Program Still Running Here"});
    QVERIFY(rig.ScreenWidgets().isEmpty());
  }

  void HidingEveryScreenMakesNoWidgetsForTheLoadedOnes() {
    ProgramRig rig;
    rig.Start();
    rig.window->dispatch().FSCommand(QStringLiteral("IDC_FS_about"));
    rig.window->dispatch().FSCommand(QStringLiteral("IDC_FS_closeAbout"));
    rig.window->dispatch().FSCommand(QStringLiteral("IDC_FS_main"));
    for (ScreenId id : kStartupScreens) QVERIFY(rig.window->screens().Loaded(id) == nullptr);
    // The advanced mode was never loaded: hiding it loads it, as before.
    QVERIFY(rig.window->screens().Loaded(ScreenId::NormalMode) != nullptr);
  }

  void AScreenShownLaterShowsWhatRanMeanwhile() {
    ProgramRig rig;
    rig.Store("NetPinger", "chkDoPinging", "1");
    rig.Store("RamSettings", "optPer", "True");
    rig.Store("RamSettings", "optMB", "False");
    rig.Store("MainSettings", "chkRunMainProgram", "1");
    rig.Start();
    QTRY_VERIFY(rig.tray.tip.contains(QStringLiteral("Memory Usage (10%).")));
    rig.window->dispatch().FSCommand(QStringLiteral("IDC_FS_systemSatus"));
    ChildScreen* status = rig.window->screens().Loaded(ScreenId::SystemStatus);
    QVERIFY(status != nullptr && status->isVisible());
    QCOMPARE(status->findChild<QGroupBox*>(QStringLiteral("fameMemoryUsage"))->title(),
             QStringLiteral("Memory Usage (10%)."));
    rig.window->dispatch().FSCommand(QStringLiteral("IDC_FS_pingSetting"));
    ChildScreen* pinger = rig.window->screens().Loaded(ScreenId::NetPingerSettings);
    QVERIFY(pinger->findChild<QCheckBox*>(QStringLiteral("chkDoPinging"))->isChecked());
    rig.window->dispatch().FSCommand(QStringLiteral("IDC_FS_ramConfig"));
    ChildScreen* booster = rig.window->screens().Loaded(ScreenId::RamConfiguration);
    QVERIFY(booster->findChild<QRadioButton*>(QStringLiteral("optPer"))->isChecked());
    rig.window->dispatch().FSCommand(QStringLiteral("IDC_FS_settings"));
    ChildScreen* settings = rig.window->screens().Loaded(ScreenId::MainSettings);
    QVERIFY(settings->findChild<QCheckBox*>(QStringLiteral("chkRunMainProgram"))->isChecked());
    // The settings were read once, at start-up: showing the screen rewrites no auto-start entry.
    QCOMPARE(rig.services.shell.autoStart, QCoreApplication::applicationFilePath().toStdString());
    rig.services.shell.autoStart.clear();
    rig.window->dispatch().FSCommand(QStringLiteral("IDC_FS_settings"));
    QVERIFY(rig.services.shell.autoStart.empty());
    // The wizard shows the profile its load chose.
    rig.window->dispatch().FSCommand(QStringLiteral("IDC_FS_wizardMode"));
    ChildScreen* wizard = rig.window->screens().Loaded(ScreenId::WizardMode);
    QVERIFY(wizard->findChild<QRadioButton*>(QStringLiteral("optMode0"))->isChecked());
  }

  void ClosingStopsTheBackgroundTimersWithOrWithoutWidgets() {
    ProgramRig rig;
    rig.Store("NetPinger", "chkDoPinging", "1");
    rig.Start();
    rig.window->dispatch().FSCommand(QStringLiteral("IDC_FS_systemSatus"));
    PingerService& pinger = rig.Backgrounds().Pinger();
    StatusMonitor& status = rig.Backgrounds().Status();
    RamBooster& booster = rig.Backgrounds().Booster();
    rig.window->close();
    const std::vector<const QTimer*> timers{&pinger.PingerTimer(), status.findChild<QTimer*>(QStringLiteral("tmrCPU")),
                                            status.findChild<QTimer*>(QStringLiteral("tmrMemory")),
                                            booster.findChild<QTimer*>(QStringLiteral("tmrAlarm")),
                                            booster.findChild<QTimer*>(QStringLiteral("tmrSoundPlayer"))};
    for (const QTimer* timer : timers) QVERIFY(!timer->isActive());
    for (ScreenId id : kAllScreens) QVERIFY(!rig.window->screens().IsLoaded(id));
  }
};

QTEST_MAIN(ScreensOnFirstUseTest)
#include "ScreensOnFirstUseTest.moc"
