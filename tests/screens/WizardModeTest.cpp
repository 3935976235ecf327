// SPDX-License-Identifier: GPL-3.0-or-later
// The wizard: its description text, the profile copies, and Optimize through the real tuning
// core into an in-memory registry.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <fstream>

#include "screens/frmWizardMode.h"
#include "support/FakeFollowUp.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

namespace zf {
namespace {

const std::string kTcpip = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kInterface = kTcpip + "\\Interfaces\\{B2}";

struct Wizard {
  test::TestServices env;
  test::FakeMainWindow main;
  test::FakeFollowUp followUp;
  WizardModeLogic logic{env.services, main, followUp};
  frmWizardMode form{env.services, main, logic};

  Wizard() {
    env.registry.AddKey(kInterface);
    logic.Load();
    form.Form_Load();
  }
  QRadioButton* option(int index) { return form.findChild<QRadioButton*>(QStringLiteral("optMode%1").arg(index)); }
  QString description() { return form.findChild<QLabel*>(QStringLiteral("lblModeDescrip"))->text(); }
  void Optimize() { form.findChild<QPushButton*>(QStringLiteral("cmdOptimize"))->click(); }
};

QString Lines(const QStringList& lines) { return lines.join(QStringLiteral("\r\n")); }

}  // namespace

class WizardModeTest : public QObject {
  Q_OBJECT

 private slots:
  void profileZeroDescription() {
    TcpSettings s = Profiles()[0];
    const QString expected = Lines({"MSS = 536\tMTU = 576\t\tICMP = False", "", "NDI = 0\tMSCPS0 = 16\t\tMSCPS1 = 8",
                                    "", "BlackHole = False\tRWIN = 4288\t", "Keep Alive = 600000", "",
                                    "Keep Alive Interval= 1000\tSYN = 2\t\tTTL= 128", "", ""});
    QCOMPARE(BuildModeDescription(s), expected);
    s.IcmpRedirects = true;
    s.BlackHoleDetect = true;
    s.PmtuDiscovery = false;  // not part of the summary
    QVERIFY(BuildModeDescription(s).startsWith(QStringLiteral("MSS = 536\tMTU = 576\t\tICMP = True\r\n")));
    QVERIFY(BuildModeDescription(s).contains(QStringLiteral("\r\nBlackHole = True\tRWIN")));
  }

  void loadCopiesProfileZero() {
    Wizard w;
    w.env.services.tuning.current = TcpSettings{};
    w.logic.Load();
    QVERIFY(w.env.services.tuning.current == Profiles()[0]);
    w.form.Form_Load();
    QVERIFY(w.option(0)->isChecked());
    QCOMPARE(w.description(), BuildModeDescription(Profiles()[0]));
    QCOMPARE(w.main.skinned.size(), std::size_t{2});
    QCOMPARE(w.main.skinned[0].second, QStringLiteral("controlForm"));
  }

  void optionsCarryTheProfileCaptions() {
    Wizard w;
    const QStringList captions{"Automatic-A", "Automatic-B", "Automatic-C", "Automatic-D",
                               "Automatic-E", "Automatic-F", "Automatic-G", "Windows default"};
    for (int i = 0; i < kProfileCount; ++i) QCOMPARE(w.option(i)->text(), captions[i]);
    QCOMPARE(w.form.findChild<QGroupBox*>(QStringLiteral("frameWizardMode"))->title(), QStringLiteral("Wizard Mode"));
    QCOMPARE(w.form.findChild<QGroupBox*>(QStringLiteral("frameOptimizationMode"))->title(),
             QStringLiteral("Optimization Modes"));
    QCOMPARE(w.form.findChild<QPushButton*>(QStringLiteral("cmdOptimize"))->text(), QStringLiteral("Optimize &Now"));
  }

  void automaticCShowsTheDeleteMarkers() {
    Wizard w;
    w.option(2)->click();
    QVERIFY(w.env.services.tuning.current == Profiles()[2]);
    const QString text = w.description();
    QVERIFY(text.startsWith(QStringLiteral("MSS = -1\tMTU = -1\t\t")));
    QVERIFY(text.contains(QStringLiteral("\tRWIN = -1\t\r\n")));
  }

  void windowsDefaultShowsItsConnectionLimits() {
    Wizard w;
    w.option(7)->click();
    QVERIFY(w.description().contains(QStringLiteral("MSCPS0 = 2\t\tMSCPS1 = 4\r\n")));
  }

  // Choosing the option already selected keeps whatever the advanced mode put in the record.
  void reselectingTheSameOptionChangesNothing() {
    Wizard w;
    w.option(4)->click();
    w.env.services.tuning.current.TTL = 99;
    w.option(4)->click();
    QCOMPARE(w.env.services.tuning.current.TTL, 99);
  }

