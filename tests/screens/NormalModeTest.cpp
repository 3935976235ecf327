// SPDX-License-Identifier: GPL-3.0-or-later
// The advanced mode's pages driven without a window: entries, validation, RWIN, navigation,
// and Finish applying through the real tuning core into an in-memory registry.
#include <QtTest>
#include <fstream>

#include "screens/NormalModeLogic.h"
#include "support/FakeFollowUp.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

namespace zf {
namespace {

const std::string kTcpip = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kInterface = kTcpip + "\\Interfaces\\{A1}";

struct Screen {
  test::TestServices env;
  test::FakeMainWindow main;
  test::FakeFollowUp followUp;
  NormalModeLogic logic{env.services, main, followUp, QLocale::c()};

  Screen() {
    env.registry.AddKey(kInterface);
    env.services.tuning.current = env.services.tuning.profiles[0];
    logic.Form_Load();
  }
  const NormalModeControls& c() const { return logic.controls(); }
  TcpSettings& record() { return env.services.tuning.current; }
  void NextTo(int page) {
    while (logic.currWizardPage < page) logic.cmdNextPage_Click();
  }
  bool BackupExists(const char* name) const { return std::filesystem::exists(env.folder / "Backups" / name); }
};

}  // namespace

class NormalModeTest : public QObject {
  Q_OBJECT

 private slots:
  void loadShowsTheFirstPage() {
    Screen s;
    s.record().NdiCacheSize = 32;
    s.logic.Form_Load();
    QCOMPARE(s.c().visiblePage, 0);
    QVERIFY(!s.c().cmdPrevPageEnabled);
    QVERIFY(s.c().cmdNextPageEnabled);
    QCOMPARE(s.c().cmdNextPageCaption, QStringLiteral("Next>>"));
    QCOMPARE(s.record().NdiCacheSize, 0);
  }

  void connectionTypeThroughTheRwinPage_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("mtu");
    QTest::addColumn<QString>("mss");
    QTest::addColumn<QString>("mtuLabel");
    QTest::addColumn<QString>("mssLabel");
    QTest::addColumn<QString>("multiplier");
    QTest::addColumn<QString>("rwin");
    // clang-format off
    QTest::newRow("dial-up") << 0 << "576" << "536" << "576 Byte" << "536 Byte" << "3" << "6432";
    QTest::newRow("cable") << 1 << "1500" << "1460" << "1500 Byte" << "1460 Byte" << "44" << "256960";
    QTest::newRow("DSL") << 2 << "1492" << "1452" << "1492 Byte" << "1452Byte" << "44" << "255552";
    QTest::newRow("LAN") << 3 << "1500" << "1460" << "1500 Byte" << "1460 Byte" << "44" << "256960";
    // clang-format on
  }
  void connectionTypeThroughTheRwinPage() {
    QFETCH(int, type);
    QFETCH(QString, mtu);
    QFETCH(QString, mss);
    QFETCH(QString, mtuLabel);
    QFETCH(QString, mssLabel);
    QFETCH(QString, multiplier);
    QFETCH(QString, rwin);
    Screen s;
    s.logic.optConnType_Click(type);
    QCOMPARE(s.record().MTU, 576);  // nothing changes before the next page is entered
    s.NextTo(1);
    QCOMPARE(s.c().visiblePage, 1);
    QVERIFY(s.c().cmdPrevPageEnabled);
    QCOMPARE(s.c().text(ValidatedBox::MTU), mtu);
    QCOMPARE(s.c().text(ValidatedBox::MSS), mss);
    QCOMPARE(s.c().lblMTURecValue, mtuLabel);
    QCOMPARE(s.c().lblMSSRecVaklue, mssLabel);
    QCOMPARE(QString::number(s.record().MTU), mtu);
    s.logic.SetValidatedText(ValidatedBox::MSS, QStringLiteral("1000"));  // the RWIN page ignores typed MSS
    s.NextTo(3);
    QCOMPARE(s.c().txtMSSRWINValue, mss);
    QCOMPARE(s.c().txtMultiplier, multiplier);
    QCOMPARE(s.c().txtScaleFactor, QStringLiteral("4"));
    QCOMPARE(s.c().txtRWIN, rwin);
    QCOMPARE(s.c().lblRWINRecValue, rwin + QStringLiteral("Bytes"));
    QCOMPARE(QString::number(s.record().RWIN), rwin);
  }

