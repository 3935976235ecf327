// SPDX-License-Identifier: GPL-3.0-or-later
// The connection test: the measuring program's answers read into outcomes, a run of a stand-in
// program (success, failure, missing, cancelled, hung), and the screen over them: the stored
// target and last result, and Apply as a tuning run with a backup first.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>
#include <csignal>
#include <fstream>

#include "screens/WizardModeLogic.h"
#include "screens/frmConnectionTest.h"
#include "screens/frmNormalMode.h"
#include "screens/frmWizardMode.h"
#include "support/FakeFollowUp.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

namespace zf {
namespace {

const std::string kTcpip = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kInterface = kTcpip + "\\Interfaces\\{B2}";

// What `zentrofastctl measure … --json --recommend` prints.
const QByteArray kAnswer = R"({
  "target": "iperf3://10.9.0.2", "address": "10.9.0.2", "port": 5201, "method": "iperf3",
  "measured_at": "2026-12-08T23:47:03Z", "rtt_ms": 40.6, "loss_percent": 0, "throughput_bps": 94100000,
  "stream_seconds": 5.0, "path_mtu_bytes": 1500,
  "tcp": {"smoothed_rtt_ms": 44.2, "delivery_rate_bps": 95000000, "retransmissions": 12, "receive_space_bytes": 1048576},
  "recommendation": {"rwin_bytes": 963600, "mtu_bytes": 1500, "mss_bytes": 1460, "mtu_from_path": true,
    "bdp_bytes": 477525, "cap_bps": 189870000,
    "replaces": {"values": "the LAN values", "rwin_bytes": 256960, "mtu_bytes": 1500, "mss_bytes": 1460, "cap_bps": 50630000},
    "profiles": []}
})";
// The figures alone, as a program without recommendations answers; unknown figures are null.
const QByteArray kFiguresOnly = R"({"target": "https://h/f", "method": "http", "measured_at": "2026-12-08T23:50:00Z",
  "rtt_ms": 4.5, "loss_percent": 20, "throughput_bps": 850000, "stream_seconds": 5, "path_mtu_bytes": null,
  "tcp": {"smoothed_rtt_ms": null, "delivery_rate_bps": null, "retransmissions": null, "receive_space_bytes": null}})";

// What `zentrofastctl measure … --failure-json` prints: the failure with its phrase.
QJsonObject MeasurePhrase(const char* format, const QJsonArray& arguments) {
  return {{"context", "zf::measure"}, {"format", format}, {"arguments", arguments}};
}
QByteArray FailureJson(const char* failure, const QJsonObject& phrase) {
  return QJsonDocument(QJsonObject{{"failure", failure}, {"phrase", phrase}}).toJson();
}
const QByteArray kRefusedPhrase =
    FailureJson("refused", MeasurePhrase("nothing listens at %1 port %2 (connection refused)", {"127.0.0.1", "9"}));

// A stored answer of 94 Mbit/s at 20 ms.
const QByteArray kMeasuredAt20Ms =
    R"({"target": "iperf3://10.9.0.2", "method": "iperf3", "measured_at": "2026-12-08T23:47:03Z",
  "rtt_ms": 20, "loss_percent": 0, "throughput_bps": 94000000, "stream_seconds": 5, "path_mtu_bytes": 1500})";

// Longer than the 254 bytes the program's other settings are read up to.
const QString kLongTarget = QStringLiteral("https://mirror.example/") + QString(300, QLatin1Char('x'));

// A stand-in for zentrofastctl: a shell script that records its arguments and then runs body.
struct FakeProgram {
  test::TempDir folder;
  QString path = QString::fromStdString((folder / "zentrofastctl").string());

  explicit FakeProgram(const std::string& body) {
    std::ofstream(path.toStdString()) << "#!/bin/sh\necho \"$@\" > '" << (folder / "args").string() << "'\n"
                                      << "echo $$ > '" << (folder / "pid").string() << "'\n"
                                      << body << "\n";
    std::filesystem::permissions(path.toStdString(), std::filesystem::perms::owner_all);
  }
  std::string Read(const char* name) const {
    std::ifstream in(folder / name);
    std::string text;
    std::getline(in, text);
    return text;
  }
};

// Prints text to the given stream of the script (1 or 2) and exits with code.
std::string Answering(const QByteArray& text, int stream, int code) {
  return "cat >&" + std::to_string(stream) + " <<'END'\n" + text.toStdString() + "\nEND\nexit " + std::to_string(code);
}

