// SPDX-License-Identifier: GPL-3.0-or-later
// After a tuning run or a restore: the preview of the plan, the apply with its countdown, and
// the store following the computer back, over a fake bridge and an in-memory registry.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "backups/BackupManagerLogic.h"
#include "kernel/KernelApplyFlow.h"
#include "kernel/frmKernelPreview.h"
#include "screens/ConnectionTestAnswer.h"
#include "screens/StoredTargetMeasurer.h"
#include "screens/WizardModeLogic.h"
#include "support/FakeFollowUp.h"
#include "support/FakeKernelBridge.h"
#include "support/FakeMainWindow.h"
#include "support/TempDir.h"
#include "support/TestServices.h"

namespace zf {
namespace {

const std::string kTcpip = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kInterface = kTcpip + "\\Interfaces\\{B2}";

kernel::KernelPlan PlanOf(std::vector<kernel::KernelChange> changes) {
  kernel::KernelPlan plan;
  for (const auto& change : changes) plan.desired[change.key] = change.after;
  plan.changes = std::move(changes);
  plan.notes = {"NdiCacheSize stays in the registry only", "MaxConnPerServer stays in the registry only"};
  plan.hash = "0123456789abcdef";
  return plan;
}

kernel::KernelPlan TtlPlan() {
  return PlanOf({{"net/ipv4/ip_default_ttl", "net.ipv4.ip_default_ttl", "64", "128", {}},
                 {"net/ipv4/tcp_syncookies", "net.ipv4.tcp_syncookies", "1", "1", {}},
                 {"net/ipv4/tcp_keepalive_time", "net.ipv4.tcp_keepalive_time", "7200", "600", {}}});
}

// A wizard, a backup manager and the flow over one set of services.
struct Rig {
  test::TestServices env;
  test::FakeMainWindow main;
  test::FakeKernelBridge bridge;
  QStringList balloons;
  std::string missingTool;
  KernelApplyFlow flow{env.services,
                       {bridge, [this](const QString& text) { balloons << text; }, [] { return nullptr; },
                        [this] { return missingTool; }, 30, 5, 5}};
  WizardModeLogic wizard{env.services, main, flow};

  Rig() {
    env.registry.AddKey(kInterface);
    env.registry.PutDword(kTcpip, "DefaultTTL", 64);
    bridge.plan = TtlPlan();
    wizard.Form_Load();
  }
  std::optional<std::int32_t> StoredTtl() const { return env.registry.GetDword(kTcpip, "DefaultTTL"); }
  frmKernelPreview* Preview() { return flow.previewDialog(); }
  frmKernelCountdown* Countdown() { return flow.countdownDialog(); }
  // Optimize Now, then Apply in the preview and wait for the countdown.
  void RunToCountdown() {
    wizard.cmdOptimize_Click();
    QVERIFY(Preview() != nullptr);
    Preview()->cmdApply()->click();
    QTRY_VERIFY(Countdown() != nullptr);
  }
  std::string LastMessage() const {
    return env.messageBox.shown.empty() ? std::string() : env.messageBox.shown.back().text;
  }
};

// What the measuring program prints for a stream of bitsPerSecond at rttMs.
std::string FiguresAnswer(double bitsPerSecond, double rttMs) {
  return "echo '{\"target\": \"iperf3://10.9.0.2\", \"method\": \"iperf3\", \"measured_at\": \"2026-12-09T00:00:00Z\", "
         "\"rtt_ms\": " +
         std::to_string(rttMs) + ", \"loss_percent\": 0, \"throughput_bps\": " + std::to_string(bitsPerSecond) +
         ", \"stream_seconds\": 1, \"path_mtu_bytes\": 1500}'; exit 0";
}
std::string FailureAnswer(const std::string& text) { return "echo 'zentrofastctl: " + text + "' >&2; exit 1"; }

// A stand-in for zentrofastctl answering its first call with first and later ones with then.
struct FakeMeasuringProgram {
  test::TempDir folder;
  QString path = QString::fromStdString((folder / "zentrofastctl").string());
  FakeMeasuringProgram(const std::string& first, const std::string& then) {
    const std::string calls = (folder / "calls").string();
    std::ofstream(path.toStdString()) << "#!/bin/sh\necho \"$@\" >> '" << calls << "'\n"
                                      << "if [ $(wc -l < '" << calls << "') -eq 1 ]; then " << first << "; fi\n"
                                      << then << "\n";
    std::filesystem::permissions(path.toStdString(), std::filesystem::perms::owner_all);
  }
  int Calls() const {
    std::ifstream in(folder / "calls");
    return static_cast<int>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
  }
};

// The rig with a connection-test target stored and its measurements made by a stand-in program.
struct MeasuredRig : Rig {
  FakeMeasuringProgram program;
  StoredTargetMeasurer measurer{env.registry, ConnectionTestSetup{program.path, 1}};
  KernelApplyFlow measuredFlow;
  WizardModeLogic measuredWizard{env.services, main, measuredFlow};

