// SPDX-License-Identifier: GPL-3.0-or-later
// The backup manager driven without a window: the list from the Backups folder, sorting by
// any column, Delete and Restore with their questions, over the real backup store.
#include <QTranslator>
#include <QtTest>
#include <fstream>

#include "backups/BackupDateText.h"
#include "backups/BackupManagerLogic.h"
#include "support/FakeFollowUp.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

namespace zf {
namespace {

namespace fs = std::filesystem;

const std::string kTcpip = "HKLM\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";

struct Manager {
  test::TestServices env;
  test::FakeMainWindow main;
  test::FakeFollowUp followUp;
  BackupManagerLogic logic{env.services, main, followUp};

  Manager() { logic.Form_Load(); }
  fs::path folder() const { return env.folder / "Backups"; }
  // A whole backup of the NT layout's three groups that sets DefaultTTL when restored; the lines
  // end in CR LF.
  void Write(const std::string& name, const std::string& date, const std::string& time, int family = 7,
             const std::string& ttl = "99") {
    fs::create_directories(folder());
    std::ofstream file(folder() / name, std::ios::binary);
    std::vector<std::string> lines{"#" + date + "#",       "#" + time + "#",
                                   std::to_string(family), "\"System\\CurrentControlSet\\Services\\Tcpip\\Parameters\"",
                                   "\"DefaultTTL\"",       ttl};
    for (int pair = 1; pair < 13; ++pair) lines.insert(lines.end(), {"\"Other" + std::to_string(pair) + "\"", "0"});
    lines.insert(lines.end(), {"\"Browser\"", "\"A\"", "2", "\"B\"", "4", "\"Cache\"", "\"\"", "0"});
    for (const std::string& line : lines) file << line << "\r\n";
  }
  QStringList Names() const {
    QStringList names;
    for (const BackupRow& row : logic.rows()) names << row.fileName;
    return names;
  }
  void Select(const QString& fileName) {
    for (const BackupRow& row : logic.rows()) {
      if (row.fileName == fileName) logic.lstBackUpList_Select(row.param);
    }
  }
  const test::FakeMessageBox::Shown& LastMessage() const { return env.messageBox.shown.back(); }
};

}  // namespace

class BackupManagerTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  void cleanup() { QLocale::setDefault(QLocale::system()); }

  void missingFolderIsCreatedAndTheListStaysEmpty() {
    Manager m;
    QVERIFY(!fs::exists(m.folder()));
    m.logic.intializeList();
    QVERIFY(fs::is_directory(m.folder()));
    QVERIFY(m.logic.rows().empty());
    QVERIFY(!m.logic.buttonsEnabled());
  }

  void rowsShowTheDateAndTimeInTheUsersFormats() {
    Manager m;
    m.Write("001.BCK", "2026-12-07", "21:05:03");
    m.Write("002.bck", "2026-01-02", "09:00:00");
    std::ofstream(m.folder() / "003.BCK") << "not a backup\r\n";
    std::ofstream(m.folder() / "notes.txt") << "ignored";
    m.logic.intializeList();
    QCOMPARE(m.Names(), QStringList({"001.BCK", "002.bck", "003.BCK"}));  // each by its own name
    const BackupRow& first = m.logic.rows()[0];
    QCOMPARE(first.date, QStringLiteral("12/7/26"));
    QVERIFY(first.time.startsWith(QStringLiteral("9:05:03")));
    QVERIFY(first.time.endsWith(QStringLiteral("PM")));  // a time of day, no time zone
    QVERIFY(m.logic.rows()[2].date.isEmpty() && m.logic.rows()[2].time.isEmpty());
    QVERIFY(!m.logic.buttonsEnabled());
  }

