// SPDX-License-Identifier: GPL-3.0-or-later
// The kernel dialogs and the live view on a 1024×768 screen, at the scale CTest runs this with
// (100 % and 150 %), in the program's skin: each dialog lies wholly on the screen, centred on
// the window it belongs to, and every column of the live view shows inside its frame.
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "kernel/KernelPreview.h"
#include "kernel/frmKernelPreview.h"
#include "kernel/frmKernelSettings.h"
#include "support/FakeFollowUp.h"
#include "support/FakeKernelBridge.h"
#include "support/SkinnedMainWindow.h"
#include "support/TestServices.h"

namespace zf {
namespace {

// A long plan: more changes than any profile makes, each with a note.
kernel::KernelPlan LongPlan() {
  kernel::KernelPlan plan;
  for (const char* name : {"eth0", "eth1", "wlan0", "enp3s0", "enx00e04c680001", "wg0", "tun0", "br0"}) {
    const std::string interface = name;
    plan.changes.push_back({"link/" + interface + "/mtu", interface + " MTU", "1500", "576", "MSS 536 follows"});
    plan.changes.push_back({"net/ipv4/conf/" + interface + "/accept_redirects",
                            "net.ipv4.conf." + interface + ".accept_redirects",
                            "1",
                            "0",
                            {}});
    plan.warnings.push_back({kernel::WarningKind::Ipv6Loss, "MTU 576 on " + interface + " is below 1280"});
    plan.warnings.push_back(
        {kernel::WarningKind::LinkBounce, "changing the MTU of " + interface + " may briefly bounce the link"});
  }
  plan.changes.push_back({"net/ipv4/tcp_rmem", "net.ipv4.tcp_rmem", "4096 131072 33554432", "4096 8576 8576", {}});
  plan.notes = {
      "NdiCacheSize, MaxConnPer10Server and MaxConnPerServer have no Linux setting: they stay in the "
      "registry only"};
  return plan;
}

QRect Screen() { return QGuiApplication::primaryScreen()->geometry(); }

void VerifyOnScreen(const QWidget* dialog) {
  const QString where = QStringLiteral("%1: %2,%3 %4x%5 on %6x%7")
                            .arg(dialog->objectName())
                            .arg(dialog->x())
                            .arg(dialog->y())
                            .arg(dialog->width())
                            .arg(dialog->height())
                            .arg(Screen().width())
                            .arg(Screen().height());
  QVERIFY2(Screen().contains(dialog->frameGeometry()), qPrintable(where));
}

// Within a few pixels: the window frame the platform adds is not known before the first show.
void VerifyCentredOn(const QWidget* dialog, const QWidget* parent) {
  const QPoint offset = dialog->frameGeometry().center() - parent->frameGeometry().center();
  QVERIFY2(qAbs(offset.x()) <= 4 && qAbs(offset.y()) <= 4,
           qPrintable(
               QStringLiteral("%1 is %2,%3 off the centre").arg(dialog->objectName()).arg(offset.x()).arg(offset.y())));
}

// The main window as large as the program makes it at this scale: it always fits the screen.
QSize MainWindowSize() { return QSize(724, 540).boundedTo(Screen().size() - QSize(40, 60)); }

}  // namespace

class KernelDialogFitTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    const QSize pixels = Screen().size() * QGuiApplication::primaryScreen()->devicePixelRatio();
    QVERIFY(qAbs(pixels.width() - 1024) <= 1 && qAbs(pixels.height() - 768) <= 1);
  }

  void previewOpensCentredOnItsWindow() {
    test::SkinnedMainWindow main(MainWindowSize());
    QVERIFY(main.loaded);
    main.move(Screen().center() - main.rect().center());
    main.show();
    kernel::KernelPlan plan;
    plan.changes = {{"net/ipv4/ip_default_ttl", "net.ipv4.ip_default_ttl", "64", "128", {}}};
    frmKernelPreview preview(BuildPreview(plan), &main);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    VerifyOnScreen(&preview);
    VerifyCentredOn(&preview, &main);
  }

  // Taller than the screen allows: it takes what there is, and only its list scrolls.
  void longPreviewFitsTheScreen() {
    test::SkinnedMainWindow main(MainWindowSize());
    main.move(Screen().center() - main.rect().center());
    main.show();
    frmKernelPreview preview(BuildPreview(LongPlan()), &main, QStringLiteral("iperf3://10.9.0.2"));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    VerifyOnScreen(&preview);
    QVERIFY(qAbs(preview.frameGeometry().center().x() - main.frameGeometry().center().x()) <= 4);
    // The list scrolls; the consent and the buttons show whole.
    QVERIFY(preview.scrChanges()->verticalScrollBar()->maximum() > 0);
    for (QWidget* control : {static_cast<QWidget*>(preview.chkIpv6Loss()), static_cast<QWidget*>(preview.cmdApply()),
                             static_cast<QWidget*>(preview.cmdNotNow())})
      QVERIFY2(preview.rect().contains(QRect(control->mapTo(&preview, QPoint(0, 0)), control->size())),
               qPrintable(control->objectName()));
    QCOMPARE(preview.changeSentences().size(), 17);
    // Opening the details keeps the dialog on the screen.
    preview.cmdDetails()->click();
    QVERIFY(preview.fraDetails()->isVisible());
    VerifyOnScreen(&preview);
    QVERIFY(
        preview.rect().contains(QRect(preview.cmdApply()->mapTo(&preview, QPoint(0, 0)), preview.cmdApply()->size())));
  }

  void countdownFitsAndOpensCentredOnItsWindow() {
    test::SkinnedMainWindow main(MainWindowSize());
    main.move(Screen().center() - main.rect().center() + QPoint(0, 20));
    main.show();
    frmKernelCountdown countdown(&main);
    countdown.SetSecondsLeft(30);
    countdown.show();
    QVERIFY(QTest::qWaitForWindowExposed(&countdown));
    VerifyOnScreen(&countdown);
    VerifyCentredOn(&countdown, &main);
    countdown.ShowComparison(QStringLiteral("Before: 94 Mbit/s, 21 ms \u2014 now: 1.7 Mbit/s, 21 ms: this change made "
                                            "the connection slower"),
                             true);
    VerifyOnScreen(&countdown);
    const QWidget* comparison = countdown.findChild<QWidget*>(QStringLiteral("lblComparison"));
    QVERIFY(comparison->height() >= comparison->heightForWidth(comparison->width()));
  }

  void everyColumnOfTheLiveViewShows() {
    test::TestServices env;
    test::FakeKernelBridge bridge;
    bridge.plan = LongPlan();
    for (const auto& change : bridge.plan.changes) bridge.plan.desired[change.key] = change.after;
    bridge.status.settings = {
        {"net/ipv4/tcp_rmem", "net.ipv4.tcp_rmem", "4096 131072 33554432", "4096 8576 8576", "4096 8576 8576",
         kernel::Persistence::Sysctl},
        {"link/enx00e04c680001/mtu", "enx00e04c680001 MTU", "1500", "576", "576", kernel::Persistence::NetworkManager}};
    test::SkinnedMainWindow main(MainWindowSize());
    test::FakeFollowUp followUp;
    frmKernelSettings screen(env.services, main, bridge, followUp, &main);
    screen.Form_Load();
    screen.setGeometry(245, 199, 440, 255);  // the frame the screens are shown in
    main.show();
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTreeWidget* list = screen.lstSettings();
    QHeaderView* header = list->header();
    for (int column = 0; column < list->columnCount(); ++column) {
      const int left = header->sectionViewportPosition(column);
      const int width = header->sectionSize(column);
      const QString name = list->headerItem()->text(column);
      QVERIFY2(left >= 0 && left + width <= list->viewport()->width(),
               qPrintable(QStringLiteral("column %1 at %2+%3 of %4")
                              .arg(name)
                              .arg(left)
                              .arg(width)
                              .arg(list->viewport()->width())));
      QVERIFY2(width >= header->sectionSizeHint(column), qPrintable(name + " is narrower than its heading"));
    }
    // A value cut short is whole in its tool tip.
    const QTreeWidgetItem* managed =
        list->findItems(QStringLiteral("enx00e04c680001 MTU"), Qt::MatchExactly, 1).value(0);
    QVERIFY(managed != nullptr);
    QCOMPARE(managed->toolTip(5), QStringLiteral("persisted (NetworkManager)"));
  }
};

}  // namespace zf

QTEST_MAIN(zf::KernelDialogFitTest)
#include "KernelDialogFitTest.moc"
