// SPDX-License-Identifier: GPL-3.0-or-later
// Placement, shape, tail and shadow of the balloon, computed without a window.
#include <QtTest>

#include "msgbox/BalloonGeometry.h"
#include "msgbox/IconStrip.h"

using namespace zf;

namespace {

const QSize kScreen(1024, 768);
const QSize kWindow(359, 170);

// The outer triangle's vertex that lies off the body: the tail's tip.
QPoint TipOf(int style, QSize window) {
  const QPolygon outer = TailFor(style, window).outer;
  const QRegion body = BodyRegion(window);
  for (const QPoint& p : outer) {
    if (!body.contains(p)) return p;
  }
  return {};
}

}  // namespace

class BalloonGeometryTest : public QObject {
  Q_OBJECT

 private slots:
  void placementByScreenQuarter_data() {
    QTest::addColumn<QPoint>("target");
    QTest::addColumn<int>("style");
    QTest::addColumn<QPoint>("topLeft");
    const int W = kWindow.width();
    const int H = kWindow.height();
    QTest::newRow("left top") << QPoint(100, 90) << 4 << QPoint(100 - 42, 90);
    QTest::newRow("right top") << QPoint(900, 90) << 2 << QPoint(900 + 42 - W, 90);
    QTest::newRow("left bottom") << QPoint(100, 700) << 3 << QPoint(100 - 42, 700 - H);
    QTest::newRow("right bottom") << QPoint(900, 700) << 1 << QPoint(900 + 42 - W, 700 - H);
    QTest::newRow("centre counts as left and top") << QPoint(512, 384) << 4 << QPoint(512 - 42, 384);
    QTest::newRow("one right of centre") << QPoint(513, 384) << 2 << QPoint(513 + 42 - W, 384);
    QTest::newRow("one below centre") << QPoint(512, 385) << 3 << QPoint(512 - 42, 385 - H);
    QTest::newRow("tray corner of the notice") << QPoint(1024 - 40, 768) << 1 << QPoint(1024 - 40 + 42 - W, 768 - H);
  }
  void placementByScreenQuarter() {
    QFETCH(QPoint, target);
    QFETCH(int, style);
    QFETCH(QPoint, topLeft);
    const BalloonPlacement placement = PlaceBalloon(target, kScreen, kWindow);
    QCOMPARE(placement.style, style);
    QCOMPARE(placement.topLeft, topLeft);
  }

  void targetFallsBackToCursor() {
    const QPoint cursor(321, 123);
    QCOMPARE(BalloonTarget(0, 400, cursor), cursor);
    QCOMPARE(BalloonTarget(400, 0, cursor), cursor);
    QCOMPARE(BalloonTarget(99.6f, 20.4f, cursor), QPoint(100, 20));
  }

  void tailTipLandsNextToTarget_data() {
    QTest::addColumn<QPoint>("target");
    QTest::newRow("style 1") << QPoint(900, 700);
    QTest::newRow("style 2") << QPoint(900, 90);
    QTest::newRow("style 3") << QPoint(100, 700);
    QTest::newRow("style 4") << QPoint(100, 90);
  }
  void tailTipLandsNextToTarget() {
    QFETCH(QPoint, target);
    const BalloonPlacement placement = PlaceBalloon(target, kScreen, kWindow);
    const QPoint tip = placement.topLeft + TipOf(placement.style, kWindow);
    if (placement.style == 1) QCOMPARE(tip - target, QPoint(6, -9));
    QVERIFY2(
        (tip - target).manhattanLength() <= 15,
        qPrintable(QStringLiteral("tip %1,%2 target %3,%4").arg(tip.x()).arg(tip.y()).arg(target.x()).arg(target.y())));
  }

  void roundRectRegionKeepsGdiEdges() {
    const QRegion region = RoundRectRegion(10, 20, 110, 80, 20, 20);
    QCOMPARE(region.boundingRect(), QRect(QPoint(10, 20), QPoint(109, 79)));
    // The right and bottom edges are left out.
    QVERIFY(region.contains(QPoint(10, 50)));
    QVERIFY(region.contains(QPoint(109, 50)));
    QVERIFY(!region.contains(QPoint(110, 50)));
    QVERIFY(!region.contains(QPoint(10, 20)));  // corners are rounded off
    QVERIFY(!region.contains(QPoint(109, 79)));
    QVERIFY(region.contains(QPoint(60, 20)));
    // Mirror images left to right and top to bottom.
    for (int y = 20; y < 80; ++y) {
      for (int x = 10; x < 110; ++x) QCOMPARE(region.contains(QPoint(x, y)), region.contains(QPoint(119 - x, 99 - y)));
    }
    QVERIFY(RoundRectRegion(5, 5, 5, 20, 4, 4).isEmpty());
  }