  void validatedBoxesSnapBack_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("left");  // once the box is left
    const int ttl = static_cast<int>(ValidatedBox::TTL);
    const int http10 = static_cast<int>(ValidatedBox::HTTP10);
    const int http11 = static_cast<int>(ValidatedBox::HTTP11);
    const int mtu = static_cast<int>(ValidatedBox::MTU);
    // clang-format off
    QTest::newRow("HTTP 1.0 below 4") << http10 << "1" << "1" << "20";
    QTest::newRow("HTTP 1.0 at 4") << http10 << "4" << "4" << "4";
    QTest::newRow("HTTP 1.1 at 2") << http11 << "2" << "2" << "2";
    QTest::newRow("HTTP 1.1 below 2") << http11 << "1" << "1" << "20";
    QTest::newRow("TTL 257") << ttl << "257" << "257" << "64";
    QTest::newRow("TTL 256") << ttl << "256" << "256" << "256";
    QTest::newRow("TTL negative") << ttl << "-1" << "-1" << "64";
    QTest::newRow("TTL empty") << ttl << "" << "" << "64";  // typing on
    QTest::newRow("TTL half a group") << ttl << "1," << "1," << "64";
    QTest::newRow("MTU a sign") << mtu << "-" << "-" << "576";
    QTest::newRow("TTL letters") << ttl << "abc" << "64" << "64";
    QTest::newRow("MTU above 32 bits") << mtu << "2147483648" << "2147483648" << "576";
    QTest::newRow("MTU largest") << mtu << "2147483647" << "2147483647" << "2147483647";
    // clang-format on
  }
  void validatedBoxesSnapBack() {
    QFETCH(int, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, left);
    Screen s;
    s.NextTo(4);
    const TcpSettings before = s.record();
    s.logic.SetValidatedText(static_cast<ValidatedBox>(box), typed);
    QCOMPARE(s.c().text(static_cast<ValidatedBox>(box)), shown);
    s.logic.LeaveValidatedBox(static_cast<ValidatedBox>(box));
    QCOMPARE(s.c().text(static_cast<ValidatedBox>(box)), left);
    QVERIFY(s.record() == before);  // boxes reach the record only on Finish
  }

  void everyBoxAcceptsItsBoundsAndRefusesOneBeyond_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<qint64>("lower");
    QTest::addColumn<qint64>("upper");
    constexpr qint64 kLong = 2147483647;
    const auto row = [](const char* name, ValidatedBox box, qint64 lower, qint64 upper) {
      QTest::newRow(name) << static_cast<int>(box) << lower << upper;
    };
    row("MTU", ValidatedBox::MTU, 0, kLong);
    row("MSS", ValidatedBox::MSS, 0, kLong);
    row("TTL", ValidatedBox::TTL, 0, 256);
    row("HTTP 1.0", ValidatedBox::HTTP10, 4, kLong);
    row("HTTP 1.1", ValidatedBox::HTTP11, 2, kLong);
    row("Keep Alive Time", ValidatedBox::KeepAliveTime, 0, kLong);
    row("Keep Alive Interval", ValidatedBox::KeepAliveInterval, 0, kLong);
  }
  // A bound moved by one lets -1 through, which Finish would take for the delete marker.
  void everyBoxAcceptsItsBoundsAndRefusesOneBeyond() {
    QFETCH(int, box);
    QFETCH(qint64, lower);
    QFETCH(qint64, upper);
    const auto shownAfterTyping = [box](qint64 typed) {
      Screen s;
      s.NextTo(kLastWizardPage);
      const QString fallback = s.c().text(static_cast<ValidatedBox>(box));
      s.logic.SetValidatedText(static_cast<ValidatedBox>(box), QString::number(typed));
      s.logic.LeaveValidatedBox(static_cast<ValidatedBox>(box));
      return std::pair{s.c().text(static_cast<ValidatedBox>(box)), fallback};
    };
    for (const qint64 accepted : {lower, upper}) {
      const auto [shown, fallback] = shownAfterTyping(accepted);
      QCOMPARE(shown, QString::number(accepted));
    }
    for (const qint64 refused : {lower - 1, upper + 1}) {
      const auto [shown, fallback] = shownAfterTyping(refused);
      QCOMPARE(shown, fallback);
      QVERIFY(shown != QString::number(refused));
    }
  }

  // After the wizard chose "Automatic-C" or "Windows default" the fallbacks lie outside the
  // bounds: shown once, no endless snapping.
  void fallbackOutsideItsBoundsIsShownOnce() {
    Screen s;
    s.NextTo(4);
    s.record() = s.env.services.tuning.profiles[7];
    s.logic.SetValidatedText(ValidatedBox::HTTP10, QStringLiteral("1"));
    s.logic.LeaveValidatedBox(ValidatedBox::HTTP10);
    QCOMPARE(s.c().text(ValidatedBox::HTTP10), QStringLiteral("2"));
    s.record() = s.env.services.tuning.profiles[2];
    s.logic.SetValidatedText(ValidatedBox::MTU, QStringLiteral("x"));
    QCOMPARE(s.c().text(ValidatedBox::MTU), QStringLiteral("-1"));
    s.logic.LeaveValidatedBox(ValidatedBox::MTU);
    QCOMPARE(s.c().text(ValidatedBox::MTU), QStringLiteral("-1"));
  }

  void badMultipliersBecomeTheDefault_data() {
    QTest::addColumn<QString>("typed");
    // clang-format off
    QTest::newRow("zero") << "0";
    QTest::newRow("negative") << "-2";
    QTest::newRow("empty") << "";
    QTest::newRow("text") << "lots";
    QTest::newRow("window above 1073741823") << "10000000";
    QTest::newRow("window below the MSS") << "0.2";
    // clang-format on
  }
  void badMultipliersBecomeTheDefault() {
    QFETCH(QString, typed);
    Screen s;
    s.NextTo(3);
    s.logic.SetMultiplierText(QStringLiteral("7"));
    QCOMPARE(s.c().txtRWIN, QStringLiteral("15008"));
    s.logic.SetMultiplierText(typed);
    QCOMPARE(s.c().txtMultiplier, QStringLiteral("3"));
    QCOMPARE(s.c().txtRWIN, QStringLiteral("6432"));
  }

  void windowEqualToTheMssIsAccepted() {
    Screen s;
    s.NextTo(3);
    s.logic.SetMultiplierText(QStringLiteral("0.25"));
    QCOMPARE(s.c().txtMultiplier, QStringLiteral("0.25"));
    QCOMPARE(s.c().txtRWIN, QStringLiteral("536"));
  }

  void fractionalWindowIsShownAndRoundedOnFinish() {
    Screen s;
    s.NextTo(3);
    s.logic.SetMultiplierText(QStringLiteral("2.3"));
    QCOMPARE(s.c().txtRWIN, QStringLiteral("4931.2"));
    QCOMPARE(s.record().RWIN, 6432);  // the recommendation stays until Finish
    QCOMPARE(s.c().lblRWINRecValue, QStringLiteral("6432Bytes"));
    s.NextTo(8);
    QCOMPARE(s.record().RWIN, 4931);
    QCOMPARE(s.env.registry.GetDword(kTcpip, "TcpWindowSize"), std::optional<std::int32_t>(4931));
    QCOMPARE(s.main.notices,
             QStringList{"The advanced mode's settings were applied. Backup of the values before: 001.BCK"});
  }

  void finishRoundsHalvesToEven_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("ttl");
    // clang-format off
    QTest::newRow("64.5") << "64.5" << 64;
    QTest::newRow("65.5") << "65.5" << 66;
    QTest::newRow("65.4") << "65.4" << 65;
    // clang-format on
  }
  void finishRoundsHalvesToEven() {
    QFETCH(QString, typed);
    QFETCH(int, ttl);
    Screen s;
    s.NextTo(4);
    s.logic.SetValidatedText(ValidatedBox::TTL, typed);
    s.NextTo(8);
    QCOMPARE(s.record().TTL, ttl);
  }

  void checkBoxesAndListsSetTheRecordAtOnce() {
    Screen s;
    s.NextTo(2);
    QVERIFY(s.record().PmtuDiscovery);
    s.logic.chkMTUDisconver_Click(true);
    QVERIFY(!s.record().PmtuDiscovery);
    s.logic.chkMTUDisconver_Click(false);
    QVERIFY(s.record().PmtuDiscovery);
    s.logic.chkBlackHoleValue_Click(true);
    QVERIFY(s.record().BlackHoleDetect);
    s.NextTo(6);
    s.logic.updwnDescision_Change(0);
    QCOMPARE(s.c().txtSYNValue, QStringLiteral("0"));
    QCOMPARE(s.record().SYNAttackProtect, std::int16_t{0});
    s.logic.updwnDescision_Change(5);
    QCOMPARE(s.record().SYNAttackProtect, std::int16_t{2});
    s.logic.cmbNDI_Click(5);
    QCOMPARE(s.record().NdiCacheSize, 32);
    s.NextTo(7);
    s.logic.chkICMPValue_Click(true);
    QVERIFY(s.record().IcmpRedirects);
  }

  // Entering a page resets its record fields; its controls follow, so the screen shows what
  // Finish applies.
  void reenteringPagesResetsTheirControls() {
    Screen s;
    s.NextTo(2);
    s.logic.chkBlackHoleValue_Click(true);
    s.logic.chkMTUDisconver_Click(true);
    s.logic.cmdPrevPage_Click();
    s.logic.cmdNextPage_Click();
    QVERIFY(!s.c().chkBlackHoleValue && !s.record().BlackHoleDetect);
    QVERIFY(!s.c().chkMTUDisconver && s.record().PmtuDiscovery);
    s.NextTo(6);
    s.logic.updwnDescision_Change(1);
    s.logic.cmbNDI_Click(4);
    s.NextTo(7);
    s.logic.chkICMPValue_Click(true);
    s.logic.cmdPrevPage_Click();
    s.logic.cmdPrevPage_Click();
    s.logic.cmdNextPage_Click();
    QCOMPARE(s.c().txtSYNValue, QStringLiteral("2"));
    QCOMPARE(s.c().cmbNDI, 0);
    QCOMPARE(s.record().NdiCacheSize, 0);
    s.logic.cmdNextPage_Click();
    QVERIFY(!s.c().chkICMPValue && !s.record().IcmpRedirects);
  }

  void backToTheFirstPageDisablesBack() {
    Screen s;
    s.NextTo(1);
    s.logic.cmdPrevPage_Click();
    QCOMPARE(s.logic.currWizardPage, std::int16_t{0});
    QCOMPARE(s.c().visiblePage, 0);
    QVERIFY(!s.c().cmdPrevPageEnabled);
    QVERIFY(s.c().cmdNextPageEnabled);
    s.logic.cmdPrevPage_Click();
    QCOMPARE(s.logic.currWizardPage, std::int16_t{0});
  }

  void goingBackAndForwardTakesTheNewConnectionType() {
    Screen s;
    s.NextTo(1);
    s.logic.SetValidatedText(ValidatedBox::MTU, QStringLiteral("1400"));
    s.logic.cmdPrevPage_Click();
    s.logic.optConnType_Click(2);
    s.logic.cmdNextPage_Click();
    QCOMPARE(s.c().text(ValidatedBox::MTU), QStringLiteral("1492"));
    QCOMPARE(s.record().MSS, 1452);
  }

  void finishWithoutEditsWritesTheRecommendations() {
    Screen s;
    s.logic.optConnType_Click(1);
    s.NextTo(7);
    QCOMPARE(s.c().cmdNextPageCaption, QStringLiteral("Finish"));
    s.logic.cmdNextPage_Click();
    QCOMPARE(s.logic.currWizardPage, kFinishedPage);
    QCOMPARE(s.c().visiblePage, 7);
    QVERIFY(!s.c().cmdNextPageEnabled);
    QVERIFY(s.record() == RecommendedSettings(1));
    QVERIFY(s.BackupExists("001.BCK"));
    QCOMPARE(s.env.registry.GetDword(kInterface, "MTU"), std::optional<std::int32_t>(1500));
    QCOMPARE(s.env.registry.GetDword(kInterface, "MSS"), std::optional<std::int32_t>(1460));
    QCOMPARE(s.env.registry.GetDword(kTcpip, "GlobalMaxTcpWindowSize"), std::optional<std::int32_t>(256960));
    QCOMPARE(s.env.registry.GetDword(kTcpip, "DefaultTTL"), std::optional<std::int32_t>(64));
    QCOMPARE(s.main.calls,
             QStringList({QStringLiteral("MovieToFront"), QStringLiteral("SetVariable _root.home=true")}));
    QVERIFY(s.env.messageBox.shown.empty());
  }

  void backFromTheFinishedStateAllowsApplyingAgain() {
    Screen s;
    s.NextTo(8);
    s.logic.cmdPrevPage_Click();
    QCOMPARE(s.logic.currWizardPage, std::int16_t{7});
    QCOMPARE(s.c().visiblePage, 7);
    QVERIFY(s.c().cmdNextPageEnabled);
    QCOMPARE(s.c().cmdNextPageCaption, QStringLiteral("Next>>"));
    s.logic.cmdNextPage_Click();
    QVERIFY(s.BackupExists("002.BCK"));
    QVERIFY(!s.c().cmdNextPageEnabled);
  }

  // No backup, no apply: the reason is shown, nothing is written, Finish can be pressed again.
  void finishWithoutABackupShowsTheReason() {
    Screen s;
    {
      std::ofstream blocker(s.env.folder / "Backups");  // a file where the folder belongs
    }
    s.NextTo(4);
    s.logic.SetValidatedText(ValidatedBox::TTL, QStringLiteral("100"));
    s.NextTo(7);
    const TcpSettings before = s.record();
    s.env.registry.ClearChanges();
    s.logic.cmdNextPage_Click();
    QCOMPARE(s.env.messageBox.shown.size(), std::size_t{1});
    QVERIFY(!s.env.messageBox.shown[0].text.empty());
    QCOMPARE(s.env.messageBox.shown[0].buttons, MsgButtons::Ok);
    QVERIFY(s.env.registry.Changes().empty());
    QVERIFY(s.record() == before);
    QCOMPARE(s.logic.currWizardPage, std::int16_t{7});
    QVERIFY(s.c().cmdNextPageEnabled);
    QCOMPARE(s.c().cmdNextPageCaption, QStringLiteral("Finish"));
    QVERIFY(s.main.calls.isEmpty());
  }
};

}  // namespace zf

QTEST_GUILESS_MAIN(zf::NormalModeTest)
#include "NormalModeTest.moc"
