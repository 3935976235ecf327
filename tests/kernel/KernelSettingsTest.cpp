// SPDX-License-Identifier: GPL-3.0-or-later
// The live view of this computer's settings and the drift notice, over the fake bridge.
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "kernel/DriftWatcher.h"
#include "kernel/KernelApplyFlow.h"
#include "kernel/KernelSettingsLogic.h"
#include "kernel/frmKernelPreview.h"
#include "kernel/frmKernelSettings.h"
#include "support/FakeFollowUp.h"
#include "support/FakeKernelBridge.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

namespace zf {
namespace {

using kernel::ManagedSetting;
using kernel::Persistence;

kernel::KernelStatus StatusOf(std::vector<ManagedSetting> settings) {
  kernel::KernelStatus status;
  status.settings = std::move(settings);
  return status;
}

ManagedSetting Mtu(std::string live) {
  return {"link/eth0/mtu", "eth0 MTU", "1500", "1400", std::move(live), Persistence::NetworkManager, {}};
}

kernel::KernelPlan StorePlan() {
  kernel::KernelPlan plan;
  plan.desired = {{"net/ipv4/ip_default_ttl", "128"}, {"link/eth0/mtu", "1400"}};
  plan.changes = {{"net/ipv4/ip_default_ttl", "net.ipv4.ip_default_ttl", "64", "128", {}},
                  {"link/eth0/mtu", "eth0 MTU", "1400", "1400", {}},
                  {"net/ipv4/tcp_mtu_probing", "net.ipv4.tcp_mtu_probing", "1", "0", "back to its original"}};
  return plan;
}

QStringList Row(QTreeWidget* list, int row) {
  QStringList texts;
  for (int column = 0; column < list->columnCount(); ++column) texts << list->topLevelItem(row)->text(column);
  return texts;
}

}  // namespace

class KernelSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void rowsJoinLiveTunedOriginalAndPersistence() {
    const kernel::KernelPlan plan = StorePlan();
    const kernel::KernelStatus status =
        StatusOf({Mtu("1400"),
                  {"net/ipv4/tcp_mtu_probing", "net.ipv4.tcp_mtu_probing", "0", "1", "1", Persistence::Sysctl, {}}});
    const std::vector<LiveSettingRow> rows = BuildLiveRows(&status, &plan);
    QCOMPARE(rows.size(), std::size_t{3});
    QCOMPARE(rows[0].setting, "net.ipv4.ip_default_ttl");
    QCOMPARE(rows[0].live, "64");
    QCOMPARE(rows[0].tuned, "128");
    QCOMPARE(rows[0].original, "\u2014");
    QCOMPARE(rows[0].kept, "not managed");
    QVERIFY(rows[0].differs);
    QCOMPARE(rows[1].kept, "persisted (NetworkManager)");
    QCOMPARE(rows[1].original, "1500");
    QVERIFY(!rows[1].differs);
    // Managed but no longer tuned: no tuned value, so nothing to differ from.
    QCOMPARE(rows[2].tuned, "\u2014");
    QCOMPARE(rows[2].kept, "persisted (sysctl.d)");
    QVERIFY(!rows[2].differs);
    // What boot does with it counts more than where the bridge wrote it.
    kernel::KernelStatus overridden = status;
    overridden.settings[1].overriddenAtBootBy = "/etc/sysctl.d/99-sysctl.conf";
    QCOMPARE(BuildLiveRows(&overridden, &plan)[2].kept,
             "persisted (sysctl.d), overridden at boot by /etc/sysctl.d/99-sysctl.conf");
  }

  void rowsFromOneSourceWhenTheOtherIsMissing() {
    const kernel::KernelStatus status = StatusOf({Mtu("1500")});
    const std::vector<LiveSettingRow> rows = BuildLiveRows(&status, nullptr);
    QCOMPARE(rows.size(), std::size_t{1});
    QCOMPARE(rows[0].live, "1500");
    QCOMPARE(rows[0].tuned, "\u2014");
    QVERIFY(BuildLiveRows(nullptr, nullptr).empty());
  }