  MeasuredRig(const std::string& before, const std::string& after)
      : program(before, after), measuredFlow(env.services, Setup()) {
    StoreTarget(env.registry, QStringLiteral("iperf3://10.9.0.2"));
    measuredWizard.Form_Load();
  }
  KernelFlowSetup Setup() {
    KernelFlowSetup setup{bridge,
                          [this](const QString& text) { balloons << text; },
                          [] { return nullptr; },
                          [] { return std::string(); },
                          30,
                          5,
                          5};
    setup.measurer = &measurer;
    return setup;
  }
};

QStringList RowTexts(QTreeWidget* list, int row) {
  QStringList texts;
  for (int column = 0; column < list->columnCount(); ++column) texts << list->topLevelItem(row)->text(column);
  return texts;
}

}  // namespace

class KernelFlowTest : public QObject {
  Q_OBJECT

 private slots:
  void previewAfterProfileRunShowsChangingRowsFirst() {
    Rig rig;
    rig.wizard.cmdOptimize_Click();
    // Everything the wizard does has happened before the preview: backup, values, movie home.
    QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(128));
    QVERIFY(std::filesystem::exists(rig.env.folder / "Backups" / "001.BCK"));
    QCOMPARE(rig.main.calls, QStringList({"MovieToFront", "SetVariable _root.home=true"}));
    QVERIFY(rig.Preview() != nullptr);
    QCOMPARE(rig.flow.stage(), KernelApplyFlow::Stage::Preview);
    QTreeWidget* list = rig.Preview()->lstChanges();
    QCOMPARE(list->topLevelItemCount(), 3);
    QCOMPARE(RowTexts(list, 0), QStringList({"net.ipv4.ip_default_ttl", "64", "128", ""}));
    QCOMPARE(RowTexts(list, 1), QStringList({"net.ipv4.tcp_keepalive_time", "7200", "600", ""}));
    QCOMPARE(RowTexts(list, 2), QStringList({"net.ipv4.tcp_syncookies", "1", "1", "already set"}));
    const QString texts = LabelTexts(rig.Preview());
    QVERIFY(texts.contains("NdiCacheSize stays in the registry only"));
    QVERIFY(texts.contains("MaxConnPerServer stays in the registry only"));
    QVERIFY(rig.Preview()->cmdApply()->isEnabled());
    QVERIFY(rig.Preview()->chkIpv6Loss() == nullptr);
  }

