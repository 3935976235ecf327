#include <QElapsedTimer>
#include <QTest>

#include "ProgramRun.h"

using namespace zf::test;

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  void ASecondCopyShowsTheNoticeAndEnds() {
    ProgramFolders folders;
    ProgramRun first(folders);
    QVERIFY2(first.WaitFor("shown"), qPrintable(first.Lines().join('\n') + first.Errors()));
    // The icon follows the first frame.
    QVERIFY2(first.WaitFor("tray: add"), qPrintable(first.Lines().join('\n') + first.Errors()));
    QVERIFY2(first.WaitFor("loaded"), qPrintable(first.Lines().join('\n') + first.Errors()));

    ProgramRun second(folders);
    QVERIFY(second.WaitForEnd());
    QCOMPARE(second.ExitCode(), 0);
    QCOMPARE(second.Lines(), QStringList{"message: The program already opening"});  // and no tray icon
    QVERIFY(first.Running());
  }

  void ACopyKilledOutrightDoesNotBlockTheNextStart() {
    ProgramFolders folders;
    {
      ProgramRun crashed(folders);
      QVERIFY2(crashed.WaitFor("shown"), qPrintable(crashed.Lines().join('\n') + crashed.Errors()));
      crashed.Kill();
    }
    ProgramRun next(folders);
    QVERIFY2(next.WaitFor("shown"), qPrintable(next.Lines().join('\n') + next.Errors()));
    QVERIFY(!next.Lines().contains("message: The program already opening"));
  }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
