// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's command line: read by itself, and answered by the real program.
#include <QtTest>

#include "ProgramRun.h"
#include "shell/CommandLine.h"
#include "shell/frmMain.h"

namespace zf {

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void HelpAndVersionWinOverEverythingElse() {
    for (const char* option : {"--help", "-h", "--help-all"}) {
      const CommandLine line = ReadCommandLine({"zentrofast", "--bogus", option});
      QCOMPARE(line.action, CommandLine::Action::ShowHelp);
      QVERIFY(line.text.contains("Usage: zentrofast [options]"));
      QVERIFY(line.text.contains("--start-hidden"));
      QVERIFY(line.text.contains("--version"));
    }
    for (const char* option : {"--version", "-v"}) {
      const CommandLine line = ReadCommandLine({"zentrofast", option});
      QCOMPARE(line.action, CommandLine::Action::ShowVersion);
      QCOMPARE(line.text, "zentrofast " + VersionText() + "\n");
    }
  }

  void StartHiddenAndNothingElseRuns() {
    QCOMPARE(ReadCommandLine({"zentrofast"}).action, CommandLine::Action::Run);
    QVERIFY(!ReadCommandLine({"zentrofast"}).startHidden);
    const CommandLine hidden = ReadCommandLine({"zentrofast", "--start-hidden"});
    QCOMPARE(hidden.action, CommandLine::Action::Run);
    QVERIFY(hidden.startHidden);
  }

  void UnknownOptionsAndArgumentsAreRefused() {
    const CommandLine option = ReadCommandLine({"zentrofast", "--bogus"});
    QCOMPARE(option.action, CommandLine::Action::Refuse);
    QVERIFY2(option.text.contains("Unknown option 'bogus'"), qPrintable(option.text));
    const CommandLine word = ReadCommandLine({"zentrofast", "--start-hidden", "file.txt"});
    QCOMPARE(word.action, CommandLine::Action::Refuse);
    QVERIFY2(word.text.contains("unexpected argument \"file.txt\""), qPrintable(word.text));
  }

  void TheProgramAnswersHelpAndVersionWithoutADisplay() {
    test::ProgramFolders folders;
    QProcessEnvironment noDisplay = folders.Environment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) noDisplay.remove(name);
    noDisplay.insert("QT_QPA_PLATFORM", "xcb");  // would abort if it tried to open a display
    for (const QStringList& arguments : {QStringList{"--help"}, QStringList{"--version"}}) {
      test::ProgramRun run(noDisplay, {}, arguments);
      QVERIFY(run.WaitForEnd());
      QCOMPARE(run.ExitCode(), 0);
      QCOMPARE(run.Errors(), QString());
      QVERIFY(!run.Lines().isEmpty());
    }
    test::ProgramRun version(noDisplay, {}, {"--version"});
    QVERIFY(version.WaitForEnd());
    QCOMPARE(version.Lines(), QStringList{"zentrofast " + VersionText()});
  }

  void TheProgramRefusesAnUnknownOptionWithStatus2() {
    test::ProgramFolders folders;
    test::ProgramRun run(folders.Environment(), {}, {"--bogus"});
    QVERIFY(run.WaitForEnd());
    QCOMPARE(run.ExitCode(), 2);
    QVERIFY(run.Lines().isEmpty());
    QVERIFY(run.Errors().contains("Unknown option 'bogus'"));
  }
};

}  // namespace zf

QTEST_GUILESS_MAIN(zf::CommandLineTest)
#include "CommandLineTest.moc"