  void bodyAndShadowRegions() {
    const int W = kWindow.width();
    const int H = kWindow.height();
    const QRegion body = BodyRegion(kWindow);
    QCOMPARE(body.boundingRect(), QRect(QPoint(0, 20), QPoint(W - 15, H - 33)));
    const QRegion shadow = ShadowRegion(kWindow);
    QCOMPARE(shadow.boundingRect(), QRect(QPoint(11, 29), QPoint(W - 6, H - 24)));
    // What the shadow adds beyond the body: a band of nine pixels along the right and the bottom.
    const QRegion visible = shadow - body;
    QVERIFY(visible.contains(QPoint(W - 6, H / 2)));
    QVERIFY(visible.contains(QPoint(W / 2, H - 24)));
    QVERIFY(!visible.contains(QPoint(W - 15, H / 2)));
    QVERIFY(!visible.contains(QPoint(5, H / 2)));
    // The face is drawn one pixel inside the body's right and bottom edge.
    const QRect face = BodyFaceRect(kWindow);
    QCOMPARE(face.left() + face.width(), W - 16);
    QCOMPARE(face.top() + face.height(), H - 34);
  }

  void blendColorArithmetic() {
    const QRgb black = qRgb(0, 0, 0);
    QCOMPARE(BlendColor(qRgb(200, 100, 50), black, 180, 0), qRgb(140, 70, 35));
    QCOMPARE(BlendColor(qRgb(200, 100, 50), black, 180, 75), qRgb(199, 99, 49));
    QCOMPARE(BlendColor(qRgb(255, 255, 255), black, 20, 0), qRgb(19, 19, 19));  // truncated, not rounded
    QCOMPARE(BlendColor(black, qRgb(255, 255, 255), 64, 0), qRgb(191, 191, 191));
    QCOMPARE(BlendColor(qRgb(10, 20, 30), qRgb(250, 240, 230), 128, 0), qRgb(130, 130, 130));
  }

  void shadowBandsDarkenInwardInPairs() {
    const QSize size(120, 100);
    const int w = size.width() - 5;
    const int h = size.height() - 23;
    const QColor canvasColour(1, 2, 3);
    QImage backdrop(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
      for (int x = 0; x < size.width(); ++x) backdrop.setPixel(x, y, qRgb(100 + x, 50 + y, 200));
    }
    const int Inty = 30;
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(canvasColour);
    PaintShadowBands(canvas, backdrop, Inty);
    const QRgb black = qRgb(0, 0, 0);
    const auto expected = [&](int x, int y, int d) { return BlendColor(backdrop.pixel(x, y), black, d, Inty); };
    const int midY = 50;
    const int midX = 60;
    // The outermost pair is lightest (180), each pair inward 20 darker, the innermost pair 20.
    const int darkness[18] = {180, 180, 160, 160, 140, 140, 120, 120, 100, 100, 80, 80, 60, 60, 40, 40, 20, 20};
    for (int n = 0; n < 18; ++n) {
      QCOMPARE(canvas.pixel(w - n, midY), expected(w - n, midY, darkness[n]));
      QCOMPARE(canvas.pixel(midX, h - n), expected(midX, h - n, darkness[n]));
    }
    // Nothing outside the bands is touched.
    QCOMPARE(canvas.pixelColor(w - 18, midY), canvasColour);
    QCOMPARE(canvas.pixelColor(w + 1, midY), canvasColour);
    QCOMPARE(canvas.pixelColor(midX, h + 1), canvasColour);
    QCOMPARE(canvas.pixelColor(4, h), canvasColour);   // bottom band starts at x = n + 5
    QCOMPARE(canvas.pixelColor(w, 22), canvasColour);  // right band starts at y = n + 23
    // Where the bands cross, the outer one wins.
    QCOMPARE(canvas.pixel(w, h), expected(w, h, 180));
    QCOMPARE(canvas.pixel(w - 3, h - 1), expected(w - 3, h - 1, 180));
  }

  void iconCellMasksPureGreenOnly() {
    QImage strip(192, 16, QImage::Format_RGB32);
    strip.fill(qRgb(10, 20, 30));
    for (int x = 16; x < 32; ++x) strip.setPixel(x, 0, qRgb(99, 99, 99));  // top row of cell 2 only
    strip.setPixel(32 + 2, 3, qRgb(0, 255, 0));
    strip.setPixel(32 + 5, 6, qRgb(0, 254, 0));
    const QColor background(255, 255, 204);
    const QImage cell = IconCell(strip, 3, 16, background);
    QCOMPARE(cell.size(), QSize(16, 16));
    QCOMPARE(cell.pixelColor(2, 3), background);
    QCOMPARE(cell.pixel(5, 6), qRgb(0, 254, 0));
    QCOMPARE(cell.pixel(0, 0), qRgb(10, 20, 30));
    QCOMPARE(IconCell(strip, 2, 16, background).pixel(7, 0), qRgb(99, 99, 99));
  }

  void iconStripHasTwelveDrawnCells() {
    const QImage& strip = BalloonIconStrip();
    QCOMPARE(strip.size(), QSize(192, 16));
    for (int k = 1; k <= 12; ++k) {
      const QImage cell = IconCell(strip, k, 16, QColor(1, 2, 3));
      int background = 0;
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) background += cell.pixel(x, y) == qRgb(1, 2, 3);
      }
      QVERIFY2(background > 0 && background < 256 - 20, qPrintable(QStringLiteral("cell %1").arg(k)));
    }
  }
};

QTEST_GUILESS_MAIN(BalloonGeometryTest)
#include "BalloonGeometryTest.moc"
