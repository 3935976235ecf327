// SPDX-License-Identifier: GPL-3.0-or-later
// Buttons, icons, defaults and the sizes the message window derives from its text, without a window.
#include <QtTest>

#include "msgbox/MsgFrmLayout.h"

using namespace zf;

namespace {

constexpr int kTpp = 15;     // 96 dpi
constexpr double kF = 4935;  // frame width in twips: (359 − 30) pixels

}  // namespace

class MsgFrmLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void buttonPlacementByCount() {
    const double w = kButtonWidth;
    const auto one = ButtonLefts(1, kF);
    QCOMPARE(one[0], (kF - w) / 2);

    const auto two = ButtonLefts(2, kF);
    QCOMPARE(two[0], 1045.0);           // a third of the frame, less half a button
    QCOMPARE(two[1] + w, kF - two[0]);  // the mirror place

    const auto three = ButtonLefts(3, kF);
    QCOMPARE(three[0], 307.5);  // centred between the frame's edge and the second button's design place
    QCOMPARE(three[1], (kF - w) / 2);
    QCOMPARE(three[2] + w, kF - three[0]);
  }

  void buttonSets_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<int>("count");
    QTest::newRow("0 OK") << 0 << QStringList{"OK", "", ""} << QList<int>{1, 0, 0} << 1;
    QTest::newRow("1 OK Cancel") << 1 << QStringList{"OK", "Cancel", ""} << QList<int>{1, 2, 0} << 2;
    QTest::newRow("2 Abort Retry Ignore") << 2 << QStringList{"Abort", "Retry", "Ignore"} << QList<int>{3, 4, 5} << 3;
    QTest::newRow("3 Yes No Cancel") << 3 << QStringList{"Yes", "No", "Cancel"} << QList<int>{6, 7, 2} << 3;
    QTest::newRow("4 Yes No") << 4 << QStringList{"Yes", "No", ""} << QList<int>{6, 7, 0} << 2;
    QTest::newRow("5 Retry Cancel") << 5 << QStringList{"Retry", "Cancel", ""} << QList<int>{4, 2, 0} << 2;
    QTest::newRow("7 OK") << 7 << QStringList{"OK", "", ""} << QList<int>{1, 0, 0} << 1;
    QTest::newRow("other fields ignored")
        << (3 | 64 | 256) << QStringList{"Yes", "No", "Cancel"} << QList<int>{6, 7, 2} << 3;
  }
  void buttonSets() {
    QFETCH(int, flags);
    QFETCH(QStringList, captions);
    QFETCH(QList<int>, codes);
    QFETCH(int, count);
    const ButtonSet set = ButtonsFor(flags, "a", "b", "c");
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(set.captions[i], captions[i]);
      QCOMPARE(int(set.codes[i]), codes[i]);
    }
    QCOMPARE(set.count, count);
  }

  void customButtons() {
    const ButtonSet two = ButtonsFor(6, "Keep", "Drop", "");
    QCOMPARE(two.count, 2);
    QCOMPARE(two.captions[0], QStringLiteral("Keep"));
    QCOMPARE(int(two.codes[0]), 1);
    QCOMPARE(int(two.codes[1]), 2);
    QVERIFY(two.captions[2].isEmpty());

    // The count is the position of the last caption given, gaps included.
    const ButtonSet third = ButtonsFor(6, "", "", "Only");
    QCOMPARE(third.count, 3);
    QVERIFY(third.captions[0].isEmpty());
    QCOMPARE(int(third.codes[2]), 3);

    // No caption at all would leave a modal box nobody can close.
    const ButtonSet none = ButtonsFor(6, "", "", "");
    QCOMPARE(none.count, 1);
    QCOMPARE(none.captions[0], QStringLiteral("OK"));
    QCOMPARE(int(none.codes[0]), int(kOk));
  }

  void iconCells_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("cell");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("stop") << 16 << 1;
    QTest::newRow("question") << 32 << 4;
    QTest::newRow("exclamation") << 48 << 2;
    QTest::newRow("information") << 64 << 3;
    QTest::newRow("80") << 80 << 5;
    QTest::newRow("96") << 96 << 6;
    QTest::newRow("112") << 112 << 7;
    QTest::newRow("with buttons and default") << (64 | 4 | 512) << 3;
  }
  void iconCells() {
    QFETCH(int, flags);
    QFETCH(int, cell);
    QCOMPARE(IconCellFor(flags), cell);
  }

  void defaultButton() {
    QCOMPARE(DefaultButtonFor(3, 0), 1);
    QCOMPARE(DefaultButtonFor(3 | 256, 0), 2);
    QCOMPARE(DefaultButtonFor(3 | 512, 1), 3);
    QCOMPARE(DefaultButtonFor(3 | 768, 2), 2);
    QCOMPARE(DefaultButtonFor(768, 0), 0);
  }

  void heightsFromMessageHeight() {
    // Two lines of 13 pixels: 390 twips.
    const MessageBoxLayout box = LayoutMessageBox(390, kTpp);
    QCOMPARE(box.frameHeight, (450 + 390 + 900) / kTpp);
    QCOMPARE(box.windowHeight, box.frameHeight + 65);
    QCOMPARE(box.checkTop, 450 + 390 + 70);
    QCOMPARE(box.buttonTop, kTpp * box.frameHeight - 375 - 100);
    // Frame heights round to whole pixels: 1750 twips are 116.7 pixels.
    QCOMPARE(LayoutMessageBox(400, kTpp).frameHeight, 117);

    const InputBoxLayout input = LayoutInputBox(195, 4805, 330, kTpp);
    QCOMPARE(input.fieldTop, 465 + 195 + 300);
    QCOMPARE(input.buttonTop, input.fieldTop + 330 + 70);
    QCOMPARE(input.okLeft + 915, 75 + 4805);  // OK ends with the field
    QCOMPARE(input.cancelLeft, input.okLeft - 915 - 70);
    QCOMPARE(input.checkWidth, input.cancelLeft - 75 - 10);
    QCOMPARE(input.frameHeight, 123);  // (1360 + 375 + 115) / 15 = 123.3
    QCOMPARE(input.windowHeight, 123 + 65);

    const AutoBoxLayout timed = LayoutAutoBox(195, 4935, 240, kTpp);
    QCOMPARE(timed.frameHeight, (465 + 195 + 300) / kTpp);
    QCOMPARE(timed.windowHeight, 30 + timed.frameHeight + 40);
    QCOMPARE(timed.closeLeft, 4935 - 240 - 50);
  }

  void unitsAndLimits() {
    QCOMPARE(TwipsPerPixel(96), 15);
    QCOMPARE(TwipsPerPixel(120), 12);
    QCOMPARE(TwipsPerPixel(144), 10);
    QCOMPARE(ClampTime(5), 5);
    QCOMPARE(ClampTime(33), 32);  // 33000 ms would overflow the timer's 16-bit interval
    QCOMPARE(ClampTime(-4), 0);
    QCOMPARE(ClampIntensity(75), 75);
    QCOMPARE(ClampIntensity(76), 75);  // 76 + 180 no longer fits a byte
    QCOMPARE(ClampIntensity(-1), 0);
  }

  void balloonColour() {
    QCOMPARE(BalloonColor(0), QColor(255, 255, 204));
    QCOMPARE(BalloonColor(242u | (248u << 8) | (200u << 16)), QColor(242, 248, 200));
  }
};

QTEST_GUILESS_MAIN(MsgFrmLayoutTest)
#include "MsgFrmLayoutTest.moc"
