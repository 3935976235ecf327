// SPDX-License-Identifier: GPL-3.0-or-later
// The scale that makes the fixed main window fit a small screen.
#include <QTest>

#include "shell/WindowFit.h"

using namespace zf;

class WindowFitTest : public QObject {
  Q_OBJECT

 private slots:
  void AWindowThatFitsStaysAsItIs() {
    QCOMPARE(FitScaleFactor({724, 540}, {1024, 768}, 1.0), std::nullopt);
    QCOMPARE(FitScaleFactor({724, 540}, {724, 540}, 1.25), std::nullopt);
    QCOMPARE(FitScaleFactor({724, 540}, {}, 1.0), std::nullopt);  // no screen to measure
  }

  void TooLargeBecomesJustSmallEnough_data() {
    QTest::addColumn<QSize>("available");  // in logical pixels under the current factor
    QTest::addColumn<double>("current");
    QTest::addColumn<QSize>("device");  // the screen in device pixels
    QTest::newRow("150% on 1024x768") << QSize(683, 512) << 1.5 << QSize(1024, 768);
    QTest::newRow("200% on 1280x1024") << QSize(640, 512) << 2.0 << QSize(1280, 1024);
    QTest::newRow("a panel takes height") << QSize(800, 500) << 1.0 << QSize(800, 500);
    QTest::newRow("too narrow only") << QSize(700, 900) << 1.0 << QSize(700, 900);
  }
  void TooLargeBecomesJustSmallEnough() {
    QFETCH(QSize, available);
    QFETCH(double, current);
    QFETCH(QSize, device);
    const std::optional<double> factor = FitScaleFactor({724, 540}, available, current);
    QVERIFY(factor.has_value());
    QVERIFY(*factor < current);
    const double width = 724 * *factor;
    const double height = 540 * *factor;
    QVERIFY2(width <= device.width() && height <= device.height(), qPrintable(QString::number(*factor)));
    QVERIFY2(width > device.width() * 0.98 || height > device.height() * 0.98, qPrintable(QString::number(*factor)));
  }

  void TheOverrideIsNotHandedOnToOtherPrograms() {
    qputenv("QT_SCALE_FACTOR", "1.5");
    {
      const ScaleFactorOverride fit(1.4);
      QCOMPARE(qgetenv("QT_SCALE_FACTOR"), QByteArray("1.4000"));
    }
    QCOMPARE(qgetenv("QT_SCALE_FACTOR"), QByteArray("1.5"));
    qunsetenv("QT_SCALE_FACTOR");
    { const ScaleFactorOverride fit(0.9); }
    QVERIFY(!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
  }
};

QTEST_GUILESS_MAIN(WindowFitTest)
#include "WindowFitTest.moc"
