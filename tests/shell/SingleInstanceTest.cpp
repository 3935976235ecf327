// SPDX-License-Identifier: GPL-3.0-or-later
#include <QElapsedTimer>
#include <QRegularExpression>
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
    // The icon comes before the first frame.
    QVERIFY2(first.WaitFor("tray: add"), qPrintable(first.Lines().join('\n') + first.Errors()));
    QVERIFY2(first.WaitFor("loaded"), qPrintable(first.Lines().join('\n') + first.Errors()));

    ProgramRun second(folders);
    QVERIFY(second.WaitForEnd());
    QCOMPARE(second.ExitCode(), 0);
    QCOMPARE(second.Lines(), QStringList{"message: The program already opening"});  // and no tray icon
    QVERIFY(first.Running());
  }

  void ASecondCopyBringsTheFirstToTheFront() {
    ProgramFolders folders;
    ProgramRun first(folders);
    QVERIFY2(first.WaitFor("shown"), qPrintable(first.Lines().join('\n') + first.Errors()));
    QVERIFY(!first.Lines().contains("raised"));
    ProgramRun second(folders);
    QVERIFY(second.WaitForEnd());
    QCOMPARE(second.Lines(), QStringList{"message: The program already opening"});
    QVERIFY2(first.WaitFor("raised", 10000), qPrintable(first.Lines().join('\n') + first.Errors()));
    // A third start finds the first listening still.
    ProgramRun third(folders);
    QVERIFY(third.WaitForEnd());
    QTRY_COMPARE(first.Lines().count("raised"), 2);
  }

  void AWindowTooLargeForTheScreenIsDrawnSmallerToFit() {
    ProgramFolders folders;
    QFile screens(folders.Path("run") + "/screen.json");
    QVERIFY(screens.open(QIODevice::WriteOnly));
    screens.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1024, "height": 768,
                      "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens.close();
    for (const char* scale : {"1.5", "1"}) {
      ProgramRun run(
          folders, {"QT_QPA_PLATFORM=offscreen:configfile=" + screens.fileName(), QString("QT_SCALE_FACTOR=") + scale});
      QVERIFY2(run.WaitFor("shown"), qPrintable(run.Lines().join('\n') + run.Errors()));
      const QStringList reports = run.Lines().filter(QRegularExpression("^window: "));
      QCOMPARE(reports.size(), 1);
      const QRegularExpressionMatch sizes =
          QRegularExpression(R"(^window: (\d+)x(\d+) of (\d+)x(\d+)$)").match(reports.first());
      QVERIFY2(sizes.hasMatch(), qPrintable(reports.first()));
      const QSize window(sizes.captured(1).toInt(), sizes.captured(2).toInt());
      const QSize area(sizes.captured(3).toInt(), sizes.captured(4).toInt());
      QVERIFY2(qAbs(area.width() - 1024) <= 2 && qAbs(area.height() - 768) <= 2, qPrintable(reports.first()));
      run.Kill();
      if (QString(scale) == "1") {
        QCOMPARE(window, QSize(724, 540));  // it fits: left as it is
        continue;
      }
      QVERIFY2(window.width() <= 1024 && window.height() <= 768, qPrintable(reports.first()));
      // Only as much smaller as needed, the proportions kept.
      QVERIFY2(window.width() > 1000 || window.height() > 740, qPrintable(reports.first()));
      QVERIFY(qAbs(window.width() * 540.0 / window.height() - 724.0) < 4);
    }
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