  void screenShowsRowsAndMarksDifferences() {
    test::TestServices env;
    test::FakeKernelBridge bridge;
    bridge.plan = StorePlan();
    bridge.status = StatusOf({Mtu("1400")});
    test::FakeMainWindow main;
    test::FakeFollowUp followUp;
    frmKernelSettings screen(env.services, main, bridge, followUp);
    screen.Form_Load();
    screen.show();  // refreshes when shown
    QTreeWidget* list = screen.lstSettings();
    QCOMPARE(list->topLevelItemCount(), 3);
    QCOMPARE(Row(list, 0), QStringList({"\u2260", "ip_default_ttl", "64", "128", "\u2014", "not managed"}));
    QCOMPARE(list->topLevelItem(0)->toolTip(1), "net.ipv4.ip_default_ttl");
    QCOMPARE(Row(list, 1), QStringList({"", "eth0 MTU", "1400", "1400", "1500", "persisted (NetworkManager)"}));
    QVERIFY(list->topLevelItem(0)->font(2).bold());
    QVERIFY(!list->topLevelItem(1)->font(2).bold());
    QVERIFY(screen.lblSummary()->text().contains("1 of 3 settings differ"));

    // Refresh on demand reads again.
    bridge.plan.changes[0].now = "128";
    screen.cmdRefresh()->click();
    QCOMPARE(Row(list, 0)[0], "");
    QVERIFY(screen.lblSummary()->text().contains("holds the tuned values"));

    bridge.planFailure = "the store cannot be read";
    screen.cmdRefresh()->click();
    QVERIFY(screen.lblSummary()->text().contains("the store cannot be read"));
    QCOMPARE(list->topLevelItemCount(), 1);
  }

  void applyTunedOffersThePreviewWithoutWayBack() {
    test::TestServices env;
    test::FakeKernelBridge bridge;
    bridge.plan = StorePlan();
    QStringList balloons;
    KernelApplyFlow flow(env.services, {bridge, [&](const QString& text) { balloons << text; }, [] { return nullptr; },
                                        [] { return std::string(); }, 30, 5, 5});
    test::FakeMainWindow main;
    frmKernelSettings screen(env.services, main, bridge, flow);
    screen.Form_Load();
    screen.show();
    screen.cmdApplyTuned()->click();
    QVERIFY(flow.previewDialog() != nullptr);
    flow.previewDialog()->cmdApply()->click();
    QTRY_VERIFY(flow.countdownDialog() != nullptr);
    bridge.planFailure = "read again once the offer ended";
    flow.countdownDialog()->cmdRevert()->click();
    QVERIFY(screen.lblSummary()->text().contains("read again once the offer ended"));
    QVERIFY(QString::fromStdString(env.messageBox.shown.back().text).contains("tuned values are unchanged"));
    QVERIFY(bridge.log.applies[0].backupName.empty());
  }

  void revertAllAsksThenRevertsWithoutBlocking() {
    test::TestServices env;
    test::FakeKernelBridge bridge;
    test::FakeMainWindow main;
    test::FakeFollowUp followUp;
    frmKernelSettings screen(env.services, main, bridge, followUp);
    screen.Form_Load();
    screen.cmdRevertAll()->click();  // answered No
    QCOMPARE(bridge.log.reverts, 0);
    env.messageBox.answers.push_back(MsgAnswer::Yes);
    screen.cmdRevertAll()->click();
    QTRY_COMPARE(env.messageBox.shown.size(), std::size_t{3});
    QCOMPARE(bridge.log.reverts, 1);
    QVERIFY(QString::fromStdString(env.messageBox.shown.back().text).contains("back to their originals"));
    QVERIFY(screen.cmdRevertAll()->isEnabled());
  }

  void driftIsToldOncePerChange() {
    DriftTracker tracker;
    const auto told = [&tracker](const char* live) {
      const std::vector<kernel::ManagedSetting> drifted = tracker.NewDrift(StatusOf({Mtu(live)}));
      tracker.Told(drifted);
      return drifted.size();
    };
    QCOMPARE(told("1400"), std::size_t{0});
    QCOMPARE(told("1500"), std::size_t{1});
    QCOMPARE(told("1500"), std::size_t{0});
    QCOMPARE(told("1280"), std::size_t{1});
    QCOMPARE(told("1400"), std::size_t{0});
    QCOMPARE(told("1280"), std::size_t{1});
  }

  void watcherShowsOneBalloonNamingTheSetting() {
    test::FakeKernelBridge bridge;
    bridge.status = StatusOf({Mtu("1500")});
    QStringList balloons;
    bool busy = false;
    bool iconShown = false;
    DriftWatcher watcher({bridge,
                          [&](const QString& text) {
                            if (iconShown) balloons << text;
                            return iconShown;
                          },
                          [&] { return busy; }, 20});
    watcher.Start();
    QVERIFY(balloons.isEmpty());  // no icon to show it on: still news at the next check
    iconShown = true;
    watcher.Check();
    QCOMPARE(balloons,
             QStringList{"A network setting of this computer changed: eth0 MTU is 1500, Zentrofast set 1400."});
    QTest::qWait(100);  // several more checks
    QCOMPARE(balloons.size(), 1);
    busy = true;
    bridge.status = StatusOf({Mtu("9000")});
    watcher.Check();
    QCOMPARE(balloons.size(), 1);
    busy = false;
    QTRY_COMPARE(balloons.size(), 2);
  }
};

}  // namespace zf

QTEST_MAIN(zf::KernelSettingsTest)
#include "KernelSettingsTest.moc"