  void datesAndTimesSurviveTheRoundTripInOtherLocales_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom);
    QTest::newRow("C") << QLocale::c();
    QTest::newRow("ja_JP") << QLocale(QLocale::Japanese, QLocale::Japan);
  }
  void datesAndTimesSurviveTheRoundTripInOtherLocales() {
    QFETCH(QLocale, locale);
    const QDate earlier(2029, 12, 31), later(2030, 1, 1);
    QVERIFY(DateValue(ShortDateText(earlier, locale), locale) < DateValue(ShortDateText(later, locale), locale));
    const QTime morning(9, 5, 3), evening(21, 5, 2);
    QVERIFY(DateValue(TimeOfDayText(morning, locale), locale) < DateValue(TimeOfDayText(evening, locale), locale));
    QVERIFY(DateValue(QString(), locale) < DateValue(TimeOfDayText(QTime(0, 0), locale), locale));
  }

  void sortingByDateTimeAndName() {
    Manager m;
    m.Write("001.BCK", "2026-03-05", "18:00:00");
    m.Write("002.BCK", "2025-11-20", "09:30:00");
    m.Write("003.BCK", "2027-01-02", "12:15:00");
    m.logic.intializeList();
    m.logic.lstBackUpList_ColumnClick(1);
    QCOMPARE(m.Names(), QStringList({"002.BCK", "001.BCK", "003.BCK"}));
    QCOMPARE(m.logic.marks()[1], QStringLiteral("ASC"));
    QCOMPARE(m.logic.SortColumn, std::int16_t{2});
    m.logic.lstBackUpList_ColumnClick(1);
    QCOMPARE(m.Names(), QStringList({"003.BCK", "001.BCK", "002.BCK"}));
    QCOMPARE(m.logic.marks()[1], QStringLiteral("DESC"));
    QCOMPARE(m.logic.SortDescending, std::int16_t{1});
    m.logic.lstBackUpList_ColumnClick(0);
    QCOMPARE(m.Names(), QStringList({"001.BCK", "002.BCK", "003.BCK"}));
    QCOMPARE(m.logic.marks(), (std::array<QString, 3>{"ASC", "", ""}));
    m.logic.lstBackUpList_ColumnClick(2);
    QCOMPARE(m.Names(), QStringList({"002.BCK", "003.BCK", "001.BCK"}));
    QCOMPARE(m.logic.marks(), (std::array<QString, 3>{"", "", "ASC"}));
    m.logic.lstBackUpList_ColumnClick(0);
    m.logic.lstBackUpList_ColumnClick(0);
    QCOMPARE(m.Names(), QStringList({"003.BCK", "002.BCK", "001.BCK"}));
  }

  void unreadableFilesSortBeforeEveryDate() {
    Manager m;
    m.Write("001.BCK", "1999-03-05", "00:00:00");
    std::ofstream(m.folder() / "002.BCK") << "garbage\r\n";
    m.logic.intializeList();
    m.logic.lstBackUpList_ColumnClick(2);
    QCOMPARE(m.Names(), QStringList({"002.BCK", "001.BCK"}));
    m.logic.lstBackUpList_ColumnClick(1);
    QCOMPARE(m.Names(), QStringList({"002.BCK", "001.BCK"}));
    QCOMPARE(m.logic.CompareBackupRows(m.logic.rows()[0].param, m.logic.rows()[0].param), 0);
  }

  void selectingEnablesTheButtonsUntilTheNextRefill() {
    Manager m;
    m.Write("001.BCK", "2026-03-05", "18:00:00");
    m.logic.intializeList();
    m.logic.lstBackUpList_Select(std::nullopt);
    QVERIFY(!m.logic.buttonsEnabled());
    m.Select(QStringLiteral("001.BCK"));
    QVERIFY(m.logic.buttonsEnabled());
    m.logic.lstBackUpList_Select(std::nullopt);
    QVERIFY(m.logic.buttonsEnabled());
    m.logic.intializeList();
    QVERIFY(!m.logic.buttonsEnabled());
  }

  void deletingTheOnlyBackup() {
    Manager m;
    m.Write("001.bck", "2026-03-05", "18:00:00");
    m.logic.intializeList();
    m.Select(QStringLiteral("001.bck"));  // listed by its own name
    m.env.messageBox.answers = {MsgAnswer::Yes};
    m.logic.cmdDelete_Click();
    QCOMPARE(m.LastMessage().text, std::string("Do you want to delete this file?"));
    QCOMPARE(m.LastMessage().title, std::string("Zentrofast"));
    QCOMPARE(m.LastMessage().icon, MsgIcon::Exclamation);
    QCOMPARE(m.LastMessage().buttons, MsgButtons::YesNo);
    QVERIFY(!fs::exists(m.folder() / "001.bck"));
    QVERIFY(m.logic.rows().empty());
    QVERIFY(!m.logic.buttonsEnabled());
  }

  void deletingOneOfTwoKeepsTheButtonsWithoutASelection() {
    Manager m;
    m.Write("001.BCK", "2026-03-05", "18:00:00");
    m.Write("002.BCK", "2026-03-06", "18:00:00");
    m.logic.intializeList();
    m.Select(QStringLiteral("002.BCK"));
    m.env.messageBox.answers = {MsgAnswer::Yes};
    m.logic.cmdDelete_Click();
    QCOMPARE(m.Names(), QStringList({"001.BCK"}));
    QVERIFY(m.logic.buttonsEnabled());
    QVERIFY(!m.logic.selectedParam());
    m.logic.cmdDelete_Click();  // no row selected: nothing at all
    QCOMPARE(m.env.messageBox.shown.size(), std::size_t{1});
    QVERIFY(fs::exists(m.folder() / "001.BCK"));
  }

  void answeringNoChangesNothing() {
    Manager m;
    m.Write("001.BCK", "2026-03-05", "18:00:00");
    m.logic.intializeList();
    m.Select(QStringLiteral("001.BCK"));
    m.logic.cmdDelete_Click();
    m.logic.cmdRestore_Click();
    QCOMPARE(m.env.messageBox.shown.size(), std::size_t{2});
    QCOMPARE(m.LastMessage().text, std::string("Do you want to restore this settings?"));
    QCOMPARE(m.LastMessage().icon, MsgIcon::Exclamation);
    QVERIFY(fs::exists(m.folder() / "001.BCK"));
    QVERIFY(m.env.registry.Changes().empty());
    QVERIFY(m.main.calls.isEmpty());
  }

  void restoreOfAnotherFamilyIsRefused() {
    Manager m;
    m.Write("001.BCK", "2026-03-05", "18:00:00", 6);
    m.logic.intializeList();
    m.Select(QStringLiteral("001.BCK"));
    m.env.messageBox.answers = {MsgAnswer::Yes};
    m.logic.cmdRestore_Click();
    QCOMPARE(m.LastMessage().text, std::string("This backup file was taken from another operating system!!"));
    QCOMPARE(m.LastMessage().icon, MsgIcon::Stop);
    QCOMPARE(m.LastMessage().buttons, MsgButtons::Ok);
    QCOMPARE(m.LastMessage().title, std::string("Zentrofast"));
    QVERIFY(m.env.registry.Changes().empty());
    QVERIFY(m.main.calls.isEmpty());
  }

  void completedRestoreTellsTheMovie() {
    Manager m;
    m.Write("001.bck", "2026-03-05", "18:00:00");
    m.logic.intializeList();
    m.Select(QStringLiteral("001.bck"));  // listed by its own name
    m.env.messageBox.answers = {MsgAnswer::Yes};
    m.logic.cmdRestore_Click();
    QCOMPARE(m.env.messageBox.shown.size(), std::size_t{1});
    QCOMPARE(m.env.registry.GetDword(kTcpip, "DefaultTTL"), std::optional<std::int32_t>(99));
    QCOMPARE(m.main.calls, QStringList({QStringLiteral("SetVariable _root.home=true")}));
    QCOMPARE(m.main.notices, QStringList{"The settings of 001.bck were restored."});  // the file as it is named
  }

  void failedRestoreShowsWhyAndTellsTheMovie() {
    Manager m;
    m.Write("001.BCK", "2026-03-05", "18:00:00", 7, "4294967296");  // beyond 32 bits
    m.logic.intializeList();
    m.Select(QStringLiteral("001.BCK"));
    m.env.messageBox.answers = {MsgAnswer::Yes};
    m.logic.cmdRestore_Click();
    QCOMPARE(m.env.messageBox.shown.size(), std::size_t{2});
    QVERIFY(!m.LastMessage().text.empty());
    QCOMPARE(m.LastMessage().icon, MsgIcon::None);
    QCOMPARE(m.LastMessage().buttons, MsgButtons::Ok);
    QCOMPARE(m.main.calls, QStringList({QStringLiteral("SetVariable _root.home=true")}));
    QVERIFY(m.main.notices.isEmpty());  // the message box said what happened
  }

  // With the German catalogue the store's refusal reads as one German sentence.
  void refusalOfTheStoreIsShownInGerman() {
    Manager m;
    m.Write("001.BCK", "2026-03-05", "18:00:00");
    m.logic.intializeList();
    m.Select(QStringLiteral("001.BCK"));
    fs::remove(m.folder() / "001.BCK");  // gone since the list was read
    QTranslator german;
    QVERIFY(german.load(qEnvironmentVariable("ZENTROFAST_BIN") + "/translations/zentrofast_de.qm"));
    QCoreApplication::installTranslator(&german);
    m.env.messageBox.answers = {MsgAnswer::Yes};
    m.logic.cmdDelete_Click();
    QCoreApplication::removeTranslator(&german);
    QCOMPARE(QString::fromStdString(m.LastMessage().text),
             "In " + QString::fromStdString(m.folder().string()) + " gibt es keine Sicherung 001.BCK.");
  }

  void restoreWithoutASelectedRowFails() {
    Manager m;
    m.Write("001.BCK", "2026-03-05", "18:00:00");
    m.logic.intializeList();
    m.env.messageBox.answers = {MsgAnswer::Yes};
    m.logic.cmdRestore_Click();
    QCOMPARE(m.env.messageBox.shown.size(), std::size_t{2});
    QCOMPARE(m.LastMessage().icon, MsgIcon::None);
    QVERIFY(m.env.registry.Changes().empty());
    QCOMPARE(m.main.calls, QStringList({QStringLiteral("SetVariable _root.home=true")}));
  }
};

}  // namespace zf

QTEST_GUILESS_MAIN(zf::BackupManagerTest)
#include "BackupManagerTest.moc"
