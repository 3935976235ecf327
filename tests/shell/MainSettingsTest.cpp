// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include "shell/frmMainSettings.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

using namespace zf;
using namespace zf::test;

namespace {

const std::string kSection = "HKLM\\SOFTWARE\\Tessel\\Zentrofast\\Settings\\MainSettings";
const std::string kRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string ProgramPath() { return QCoreApplication::applicationFilePath().toStdString(); }

struct SettingsRig {
  // The start-up load, then the screen made.
  frmMainSettings& Load() {
    settings.Load();
    return Show();
  }
  frmMainSettings& Show() {
    screen = std::make_unique<frmMainSettings>(services.services, mainWindow, settings);
    screen->Form_Load();
    return *screen;
  }
  QPushButton* Save() { return screen->findChild<QPushButton*>("cmdSave"); }

  TestServices services;
  FakeMainWindow mainWindow;
  MainSettingsService settings{services.registry, services.shell, ProgramPath()};
  std::unique_ptr<frmMainSettings> screen;
};

}  // namespace

class MainSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void AFreshInstallStartsVisibleWithoutAutoStart() {
    SettingsRig rig;
    frmMainSettings& screen = rig.Load();
    QVERIFY(!screen.chkRunMainProgram()->isChecked());
    QVERIFY(!screen.chkRunProgramMini()->isChecked());
    QVERIFY(!rig.Save()->isEnabled());
    QVERIFY(!rig.services.registry.HasValue(kRun, "Zentrofast"));
    QCOMPARE(rig.services.shell.autoStart, std::string());
    // Skinned like every screen.
    QCOMPARE(rig.mainWindow.skinned.front().second, QStringLiteral("controlForm"));
    QCOMPARE(rig.mainWindow.allControlsApplied, std::vector<QWidget*>{&screen});
  }

  void TickingOnlyEnablesSave() {
    SettingsRig rig;
    frmMainSettings& screen = rig.Load();
    rig.services.registry.ClearChanges();
    QTest::mouseClick(screen.chkRunProgramMini(), Qt::LeftButton, {},
                      QPoint(5, screen.chkRunProgramMini()->height() / 2));
    QVERIFY(screen.chkRunProgramMini()->isChecked());
    QVERIFY(rig.Save()->isEnabled());
    QVERIFY(rig.services.registry.Changes().empty());
    QVERIFY(!rig.services.registry.HasValue(kSection, "chkRunProgramMini"));
  }

  void SavingWritesBothOptionsAndTheAutoStartEntry() {
    SettingsRig rig;
    frmMainSettings& screen = rig.Load();
    screen.chkRunMainProgram()->setChecked(true);
    screen.chkRunProgramMini()->setChecked(true);
    rig.Save()->click();
    QCOMPARE(rig.services.registry.GetText(kSection, "chkRunMainProgram"), std::optional<std::string>("1"));
    QCOMPARE(rig.services.registry.GetText(kSection, "chkRunProgramMini"), std::optional<std::string>("1"));
    QCOMPARE(rig.services.registry.GetText(kRun, "Zentrofast"), std::optional<std::string>(ProgramPath()));
    QCOMPARE(rig.services.shell.autoStart, ProgramPath());
    QVERIFY(!rig.Save()->isEnabled());
  }

  void ClearingAutoStartRemovesTheEntryButKeepsTheKey() {
    SettingsRig rig;
    rig.services.registry.PutText(kSection, "chkRunMainProgram", "1");
    rig.services.registry.PutText(kRun, "Zentrofast", "/old/place/zentrofast");
    frmMainSettings& screen = rig.Load();
    screen.chkRunMainProgram()->setChecked(false);
    rig.Save()->click();
    QCOMPARE(rig.services.registry.GetText(kSection, "chkRunMainProgram"), std::optional<std::string>("0"));
    QCOMPARE(rig.services.registry.GetText(kSection, "chkRunProgramMini"), std::optional<std::string>("0"));
    QVERIFY(!rig.services.registry.HasValue(kRun, "Zentrofast"));
    QVERIFY(rig.services.registry.HasKey(kRun));
    QCOMPARE(rig.services.shell.autoStart, std::string());
  }

  void LoadingFollowsAProgramThatHasMoved() {
    SettingsRig rig;
    rig.services.registry.PutText(kSection, "chkRunMainProgram", "1");
    rig.services.registry.PutText(kRun, "Zentrofast", "/old/place/zentrofast");
    rig.services.shell.autoStart = "/old/place/zentrofast";
    frmMainSettings& screen = rig.Load();
    QVERIFY(screen.chkRunMainProgram()->isChecked());
    QVERIFY(!rig.Save()->isEnabled());
    QCOMPARE(rig.services.registry.GetText(kRun, "Zentrofast"), std::optional<std::string>(ProgramPath()));
    QCOMPARE(rig.services.shell.autoStart, ProgramPath());
  }

  void StoredTextsOtherThanNumbersClearTheOption_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("checked");
    QTest::newRow("one") << "1" << true;
    QTest::newRow("other number") << "2" << true;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("text") << "yes" << false;
    QTest::newRow("empty") << "" << false;
  }
  void StoredTextsOtherThanNumbersClearTheOption() {
    QFETCH(QString, stored);
    QFETCH(bool, checked);
    SettingsRig rig;
    rig.services.registry.PutText(kSection, "chkRunProgramMini", stored.toStdString());
    QCOMPARE(rig.Load().chkRunProgramMini()->isChecked(), checked);
  }
};

QTEST_MAIN(MainSettingsTest)
#include "MainSettingsTest.moc"
