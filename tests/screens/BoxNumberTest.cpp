// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers typed the user's way: the box's locale first, the C form only when that fails.
#include <QtTest>

#include "screens/BoxNumber.h"
#include "screens/NormalModeLogic.h"
#include "support/FakeFollowUp.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

namespace zf {
namespace {

const std::string kTcpip = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kInterface = kTcpip + "\\Interfaces\\{C3}";
const QChar kNarrowSpace(0x202F);  // how French groups thousands

}  // namespace

class BoxNumberTest : public QObject {
  Q_OBJECT

 private slots:
  void readsTheBoxsWayFirst_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    // clang-format off
    QTest::newRow("de thousands")      << "de_DE" << "1.500"   << 1500.0;
    QTest::newRow("de decimal comma")  << "de_DE" << "1,5"     << 1.5;
    QTest::newRow("de plain")          << "de_DE" << "1500"    << 1500.0;
    QTest::newRow("de C form")         << "de_DE" << "4931.2"  << 4931.2;
    QTest::newRow("fr decimal comma")  << "fr_FR" << "2,3"     << 2.3;
    QTest::newRow("fr thousands")      << "fr_FR" << QString("1") + kNarrowSpace + "500" << 1500.0;
    QTest::newRow("fr typed blank")    << "fr_FR" << "1 500"   << 1500.0;
    QTest::newRow("fr no-break blank") << "fr_FR" << QString("1") + QChar(0x00A0) + "500" << 1500.0;
    QTest::newRow("fr C form")         << "fr_FR" << "1.5"     << 1.5;
    QTest::newRow("en thousands")      << "en_US" << "1,500"   << 1500.0;
    QTest::newRow("en decimal point")  << "en_US" << "1.500"   << 1.5;
    QTest::newRow("C decimal point")   << "C"     << "1.500"   << 1.5;
    QTest::newRow("C blanks around")   << "C"     << " 576 "   << 576.0;
    // clang-format on
  }
  void readsTheBoxsWayFirst() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(double, expected);
    const std::optional<double> value = ReadBoxNumber(text, QLocale(locale));
    QVERIFY2(value.has_value(), qPrintable(text));
    QCOMPARE(*value, expected);
  }

  void noNumberInAnyForm() {
    for (const char* locale : {"de_DE", "fr_FR", "en_US", "C"}) {
      for (const char* text : {"", "abc", "1.5.5x", "inf", "nan", "1e999"})
        QVERIFY2(!ReadBoxNumber(QString::fromLatin1(text), QLocale(QString::fromLatin1(locale))),
                 qPrintable(QStringLiteral("%1 in %2").arg(text, locale)));
    }
  }

  void writesWhatItReadsBack() {
    for (const char* locale : {"de_DE", "fr_FR", "en_US", "C"}) {
      const QLocale box{QString::fromLatin1(locale)};
      for (double value : {4931.2, 255552.0, 1073741823.0, 6432.0}) {
        const QString text = BoxNumberText(value, box);
        QVERIFY2(!text.contains(box.groupSeparator()), qPrintable(text));
        QCOMPARE(ReadBoxNumber(text, box), std::optional<double>(value));
      }
    }
    QCOMPARE(BoxNumberText(4931.2, QLocale(QStringLiteral("de_DE"))), QStringLiteral("4931,2"));
    QCOMPARE(BoxNumberText(4931.2, QLocale::c()), QStringLiteral("4931.2"));
  }

  // The fault as users met it: "1.500" in a German MTU box wrote MTU 2.
  void aGermanMtuOfFifteenHundredIsWrittenAsSuch() {
    test::TestServices env;
    test::FakeMainWindow main;
    env.registry.AddKey(kInterface);
    env.services.tuning.current = env.services.tuning.profiles[0];
    test::FakeFollowUp followUp;
    NormalModeLogic logic(env.services, main, followUp, QLocale(QStringLiteral("de_DE")));
    logic.Form_Load();
    logic.optConnType_Click(1);
    logic.cmdNextPage_Click();
    logic.SetValidatedText(ValidatedBox::MTU, QStringLiteral("1.500"));
    QCOMPARE(logic.controls().text(ValidatedBox::MTU), QStringLiteral("1.500"));  // in bounds: kept as typed
    logic.cmdNextPage_Click();
    logic.cmdNextPage_Click();
    logic.SetMultiplierText(QStringLiteral("2,5"));  // 1460 × 2.5 × 4
    QCOMPARE(logic.controls().txtRWIN, QStringLiteral("14600"));
    while (logic.currWizardPage < kFinishedPage) logic.cmdNextPage_Click();
    QCOMPARE(env.registry.GetDword(kInterface, "MTU"), std::optional<std::int32_t>(1500));
    QCOMPARE(env.registry.GetDword(kTcpip, "TcpWindowSize"), std::optional<std::int32_t>(14600));
  }
};

}  // namespace zf

QTEST_MAIN(zf::BoxNumberTest)
#include "BoxNumberTest.moc"