  void firstVisitOptimizeAppliesProfileZeroWithABackup() {
    Wizard w;
    w.Optimize();
    QVERIFY(std::filesystem::exists(w.env.folder / "Backups" / "001.BCK"));
    QCOMPARE(w.env.registry.GetDword(kTcpip, "TcpWindowSize"), std::optional<std::int32_t>(4288));
    QCOMPARE(w.env.registry.GetDword(kTcpip, "DefaultTTL"), std::optional<std::int32_t>(128));
    QCOMPARE(w.env.registry.GetDword(kInterface, "MTU"), std::optional<std::int32_t>(576));
    QCOMPARE(w.main.calls,
             QStringList({QStringLiteral("MovieToFront"), QStringLiteral("SetVariable _root.home=true")}));
    QVERIFY(w.env.messageBox.shown.empty());
    w.Optimize();
    QVERIFY(std::filesystem::exists(w.env.folder / "Backups" / "002.BCK"));
  }

  void automaticCRemovesTheSizes() {
    Wizard w;
    w.Optimize();
    w.option(2)->click();
    w.Optimize();
    QVERIFY(!w.env.registry.HasValue(kInterface, "MTU"));
    QVERIFY(!w.env.registry.HasValue(kInterface, "MSS"));
    QVERIFY(!w.env.registry.HasValue(kTcpip, "TcpWindowSize"));
    QVERIFY(!w.env.registry.HasValue(kTcpip, "GlobalMaxTcpWindowSize"));
  }

  void optimizeNamesTheValuesItsBackupCouldNotKeep() {
    Wizard w;
    w.env.registry.PutText(kTcpip, "DefaultTTL", "sixty-four");
    w.Optimize();
    QCOMPARE(w.env.registry.GetDword(kTcpip, "DefaultTTL"), std::optional<std::int32_t>(128));
    QCOMPARE(w.env.messageBox.shown.size(), std::size_t{1});
    const auto& note = w.env.messageBox.shown[0];
    QVERIFY2(note.text.find("DefaultTTL") != std::string::npos, note.text.c_str());
    QVERIFY2(note.text.find("001.BCK") != std::string::npos, note.text.c_str());
    QCOMPARE(note.icon, MsgIcon::Exclamation);
    QCOMPARE(w.main.calls,
             QStringList({QStringLiteral("MovieToFront"), QStringLiteral("SetVariable _root.home=true")}));
  }

  void optimizeWithoutABackupShowsTheReasonAndStays() {
    Wizard w;
    {
      std::ofstream blocker(w.env.folder / "Backups");  // a file where the folder belongs
    }
    w.env.registry.ClearChanges();
    w.Optimize();
    QCOMPARE(w.env.messageBox.shown.size(), std::size_t{1});
    QVERIFY(!w.env.messageBox.shown[0].text.empty());
    QCOMPARE(w.env.messageBox.shown[0].buttons, MsgButtons::Ok);
    QVERIFY(w.env.registry.Changes().empty());
    QVERIFY(w.env.services.tuning.current == Profiles()[0]);
    QVERIFY(w.main.calls.isEmpty());
    QVERIFY(w.main.notices.isEmpty());
  }

  void aRunTellsWhatWasDoneAndTheBackupsName() {
    Wizard w;
    w.Optimize();
    w.Optimize();
    QCOMPARE(w.main.notices, (QStringList{"The wizard's settings were applied. Backup of the values before: 001.BCK",
                                          "The wizard's settings were applied. Backup of the values before: 002.BCK"}));
  }

  void aLineSaysWhenTheAdvancedModesValuesWillBeApplied() {
    Wizard w;
    QLabel* line = w.form.findChild<QLabel*>(QStringLiteral("lblAdvancedValues"));
    QCOMPARE(line->text(), QStringLiteral("The values from the advanced mode will be applied."));
    w.form.show();
    QVERIFY(!line->isVisible());
    w.form.hide();
    w.env.services.tuning.current.MTU = 1500;  // the advanced mode finished meanwhile
    w.form.show();
    QVERIFY(line->isVisible());
    const QString description = w.description();
    w.Optimize();  // the behaviour stays: the record as it is now is applied
    QCOMPARE(w.env.registry.GetDword(kInterface, "MTU"), std::optional<std::int32_t>(1500));
    QCOMPARE(w.description(), description);
    w.option(3)->click();  // a new choice replaces the record: the profile is what applies
    QVERIFY(!line->isVisible());
    w.option(0)->click();
    QVERIFY(!line->isVisible());
  }
};

}  // namespace zf

QTEST_MAIN(zf::WizardModeTest)
#include "WizardModeTest.moc"