  void notNowLeavesStoreAndComputerAlone() {
    Rig rig;
    rig.wizard.cmdOptimize_Click();
    rig.Preview()->cmdNotNow()->click();
    QCOMPARE(rig.flow.stage(), KernelApplyFlow::Stage::Idle);
    QVERIFY(rig.bridge.log.applies.empty());
    QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(128));
    QVERIFY(rig.env.messageBox.shown.empty());
  }

  void previewAfterRestoreAndRevertPutsTheRestoredValuesBack() {
    Rig rig;
    test::FakeFollowUp storeOnly;  // a first run only to have a backup holding TTL 64
    WizardModeLogic firstRun(rig.env.services, rig.main, storeOnly);
    firstRun.Form_Load();
    firstRun.cmdOptimize_Click();
    rig.env.registry.PutDword(kTcpip, "DefaultTTL", 100);
    BackupManagerLogic manager(rig.env.services, rig.main, rig.flow);
    manager.intializeList();
    QCOMPARE(manager.rows().size(), std::size_t{1});
    manager.lstBackUpList_Select(manager.rows().front().param);
    rig.env.messageBox.answers.push_back(MsgAnswer::Yes);
    rig.bridge.plan = PlanOf({{"net/ipv4/ip_default_ttl", "net.ipv4.ip_default_ttl", "100", "64", {}}});
    manager.cmdRestore_Click();
    QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(64));
    QVERIFY(rig.Preview() != nullptr);
    QCOMPARE(RowTexts(rig.Preview()->lstChanges(), 0), QStringList({"net.ipv4.ip_default_ttl", "100", "64", ""}));
    // The restore made no backup file of its own.
    QCOMPARE(ListBackups(rig.env.folder / "Backups").entries.size(), std::size_t{1});
    rig.Preview()->cmdApply()->click();
    QTRY_VERIFY(rig.Countdown() != nullptr);
    rig.Countdown()->cmdRevert()->click();
    QCOMPARE(rig.bridge.log.sessionReverts, 1);
    QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(100));
    QVERIFY(QString::fromStdString(rig.LastMessage()).contains("before 001.BCK was restored"));
  }

  void ipv6LossNeedsItsOwnConsent() {
    Rig rig;
    rig.bridge.plan = PlanOf({{"link/eth0/mtu", "eth0 MTU", "1500", "576", {}}});
    rig.bridge.plan.warnings = {
        {kernel::WarningKind::Ipv6Loss, "MTU 576 on eth0 is below 1280"},
        {kernel::WarningKind::LinkBounce, "changing the MTU of eth0 may briefly bounce the link"}};
    rig.wizard.cmdOptimize_Click();
    frmKernelPreview* preview = rig.Preview();
    QVERIFY(preview->chkIpv6Loss() != nullptr);
    QVERIFY(LabelTexts(preview).contains("may briefly bounce the link"));
    QVERIFY(!preview->cmdApply()->isEnabled());
    preview->chkIpv6Loss()->setChecked(true);
    QVERIFY(preview->cmdApply()->isEnabled());
    preview->chkIpv6Loss()->setChecked(false);
    QVERIFY(!preview->cmdApply()->isEnabled());
    preview->chkIpv6Loss()->setChecked(true);
    preview->cmdApply()->click();
    QCOMPARE(rig.bridge.log.applies.size(), std::size_t{1});
    QVERIFY(rig.bridge.log.applies[0].allowIpv6Loss);
    QCOMPARE(rig.bridge.log.applies[0].backupName, std::string("001.BCK"));
    QCOMPARE(rig.bridge.log.applies[0].keepWithinSeconds, 30);
  }

  void keepKeepsStoreAndComputer() {
    Rig rig;
    rig.RunToCountdown();
    QCOMPARE(rig.bridge.log.appliedHashes, std::vector<std::string>{"0123456789abcdef"});
    QCOMPARE(rig.Countdown()->countdownText(), QString("Going back in %1 seconds.").arg(rig.flow.secondsLeft()));
    rig.Countdown()->cmdKeep()->click();
    QCOMPARE(rig.bridge.log.keeps, 1);
    QCOMPARE(rig.bridge.log.sessionReverts, 0);
    QCOMPARE(rig.flow.stage(), KernelApplyFlow::Stage::Idle);
    QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(128));
    QVERIFY(rig.env.messageBox.shown.empty());
    QVERIFY(rig.balloons.last().startsWith("The new network settings are kept."));
  }

  void revertRestoresTheStoreThroughTheRunsBackup() {
    Rig rig;
    rig.RunToCountdown();
    rig.Countdown()->cmdRevert()->click();
    QCOMPARE(rig.bridge.log.sessionReverts, 1);
    QCOMPARE(rig.bridge.log.keeps, 0);
    QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(64));
    QVERIFY(QString::fromStdString(rig.LastMessage()).contains("previous network settings of this computer are back"));
    QVERIFY(QString::fromStdString(rig.LastMessage()).contains("001.BCK"));
  }

  void countdownEndRevertsLikeTheButton() {
    Rig rig;
    rig.RunToCountdown();
    QVERIFY(rig.flow.secondsLeft() > 0 && rig.flow.secondsLeft() <= 30);
    QTRY_COMPARE(rig.flow.stage(), KernelApplyFlow::Stage::Idle);
    QCOMPARE(rig.bridge.log.sessionReverts, 1);
    QCOMPARE(rig.bridge.log.keeps, 0);
    QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(64));
    QVERIFY(QString::fromStdString(rig.LastMessage()).contains("Keep was not pressed within 30 seconds"));
  }

  // The helper ending in the window: the session recovered its journal (the store follows the
  // computer back) or could not (the store keeps describing what may still be live).
  void helperEndingInTheWindowSaysWhatIsLive() {
    const struct {
      kernel::SessionState end;
      std::int32_t storedTtl;
      const char* says;
    } cases[] = {{kernel::SessionState::Recovered, 64, "A recovery run put the previous network settings"},
                 {kernel::SessionState::Failed, 128, "may still be live"}};
    for (const auto& c : cases) {
      Rig rig;
      rig.RunToCountdown();
      rig.bridge.log.endInWindow = c.end;
      rig.bridge.log.endMessage = "recovery refused: no authentication agent";
      QTRY_COMPARE(rig.flow.stage(), KernelApplyFlow::Stage::Idle);
      QCOMPARE(rig.bridge.log.sessionReverts, 0);
      QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(c.storedTtl));
      const QString message = QString::fromStdString(rig.LastMessage());
      QVERIFY2(message.contains(c.says), qPrintable(message));
      QVERIFY2(!message.contains("ran out"), qPrintable(message));
    }
  }

  void closingTheCountdownIsNoKeep() {
    Rig rig;
    rig.RunToCountdown();
    rig.Countdown()->reject();
    QCOMPARE(rig.bridge.log.keeps, 0);
    QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(64));
  }

  void helperFailureRestoresTheStore() {
    Rig rig;
    rig.bridge.applyFailure = "the live values changed since the preview; nothing was changed";
    rig.wizard.cmdOptimize_Click();
    rig.Preview()->cmdApply()->click();
    QTRY_COMPARE(rig.flow.stage(), KernelApplyFlow::Stage::Idle);
    QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(64));
    QVERIFY(QString::fromStdString(rig.LastMessage()).contains("the live values changed since the preview"));
  }

  void authenticationProblemsLeaveTheStore_data() {
    // The flow goes by the kind alone: the helper's wording is free to change.
    QTest::addColumn<QString>("failure");
    QTest::addColumn<ErrorKind>("kind");
    QTest::addColumn<QString>("missingTool");
    QTest::addColumn<QString>("told");
    QTest::addColumn<bool>("german");  // with the German catalogue
    QTest::newRow("refused") << "pkexec said 126" << ErrorKind::AuthorisationRefused << ""
                             << "The administrator's password was not given." << false;
    QTest::newRow("no agent") << "pkexec said 127" << ErrorKind::NoAuthenticationAgent << ""
                              << "no authentication agent is running" << false;
    QTest::newRow("no pkexec") << "" << ErrorKind::Failed << "pkexec is not installed."
                               << "pkexec is not installed." << false;
    QTest::newRow("pkexec gone since") << "pkexec missing" << ErrorKind::NoPkexec << ""
                                       << "pkexec (the Debian package \"pkexec\"), which is not installed" << false;
    QTest::newRow("no helper") << "pkexec said 127" << ErrorKind::HelperNotInstalled << ""
                               << "kernel helper is missing from this computer" << false;
    QTest::newRow("no polkitd") << "pkexec said 127" << ErrorKind::PolkitUnavailable << ""
                                << "polkit (polkitd) is not running" << false;
    QTest::newRow("polkit rule") << "pkexec said 127" << ErrorKind::PolkitRuleRefused << ""
                                 << "does not allow this user" << false;
    QTest::newRow("refused, in German") << "pkexec said 126" << ErrorKind::AuthorisationRefused << ""
                                        << "Das Administratorpasswort wurde nicht eingegeben." << true;
    QTest::newRow("no agent, in German") << "pkexec said 127" << ErrorKind::NoAuthenticationAgent << ""
                                         << "Auf diesem Desktop läuft kein Authentifizierungsagent" << true;
  }
  void authenticationProblemsLeaveTheStore() {
    QFETCH(QString, failure);
    QFETCH(ErrorKind, kind);
    QFETCH(QString, missingTool);
    QFETCH(QString, told);
    QFETCH(bool, german);
    QTranslator translator;
    if (german) {
      QVERIFY(translator.load(qEnvironmentVariable("ZENTROFAST_BIN") + "/translations/zentrofast_de.qm"));
      QCoreApplication::installTranslator(&translator);
    }
    Rig rig;
    rig.bridge.applyFailure = failure.toStdString();
    rig.bridge.applyFailureKind = kind;
    rig.missingTool = missingTool.toStdString();
    rig.wizard.cmdOptimize_Click();
    rig.Preview()->cmdApply()->click();
    QTRY_COMPARE(rig.flow.stage(), KernelApplyFlow::Stage::Idle);
    QCOMPARE(rig.env.messageBox.shown.size(), std::size_t{1});
    const QString message = QString::fromStdString(rig.LastMessage());
    QVERIFY2(message.contains(told), qPrintable(message));
    QVERIFY(message.contains(german ? "Auf diesem Computer wurde nichts geändert"
                                    : "Nothing was changed on this computer"));
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(rig.StoredTtl(), std::optional<std::int32_t>(128));
    QCOMPARE(rig.bridge.log.sessionReverts, 0);
    // The tuning screens go on working: the next run is offered again.
    rig.bridge.applyFailure.clear();
    rig.missingTool.clear();
    rig.wizard.cmdOptimize_Click();
    QVERIFY(rig.Preview() != nullptr);
  }

  void nothingToChangeShowsOnlyABalloon() {
    Rig rig;
    rig.bridge.plan = PlanOf({{"net/ipv4/ip_default_ttl", "net.ipv4.ip_default_ttl", "128", "128", {}}});
    rig.wizard.cmdOptimize_Click();
    QVERIFY(rig.Preview() == nullptr);
    QCOMPARE(rig.flow.stage(), KernelApplyFlow::Stage::Idle);
    QCOMPARE(rig.balloons, QStringList{"This computer already has these network settings."});
    QVERIFY(rig.env.messageBox.shown.empty());
  }

  void failedRunOffersNothing() {
    Rig rig;
    rig.env.registry.SetReadOnly(true);
    rig.wizard.cmdOptimize_Click();
    QVERIFY(rig.Preview() == nullptr);
    QVERIFY(rig.balloons.isEmpty());
  }

  void measuredApplyComparesBeforeAndAfter_data() {
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<bool>("keepIsDefault");
    QTest::newRow("slower") << QString::fromStdString(FiguresAnswer(1.7e6, 21))
                            << "Before: 94 Mbit/s, 21 ms — now: 1.7 Mbit/s, 21 ms: this change made the connection "
                               "slower."
                            << false;
    QTest::newRow("faster") << QString::fromStdString(FiguresAnswer(200e6, 21))
                            << "Before: 94 Mbit/s, 21 ms — now: 200 Mbit/s, 21 ms: this change made the connection "
                               "faster."
                            << true;
    QTest::newRow("after failed") << QString::fromStdString(FailureAnswer("no route to 10.9.0.2"))
                                  << "Before: 94 Mbit/s, 21 ms — now: no measurement (" << false;
  }
  void measuredApplyComparesBeforeAndAfter() {
    QFETCH(QString, after);
    QFETCH(QString, sentence);
    QFETCH(bool, keepIsDefault);
    MeasuredRig rig(FiguresAnswer(94e6, 21), after.toStdString());
    rig.measuredWizard.cmdOptimize_Click();
    frmKernelPreview* preview = rig.measuredFlow.previewDialog();
    QVERIFY(preview != nullptr && preview->chkMeasure() != nullptr);
    QVERIFY(preview->chkMeasure()->isChecked());
    preview->cmdApply()->click();
    QTRY_VERIFY(rig.measuredFlow.countdownDialog() != nullptr);
    frmKernelCountdown* countdown = rig.measuredFlow.countdownDialog();
    // The helper's window holds the second measurement (1 s stream and its set-up) besides the 30 s.
    QCOMPARE(rig.bridge.log.applies.size(), std::size_t{1});
    QCOMPARE(rig.bridge.log.applies[0].keepWithinSeconds, 30 + 1 + kMeasureOverheadSeconds);
    QTRY_VERIFY(countdown->comparisonText().startsWith("Before:"));
    QVERIFY2(countdown->comparisonText().startsWith(sentence), qPrintable(countdown->comparisonText()));
    QCOMPARE(rig.program.Calls(), 2);
    QCOMPARE(countdown->cmdKeep()->isDefault(), keepIsDefault);
    QCOMPARE(countdown->cmdRevert()->isDefault(), !keepIsDefault);
  }

  void failedMeasurementBeforeAppliesNothing() {
    MeasuredRig rig(FailureAnswer("the measurement failed: 10.9.0.2 does not answer"), FiguresAnswer(94e6, 21));
    rig.measuredWizard.cmdOptimize_Click();
    rig.measuredFlow.previewDialog()->cmdApply()->click();
    QTRY_COMPARE(rig.measuredFlow.stage(), KernelApplyFlow::Stage::Idle);
    QVERIFY(rig.bridge.log.applies.empty());
    const QString message = QString::fromStdString(rig.LastMessage());
    QVERIFY2(message.contains("10.9.0.2 does not answer") && message.contains("nothing was applied"),
             qPrintable(message));
  }

  void measuringIsLeftOutWhenUnticked() {
    MeasuredRig rig(FiguresAnswer(94e6, 21), FiguresAnswer(94e6, 21));
    rig.measuredWizard.cmdOptimize_Click();
    rig.measuredFlow.previewDialog()->chkMeasure()->setChecked(false);
    rig.measuredFlow.previewDialog()->cmdApply()->click();
    QTRY_VERIFY(rig.measuredFlow.countdownDialog() != nullptr);
    QCOMPARE(rig.bridge.log.applies[0].keepWithinSeconds, 30);
    QCOMPARE(rig.program.Calls(), 0);
    QVERIFY(rig.measuredFlow.countdownDialog()->comparisonText().isEmpty());
  }

 private:
  static QString LabelTexts(QWidget* dialog) {
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>()) texts << label->text();
    return texts.join('\n');
  }
};

}  // namespace zf

QTEST_MAIN(zf::KernelFlowTest)
#include "KernelFlowTest.moc"