template <typename Widget>
Widget* Child(const QWidget& screen, const char* name) {
  return screen.findChild<Widget*>(QLatin1String(name));
}

}  // namespace
}  // namespace zf

using namespace zf;

class ConnectionTestTest : public QObject {
  Q_OBJECT

 private slots:
  void answersAreReadIntoOutcomes_data() {
    QTest::addColumn<bool>("crashed");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("recommended");
    const auto failed = [](const char* why) { return QByteArray("zentrofastctl: the measurement failed: ") + why; };
    const int none = int(TestFailure::None), measured = int(TestFailure::MeasurementFailed);
    QTest::newRow("figures and recommendation") << false << 0 << kAnswer << QByteArray() << none << "" << true;
    QTest::newRow("figures alone") << false << 0 << kFiguresOnly << QByteArray() << none << "" << false;
    QTest::newRow("unreachable") << false << 1 << QByteArray() << failed("10.9.0.2 does not answer on port 5201")
                                 << measured << "10.9.0.2 does not answer on port 5201" << false;
    QTest::newRow("busy") << false << 1 << QByteArray() << failed("the iperf3 server is busy with another test")
                          << measured << "The iperf3 server is busy with another test" << false;
    QTest::newRow("tls") << false << 1 << QByteArray() << failed("TLS failure: certificate verify failed") << measured
                         << "TLS failure: certificate verify failed" << false;
    QTest::newRow("404") << false << 1 << QByteArray() << failed("http://h/f answered 404") << measured
                         << "Http://h/f answered 404" << false;
    QTest::newRow("failure without words")
        << false << 1 << QByteArray() << QByteArray() << measured << "The measurement failed (exit 1)." << false;
    QTest::newRow("refused target") << false << 2 << QByteArray()
                                    << QByteArray(
                                           "zentrofastctl: ftp://h is not iperf3://HOST[:PORT] or an http(s) URL")
                                    << int(TestFailure::BadTarget)
                                    << "Ftp://h is not iperf3://HOST[:PORT] or an http(s) URL" << false;
    // The program's failure for programs wins over its sentence, which follows its own locale.
    QTest::newRow("refused, as a phrase")
        << false << 1 << kRefusedPhrase << failed("an 127.0.0.1 Port 9 lauscht nichts") << measured
        << "Nothing listens at 127.0.0.1 port 9 (connection refused)" << false;
    // Success claimed without figures is not success, and a crash is a failure whatever it printed.
    QTest::newRow("not json") << false << 0 << QByteArray("Throughput: 94 Mbit/s") << QByteArray()
                              << int(TestFailure::UnreadableAnswer)
                              << "The measuring program's answer holds no figures." << false;
    QTest::newRow("no throughput") << false << 0 << QByteArray(R"({"rtt_ms": 4, "loss_percent": 0})") << QByteArray()
                                   << int(TestFailure::UnreadableAnswer)
                                   << "The measuring program's answer holds no figures." << false;
    QTest::newRow("crash") << true << 0 << kAnswer << QByteArray() << measured
                           << "The measuring program stopped unexpectedly." << false;
    QByteArray broken = kAnswer;
    broken.replace("\"mss_bytes\": 1460, \"mtu_from_path\"", "\"mss_bytes\": 1500, \"mtu_from_path\"");
    QTest::newRow("recommendation with MSS not below MTU")
        << false << 0 << broken << QByteArray() << none << "" << false;
  }
  void answersAreReadIntoOutcomes() {
    QFETCH(bool, crashed);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(int, failure);
    QFETCH(QString, message);
    QFETCH(bool, recommended);
    const ConnectionTestOutcome outcome = ReadMeasureAnswer(crashed, exitCode, out, err);
    QCOMPARE(int(outcome.failure), failure);
    QCOMPARE(outcome.message, message);
    QCOMPARE(outcome.figures.has_value(), failure == int(TestFailure::None));
    QCOMPARE(outcome.recommendation.has_value(), recommended);
    QCOMPARE(outcome.answer.isEmpty(), failure != int(TestFailure::None));
  }

