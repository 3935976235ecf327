// SPDX-License-Identifier: GPL-3.0-or-later
#include <QSignalSpy>
#include <QTest>

#include "ShellFakes.h"
#include "shell/Tray.h"

using namespace zf;
using namespace zf::test;

class TrayTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowTwiceAddsOneIconAndRefreshesTheTip() {
    CallLog log;
    FakeTrayService service(log);
    Tray tray(service);
    tray.Show(true);
    tray.SetTrayToolTip(QStringLiteral("Free memory: 312 MB"));
    tray.Show(true);
    QCOMPARE(log, (CallLog{"tray add", "tray modify"}));
    QCOMPARE(service.icons, 1);
    QCOMPARE(service.tip, QStringLiteral(" Free memory: 312 MB "));
    QVERIFY(tray.IsVisible());
  }

  void RemovingIsOnlyDoneOnce() {
    CallLog log;
    FakeTrayService service(log);
    Tray tray(service);
    tray.Show(false);
    QVERIFY(log.isEmpty());
    tray.Show(true);
    tray.Show(false);
    tray.Show(false);
    QCOMPARE(log, (CallLog{"tray add", "tray delete"}));
    QCOMPARE(service.icons, 0);
    QVERIFY(!tray.IsVisible());
  }

  void TipTextKeepsItsFieldWithTheNul() {
    QCOMPARE(TipText(QString()), QString());
    QCOMPARE(TipText(QStringLiteral("Program notification")), QStringLiteral(" Program notification "));
    const QString longTip(200, QLatin1Char('x'));
    const QString shown = TipText(longTip);
    QCOMPARE(shown.size(), kTipFieldLength - 1);
    QVERIFY(shown.startsWith(QLatin1String(" x")));
    QVERIFY(shown.endsWith(QLatin1Char('x')));
    // A tip that just fits keeps its closing blank.
    QCOMPARE(TipText(QString(125, QLatin1Char('y'))).size(), 127);
    QVERIFY(TipText(QString(125, QLatin1Char('y'))).endsWith(QLatin1Char(' ')));
  }

  void EventModeIsClampedToItsTwoValues() {
    CallLog log;
    FakeTrayService service(log);
    Tray tray(service);
    QCOMPARE(tray.EventMode(), 0);
    tray.SetEventMode(5);
    QCOMPARE(tray.EventMode(), 1);
    tray.SetEventMode(-3);
    QCOMPARE(tray.EventMode(), 0);
  }

  void BalloonUsesTheTipAsTitleAndNeedsTheIcon() {
    CallLog log;
    FakeTrayService service(log);
    Tray tray(service);
    tray.showBalloonoolTip(true);
    QVERIFY(service.balloons.isEmpty());
    tray.Show(true);
    tray.showBalloonoolTip(false);
    QVERIFY(service.balloons.isEmpty());
    tray.showBalloonoolTip(true);
    tray.SetTrayToolTip(QStringLiteral("Memory used: 41%"));
    tray.showBalloonoolTip(true);
    QCOMPARE(service.balloons, (QStringList{"Program notification | The Program Still Running Here",
                                            "Memory used: 41% | The Program Still Running Here"}));
    QCOMPARE(service.icons, 1);
  }

  // A notice that could not show is reported, so its sender can try again later.
  void NoticeSaysWhetherItShowed() {
    CallLog log;
    FakeTrayService service(log);
    Tray tray(service);
    QVERIFY(!tray.ShowNotice(QStringLiteral("Zentrofast"), QStringLiteral("before the icon")));
    tray.Show(true);
    service.available = false;
    QVERIFY(!tray.ShowNotice(QStringLiteral("Zentrofast"), QStringLiteral("no tray")));
    service.available = true;
    QVERIFY(tray.ShowNotice(QStringLiteral("Zentrofast"), QStringLiteral("shown")));
    QCOMPARE(service.balloons, QStringList{"Zentrofast | shown"});
  }

  void ClickLatchSwallowsASecondPressWithin15Milliseconds() {
    CallLog log;
    FakeTrayService service(log);
    Tray tray(service);
    QSignalSpy left(&tray, &Tray::LeftClick);
    QSignalSpy right(&tray, &Tray::RightClick);
    QSignalSpy mouse(&tray, &Tray::MouseClick);
    service.mouse(kTrayLeftButtonDown);
    service.mouse(kTrayRightButtonDown);
    QCOMPARE(left.count(), 1);
    QCOMPARE(right.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT((service.mouse(kTrayRightButtonDown), right.count()), 1, 1000);
    QCOMPARE(mouse.count(), 0);
  }

  void OtherMessagesRaiseNothing() {
    CallLog log;
    FakeTrayService service(log);
    Tray tray(service);
    QSignalSpy left(&tray, &Tray::LeftClick);
    QSignalSpy right(&tray, &Tray::RightClick);
    for (int message : {kTrayMouseMove, kTrayLeftButtonUp, kTrayLeftDoubleClick, 517, 0}) service.mouse(message);
    QCOMPARE(left.count() + right.count(), 0);
  }

  void EventModeOneReportsTheButton() {
    CallLog log;
    FakeTrayService service(log);
    Tray tray(service);
    tray.SetEventMode(1);
    QSignalSpy left(&tray, &Tray::LeftClick);
    QSignalSpy mouse(&tray, &Tray::MouseClick);
    service.mouse(kTrayRightButtonDown);
    QTRY_COMPARE_WITH_TIMEOUT((service.mouse(kTrayLeftButtonDown), mouse.count()), 2, 1000);
    QCOMPARE(mouse.at(0).at(0).toInt(), 2);
    QCOMPARE(mouse.at(1).at(0).toInt(), 1);
    QCOMPARE(left.count(), 0);
  }

  void PicturesBecome32PixelIcons() {
    CallLog log;
    FakeTrayService service(log);
    Tray tray(service);
    QPixmap picture(100, 60);
    picture.fill(Qt::red);
    tray.SetTrayImage(picture);
    QCOMPARE(tray.TrayImage().availableSizes(), (QList<QSize>{QSize(32, 32)}));
    tray.SetTrayImage(QPixmap());
    QVERIFY(tray.TrayImage().isNull());
  }
};

QTEST_MAIN(TrayTest)
#include "TrayTest.moc"