  // With the German catalogue the program's failure reads as one German sentence, a phrase inside
  // it too.
  void germanFailuresAreWholeSentences_data() {
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("message");
    QTest::newRow("refused") << 1 << kRefusedPhrase << "An 127.0.0.1 Port 9 lauscht nichts (Verbindung abgelehnt)";
    QTest::newRow("HTTP status") << 1
                                 << FailureJson("http_status",
                                                MeasurePhrase("the server answered HTTP status %1 for %2",
                                                              {"404", "http://h/f"}))
                                 << "Der Server antwortete mit HTTP-Status 404 für http://h/f";
    const QJsonObject forms =
        MeasurePhrase("a target is iperf3://HOST[:PORT] or an http:// or https:// URL of a large file", {});
    QTest::newRow("white space, with the target forms")
        << 2 << FailureJson("bad_target", MeasurePhrase("\"%1\" holds white space; %2", {"iperf3:// x", forms}))
        << "„iperf3:// x“ enthält Leerzeichen; ein Ziel ist iperf3://HOST[:PORT] oder die http://- oder "
           "https://-URL einer großen Datei";
  }
  void germanFailuresAreWholeSentences() {
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QString, message);
    QTranslator german;
    QVERIFY(german.load(qEnvironmentVariable("ZENTROFAST_BIN") + "/translations/zentrofast_de.qm"));
    QCoreApplication::installTranslator(&german);
    const ConnectionTestOutcome outcome =
        ReadMeasureAnswer(false, exitCode, out, "zentrofastctl: the measurement failed");
    QCoreApplication::removeTranslator(&german);
    QCOMPARE(outcome.message, message);
  }

  void figuresReadAsTheScreenShowsThem() {
    const ConnectionTestOutcome full = ReadMeasureAnswer(false, 0, kAnswer, {});
    QCOMPARE(ThroughputText(*full.figures), "94.1 Mbit/s (5.0 s, iperf3)");
    QCOMPARE(RoundTripText(*full.figures), "41 ms, loss 0 %");
    QCOMPARE(PathMtuText(*full.figures), "1500 bytes");
    QCOMPARE(TcpText(*full.figures), "RTT 44 ms, delivery 95.0 Mbit/s\n12 retransmitted, receive space 1048576 bytes");
    QCOMPARE(RecommendationText(*full.recommendation, *full.figures),
             "RWIN 963600, MTU 1500 (path), MSS 1460: one connection up to 189.9 Mbit/s at 41 ms (the LAN values: "
             "50.6 Mbit/s)");
    const ConnectionTestOutcome bare = ReadMeasureAnswer(false, 0, kFiguresOnly, {});
    QCOMPARE(ThroughputText(*bare.figures), "850 kbit/s (5.0 s, http)");
    QCOMPARE(RoundTripText(*bare.figures), "4.5 ms, loss 20 %");
    QCOMPARE(PathMtuText(*bare.figures), "unknown");
    QCOMPARE(TcpText(*bare.figures), "not reported");
    QCOMPARE(RateText(2.5e9), "2.50 Gbit/s");
  }

  void targetsAreCheckedBeforeAnythingStarts_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("failure");
    const int none = int(TestFailure::None), bad = int(TestFailure::BadTarget);
    QTest::newRow("empty") << "" << int(TestFailure::NoTarget);
    QTest::newRow("blanks") << "   " << int(TestFailure::NoTarget);
    QTest::newRow("scheme alone") << "iperf3://" << bad;
    QTest::newRow("no scheme") << "server.example" << bad;
    QTest::newRow("ftp") << "ftp://server.example/f" << bad;
    QTest::newRow("iperf3") << "iperf3://10.9.0.2:5201" << none;
    QTest::newRow("https") << " https://h/large.bin " << none;
    QTest::newRow("upper case") << "HTTP://h/f" << none;
  }
  void targetsAreCheckedBeforeAnythingStarts() {
    QFETCH(QString, target);
    QFETCH(int, failure);
    const auto problem = TargetProblem(target);
    QCOMPARE(problem ? int(problem->failure) : int(TestFailure::None), failure);
    if (problem) QVERIFY(!problem->message.isEmpty());
  }

  void aRunPassesTheTargetAndReadsTheAnswer() {
    FakeProgram program(Answering(kAnswer, 1, 0));
    ConnectionTestRun run({program.path, 3});
    QSignalSpy finished(&run, &ConnectionTestRun::Finished);
    QVERIFY(run.Start(QStringLiteral(" iperf3://10.9.0.2 ")));
    QVERIFY(run.running());
    QVERIFY(finished.wait(10000));
    QCOMPARE(program.Read("args"), "measure iperf3://10.9.0.2 --seconds 3 --json --recommend --failure-json");
    QCOMPARE(int(run.outcome().failure), int(TestFailure::None));
    QCOMPARE(run.outcome().figures->throughputBps, 94100000.0);
    QCOMPARE(run.progress(), 1.0);
    QVERIFY(!run.running());
  }

  void aRunEndsWithTheReasonItFailed_data() {
    QTest::addColumn<QString>("program");  // empty: the stand-in
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("failure");
    QTest::newRow("refused by the program")
        << "" << QString::fromStdString(Answering("zentrofastctl: the measurement failed: connection refused", 2, 1))
        << "iperf3://h" << int(TestFailure::MeasurementFailed);
    QTest::newRow("program missing") << "/nonexistent/zentrofastctl"
                                     << ""
                                     << "iperf3://h" << int(TestFailure::ProgramMissing);
    QTest::newRow("target refused before starting") << ""
                                                    << "exit 0"
                                                    << "h" << int(TestFailure::BadTarget);
  }
  void aRunEndsWithTheReasonItFailed() {
    QFETCH(QString, program);
    QFETCH(QString, body);
    QFETCH(QString, target);
    QFETCH(int, failure);
    FakeProgram fake(body.toStdString());
    ConnectionTestRun run({program.isEmpty() ? fake.path : program, 1});
    QSignalSpy finished(&run, &ConnectionTestRun::Finished);
    run.Start(target);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(int(run.outcome().failure), failure);
    QVERIFY(!run.outcome().message.isEmpty());
    QVERIFY(!run.outcome().figures);
    QCOMPARE(run.progress(), 0.0);
  }

  // Cancel and the deadline both end the child at once: no measuring process is left behind.
  void cancelAndTheDeadlineLeaveNoChild_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancel") << true;
    QTest::newRow("deadline") << false;
  }
  void cancelAndTheDeadlineLeaveNoChild() {
    QFETCH(bool, cancel);
    FakeProgram program("exec sleep 30");
    ConnectionTestRun run({program.path, 1, 0, cancel ? 60 : 0, 20});
    QSignalSpy progressed(&run, &ConnectionTestRun::Progressed);
    QSignalSpy finished(&run, &ConnectionTestRun::Finished);
    QVERIFY(run.Start(QStringLiteral("iperf3://h")));
    QTRY_VERIFY(!program.Read("pid").empty());
    const pid_t child = std::stoi(program.Read("pid"));
    if (cancel) {
      QTRY_VERIFY(progressed.size() >= 3);
      QVERIFY(run.progress() > 0 && run.progress() < 1);
      run.Cancel();
    }
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
    QCOMPARE(int(run.outcome().failure), int(cancel ? TestFailure::Cancelled : TestFailure::TimedOut));
    QCOMPARE(::kill(child, 0), -1);  // gone, and reaped
    QVERIFY(!run.running());
  }

  void capLineNeedsAMeasurement_data() {
    QTest::addColumn<bool>("measured");
    QTest::addColumn<int>("rwin");
    QTest::addColumn<QString>("line");
    QTest::newRow("no measurement") << false << 4288 << "";
    QTest::newRow("a measurement")
        << true << 4288
        << "Automatic-A would cap one connection at 1.7 Mbit/s; this connection measured 94 Mbit/s at 20 ms";
    QTest::newRow("window left to the system")
        << true << -1
        << "Automatic-A leaves the receive window to the system; this connection measured 94 Mbit/s at 20 ms";
  }
  void capLineNeedsAMeasurement() {
    QFETCH(bool, measured);
    QFETCH(int, rwin);
    QFETCH(QString, line);
    test::TestServices env;
    if (measured) StoreAnswer(env.registry, kMeasuredAt20Ms);
    QCOMPARE(CapLine("Automatic-A", rwin, LastMeasurement(env.registry)), line);
  }

  void wizardAndAdvancedModeShowTheCapOnceMeasured() {
    for (const bool measured : {false, true}) {
      test::TestServices env;
      test::FakeMainWindow main;
      test::FakeFollowUp followUp;
      if (measured) StoreAnswer(env.registry, kMeasuredAt20Ms);
      WizardModeLogic logic{env.services, main, followUp};
      frmWizardMode wizard{env.services, main, logic};
      logic.Load();
      wizard.Form_Load();
      QLabel* wizardLine = Child<QLabel>(wizard, "lblCapLine");
      QCOMPARE(!wizardLine->isHidden(), measured);
      if (measured) QVERIFY(wizardLine->text().startsWith("Automatic-A would cap one connection at 1.7 Mbit/s"));

      frmNormalMode advanced{env.services, main, followUp};
      advanced.SetCurrWizardPage(0);
      advanced.Form_Load();
      for (int page = 1; page <= 3; ++page) Child<QPushButton>(advanced, "cmdNextPage")->click();  // to RWIN
      QLabel* rwinLine = Child<QLabel>(advanced, "lblRwinCap");
      QCOMPARE(!rwinLine->isHidden(), measured);
      if (measured)
        QVERIFY2(rwinLine->text().contains("; this connection measured 94 Mbit/s at 20 ms"),
                 qPrintable(rwinLine->text()));
    }
  }

  void theScreenRemembersItsTargetAndLastResult() {
    test::TestServices env;
    test::FakeMainWindow main;
    test::FakeFollowUp followUp;
    FakeProgram program(Answering(kAnswer, 1, 0));
    {
      frmConnectionTest screen(env.services, main, followUp, {program.path, 1});
      screen.Form_Load();
      QCOMPARE(Child<QLineEdit>(screen, "txtTarget")->text(), "");
      QCOMPARE(Child<QLabel>(screen, "lblThroughput")->text(), "\u2014");
      QVERIFY(!Child<QPushButton>(screen, "cmdApply")->isEnabled());
      Child<QLineEdit>(screen, "txtTarget")->setText(kLongTarget);
      Child<QPushButton>(screen, "cmdMeasure")->click();
      QVERIFY(!Child<QPushButton>(screen, "cmdMeasure")->isEnabled());
      QVERIFY(Child<QPushButton>(screen, "cmdCancel")->isEnabled());
      QTRY_VERIFY_WITH_TIMEOUT(Child<QPushButton>(screen, "cmdMeasure")->isEnabled(), 10000);
      QCOMPARE(Child<QProgressBar>(screen, "prgMeasure")->value(), 100);
    }
    frmConnectionTest again(env.services, main, followUp, {program.path, 1});
    again.Form_Load();
    QCOMPARE(Child<QLineEdit>(again, "txtTarget")->text(), kLongTarget);
    QCOMPARE(Child<QLabel>(again, "lblThroughput")->text(), "94.1 Mbit/s (5.0 s, iperf3)");
    QVERIFY(Child<QLabel>(again, "lblStatus")->text().contains("2026-12-08 23:47:03 UTC"));
    QVERIFY(Child<QPushButton>(again, "cmdApply")->isEnabled());

    // A failed test says why and keeps the last good figures.
    FakeProgram failing(Answering("zentrofastctl: the measurement failed: no route to 10.9.0.2", 2, 1));
    frmConnectionTest third(env.services, main, followUp, {failing.path, 1});
    third.Form_Load();
    Child<QPushButton>(third, "cmdMeasure")->click();
    QTRY_VERIFY_WITH_TIMEOUT(Child<QPushButton>(third, "cmdMeasure")->isEnabled(), 10000);
    QCOMPARE(Child<QLabel>(third, "lblStatus")->text(), "No route to 10.9.0.2");
    QCOMPARE(Child<QLabel>(third, "lblThroughput")->text(), "94.1 Mbit/s (5.0 s, iperf3)");
  }

  void applyIsATuningRunWithABackupFirst() {
    test::TestServices env;
    env.registry.AddKey(kInterface);
    env.registry.PutDword(kTcpip, "TcpWindowSize", 8760);
    test::FakeMainWindow main;
    test::FakeFollowUp followUp;
    StoreAnswer(env.registry, ReadMeasureAnswer(false, 0, kAnswer, {}).answer);
    const TcpSettings chosen = env.services.tuning.current;
    frmConnectionTest screen(env.services, main, followUp, {QStringLiteral("/nonexistent"), 1});
    screen.Form_Load();
    Child<QPushButton>(screen, "cmdApply")->click();  // answered No
    QCOMPARE(env.registry.GetDword(kTcpip, "TcpWindowSize"), std::optional<std::int32_t>(8760));
    env.messageBox.answers.push_back(MsgAnswer::Yes);
    Child<QPushButton>(screen, "cmdApply")->click();
    QCOMPARE(env.registry.GetDword(kTcpip, "TcpWindowSize"), std::optional<std::int32_t>(963600));
    QCOMPARE(env.registry.GetDword(kInterface, "MTU"), std::optional<std::int32_t>(1500));
    QCOMPARE(followUp.offers.size(), std::size_t{1});
    QVERIFY(std::filesystem::is_regular_file(followUp.offers[0].file));  // the backup of 8760
    QVERIFY(env.services.tuning.current == chosen);                      // the wizard's choice stays
  }
};

QTEST_MAIN(ConnectionTestTest)
#include "ConnectionTestTest.moc"
