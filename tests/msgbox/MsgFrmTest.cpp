// SPDX-License-Identifier: GPL-3.0-or-later
// The message window as a user meets it: modal boxes answered by clicking, the timed notice
// closing by itself or on its close image, the shape, the colours and the drag.
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <functional>

#include "msgbox/BalloonGeometry.h"
#include "msgbox/BalloonNotifier.h"
#include "msgbox/CloseImage.h"
#include "msgbox/IconStrip.h"
#include "msgbox/MsgFrmLayout.h"
#include "msgbox/msgFrm.h"
#include "support/Fakes.h"

using namespace zf;

namespace {

// Runs `act` on the modal balloon as soon as it shows; `act` must end the box.
void WhenModal(std::function<void(msgFrm&)> act, int triesLeft = 300) {
  QTimer::singleShot(10, [act, triesLeft] {
    auto* box = qobject_cast<msgFrm*>(QApplication::activeModalWidget());
    if (box != nullptr && box->isVisible()) return act(*box);
    if (triesLeft > 0) WhenModal(act, triesLeft - 1);
  });
}

template <typename T>
T* Child(const QWidget& box, const char* name) {
  return box.findChild<T*>(QString::fromLatin1(name));
}

QStringList ShownCaptions(const msgFrm& box) {
  QStringList captions;
  for (const char* name : {"cmd1_0", "cmd1_1", "cmd1_2"}) {
    auto* button = Child<QPushButton>(box, name);
    if (!button->isHidden()) captions << button->text();
  }
  return captions;
}

QColor PixelOf(QWidget& widget, QPoint at) { return widget.grab().toImage().pixelColor(at); }

msgFrm* ShownNotice() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<msgFrm*>(widget); box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

QRegion ExpectedShape(QSize size, int style) {
  return BodyRegion(size) | ShadowRegion(size) | QRegion(TailFor(style, size).outer, Qt::OddEvenFill);
}

}  // namespace

class MsgFrmTest : public QObject {
  Q_OBJECT

  test::FakeWindowSystem m_windowSystem;
  // Something for the shadow to darken: the screen behind every balloon is this colour.
  const QColor m_backdrop{200, 100, 50};
  QWidget m_desktop;

  QRgb Shadow(int d, int intensity) const { return BlendColor(m_backdrop.rgb(), qRgb(0, 0, 0), d, intensity); }
  // The outermost column of the shadow that shows beside the body.
  static QColor OuterShadowPixel(QWidget& box) { return PixelOf(box, QPoint(box.width() - 6, box.height() / 2)); }

 private slots:
  void initTestCase() {
    m_desktop.setGeometry(0, 0, 1024, 768);
    m_desktop.setAutoFillBackground(true);
    m_desktop.setPalette(QPalette(m_backdrop));
    m_desktop.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_desktop));
  }

  void init() { m_windowSystem.cursor = {300, 200}; }

  void yesNoCancelFocusesTheDefaultAndAddsTheTick() {
    for (const bool tick : {false, true}) {
      msgFrm box(m_windowSystem);
      QString focused;
      QStringList captions;
      WhenModal([&](msgFrm& b) {
        captions = ShownCaptions(b);
        b.activateWindow();
        if (QTest::qWaitForWindowActive(&b) && QApplication::focusWidget() != nullptr) {
          focused = QApplication::focusWidget()->objectName();
        }
        Child<QCheckBox>(b, "Check1")->setChecked(tick);
        Child<QPushButton>(b, "cmd1_1")->click();
      });
      const std::int16_t result = box.msg_Box("Save the changes?", 3 | 256, "Question", false, "Don't ask again");
      QCOMPARE(captions, QStringList({"Yes", "No", "Cancel"}));
      QCOMPARE(focused, QStringLiteral("cmd1_1"));
      QCOMPARE(result, std::int16_t(tick ? 107 : 7));
    }
  }

  void defaultBeyondTheButtonsShownFallsBackToTheFirst() {
    msgFrm box(m_windowSystem);
    QString focused;
    WhenModal([&](msgFrm& b) {
      b.activateWindow();
      if (QTest::qWaitForWindowActive(&b) && QApplication::focusWidget() != nullptr) {
        focused = QApplication::focusWidget()->objectName();
      }
      Child<QPushButton>(b, "cmd1_0")->click();
    });
    QCOMPARE(box.msg_Box("Only one button", 0 | 512), std::int16_t(kOk));
    QCOMPARE(focused, QStringLiteral("cmd1_0"));
  }

  void customButtonsSitAtTheirPlacesAndReturnTheirPosition() {
    for (const int pressed : {0, 1}) {
      msgFrm box(m_windowSystem);
      QList<int> lefts;
      bool thirdHidden = false;
      int frameWidth = 0;
      WhenModal([&](msgFrm& b) {
        lefts = {Child<QPushButton>(b, "cmd1_0")->x(), Child<QPushButton>(b, "cmd1_1")->x()};
        thirdHidden = Child<QPushButton>(b, "cmd1_2")->isHidden();
        frameWidth = Child<QFrame>(b, "F1_0")->width();
        Child<QPushButton>(b, pressed == 0 ? "cmd1_0" : "cmd1_1")->click();
      });
      const std::int16_t result = box.msg_Box("Keep the file?", 6, "Files", false, {}, "Keep", "Drop");
      QCOMPARE(result, std::int16_t(pressed + 1));
      QVERIFY(thirdHidden);
      const int tpp = box.TwipsPerPixelX();
      const double F = double(tpp) * frameWidth;
      const double first = F / 3 - 1200.0 / 2;
      QCOMPARE(lefts[0], qRound(first / tpp));
      QCOMPARE(lefts[1], qRound((F - first - 1200) / tpp));
    }
  }

  void customSetWithoutCaptionsStillCloses() {
    msgFrm box(m_windowSystem);
    QStringList captions;
    WhenModal([&](msgFrm& b) {
      captions = ShownCaptions(b);
      Child<QPushButton>(b, "cmd1_0")->click();
    });
    QCOMPARE(box.msg_Box("Nothing to choose", 6), std::int16_t(1));
    QCOMPARE(captions, QStringList({"OK"}));
  }

  void titleMovesToTheMessageWithoutIcon() {
    for (const int flags : {0, 64}) {
      msgFrm box(m_windowSystem);
      bool iconShown = false;
      int titleLeft = 0;
      int messageLeft = 0;
      WhenModal([&](msgFrm& b) {
        iconShown = Child<QLabel>(b, "imgIcon_0")->isVisible();
        titleLeft = Child<QLabel>(b, "lblTitle_0")->x();
        messageLeft = Child<QLabel>(b, "lblMsg_0")->x();
        Child<QPushButton>(b, "cmd1_0")->click();
      });
      box.msg_Box("Body text", flags, "Title");
      QCOMPARE(iconShown, flags != 0);
      if (flags == 0) {
        QCOMPARE(titleLeft, messageLeft);
      } else {
        QCOMPARE(titleLeft, qRound(375.0 / box.TwipsPerPixelX()));
      }
    }
  }

  void defaultColourFillsBodyAndFrame() {
    msgFrm box(m_windowSystem);
    QColor body;
    QColor frame;
    WhenModal([&](msgFrm& b) {
      body = PixelOf(b, QPoint(4, 60));
      frame = Child<QFrame>(b, "F1_0")->palette().color(QPalette::Window);
      Child<QPushButton>(b, "cmd1_0")->click();
    });
    box.msg_Box("Colour", 0, "Colour", false, {}, {}, {}, {}, 0);
    QCOMPARE(body, QColor(255, 255, 204));
    QCOMPARE(frame, QColor(255, 255, 204));
  }

  void escapeMeansCancelWhereThereIsOne() {
    msgFrm withCancel(m_windowSystem);
    WhenModal([](msgFrm& b) { QTest::keyClick(&b, Qt::Key_Escape); });
    QCOMPARE(withCancel.msg_Box("Go on?", 1), std::int16_t(kCancel));

    msgFrm okOnly(m_windowSystem);
    bool stayed = false;
    WhenModal([&](msgFrm& b) {
      QTest::keyClick(&b, Qt::Key_Escape);
      b.close();
      stayed = b.isVisible();
      Child<QPushButton>(b, "cmd1_0")->click();
    });
    QCOMPARE(okOnly.msg_Box("Done", 0), std::int16_t(kOk));
    QVERIFY(stayed);
  }

  void inputBoxResults() {
    msgFrm box(m_windowSystem);
    bool stayedOnEmptyOk = false;
    QString shownDefault;
    WhenModal([&](msgFrm& b) {
      auto* field = Child<QLineEdit>(b, "iTxt");
      shownDefault = field->text();
      field->clear();
      Child<QPushButton>(b, "iCmd_1")->click();
      stayedOnEmptyOk = b.isVisible();
      field->setText("abc");
      Child<QCheckBox>(b, "Check2")->setChecked(true);
      Child<QPushButton>(b, "iCmd_1")->click();
    });
    QCOMPARE(box.input_box("Your name?", 32, "Name", "preset", false, "Remember"), QString("abc") + QChar(0x00AC));
    QVERIFY(stayedOnEmptyOk);
    QCOMPARE(shownDefault, QStringLiteral("preset"));

    msgFrm cancelled(m_windowSystem);
    WhenModal([](msgFrm& b) {
      Child<QCheckBox>(b, "Check2")->setChecked(true);
      Child<QPushButton>(b, "iCmd_0")->click();
    });
    QCOMPARE(cancelled.input_box("Your name?", 0, "Name", "kept text", false, "Remember"), QString());

    msgFrm plain(m_windowSystem);
    WhenModal([](msgFrm& b) { Child<QPushButton>(b, "iCmd_1")->click(); });
    QCOMPARE(plain.input_box("Host?", 0, "Host", "localhost"), QStringLiteral("localhost"));
  }

  // A translated caption longer than the design's button widens both buttons, OK still ending
  // with the field and Cancel still left of OK; the field is named by the prompt.
  void inputButtonsFitTheirCaptions() {
    msgFrm box(m_windowSystem);
    auto* cancel = Child<QPushButton>(box, "iCmd_0");
    auto* ok = Child<QPushButton>(box, "iCmd_1");
    cancel->setText(QStringLiteral("Abbrechen"));
    QRect cancelAt, okAt, fieldAt;
    QString fieldName;
    WhenModal([&](msgFrm& b) {
      cancelAt = cancel->geometry();
      okAt = ok->geometry();
      fieldAt = Child<QLineEdit>(b, "iTxt")->geometry();
      fieldName = Child<QLineEdit>(b, "iTxt")->accessibleName();
      cancel->click();
    });
    box.input_box("Host to ping:", 0, "Net pinger", "localhost");
    QVERIFY(cancelAt.width() >= cancel->sizeHint().width());
    QCOMPARE(okAt.width(), cancelAt.width());
    QVERIFY(cancelAt.right() < okAt.left());
    QVERIFY(qAbs(okAt.right() - fieldAt.right()) <= 1);
    QVERIFY(cancelAt.left() >= fieldAt.left());
    QCOMPARE(fieldName, QStringLiteral("Host to ping:"));
  }

  void shapeIsBodyShadowAndTailAndDragDropsTheTail() {
    msgFrm box(m_windowSystem);
    QRegion before;
    QRegion during;
    QRegion after;
    QPoint moved;
    QSize size;
    QPoint start;
    QRgb afterShadow = 0;
    WhenModal([&](msgFrm& b) {
      size = b.size();
      start = b.pos();
      before = b.mask();
      QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(4, 60));
      during = b.mask();
      // Up and left, so the screen behind the new shadow is what the window covered before.
      QTest::mouseMove(&b, QPoint(-46, 30));
      QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(-46, 30));
      after = b.mask();
      afterShadow = OuterShadowPixel(b).rgb();
      moved = b.pos() - start;
      Child<QPushButton>(b, "iCmd_0")->click();
    });
    box.input_box("Drag me", 0, "Drag", {}, false, {}, 0, 300, 300, 40);  // upper left quarter: style 4
    QCOMPARE(start, QPoint(300 - 42, 300));
    QCOMPARE(before, ExpectedShape(size, 4));
    QCOMPARE(during, BodyRegion(size));
    QCOMPARE(moved, QPoint(-50, -30));
    QCOMPARE(after, BodyRegion(size) | ShadowRegion(size));
    QCOMPARE(afterShadow, Shadow(180, 40));  // made afresh with the intensity the box was given
  }

  void targetOfZeroIsTheCursor() {
    msgFrm box(m_windowSystem);
    m_windowSystem.cursor = {700, 600};  // lower right quarter of 1024 × 768
    box.MsgAuto_box("At the cursor", 64, "Here", 0, false, 0, 0, 0);
    QCOMPARE(box.pos(), QPoint(700 + 42 - box.width(), 600 - box.height()));
    QCOMPARE(box.mask(), ExpectedShape(box.size(), 1));
    box.close();
  }

  void reusedWithoutTailShowsNoOldTail() {
    msgFrm box(m_windowSystem);
    box.MsgAuto_box("With tail", 0, "Notice", 0, false, 0, 500, 500, 0);
    QCOMPARE(box.mask(), ExpectedShape(box.size(), 3));
    box.MsgAuto_box("With tail", 0, "Notice", 0, true, 0, 500, 500, 0);
    QCOMPARE(box.mask(), BodyRegion(box.size()) | ShadowRegion(box.size()));
    box.close();
  }

  void stillRunningNoticeSitsAtTheTray() {
    msgFrm box(m_windowSystem);
    const float X = 1024 - 40;
    const float Y = 768;
    box.MsgAuto_box("The Program Still Running Here", 64, "Program notification", 5, true,
                    242u | (248u << 8) | (200u << 16), X, Y, 0);
    QVERIFY(box.isVisible());
    QVERIFY(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(box.pos(), QPoint(1024 - 40 + 42 - box.width(), 768 - box.height()));
    QCOMPARE(box.mask(), BodyRegion(box.size()) | ShadowRegion(box.size()));  // no tail
    QCOMPARE(Child<QFrame>(box, "F1_2")->palette().color(QPalette::Window), QColor(242, 248, 200));
    QCOMPARE(Child<CloseImage>(box, "Command1")->ShownCell(), kCloseNormalCell);
    QCOMPARE(box.CloseTimer().interval(), 5000);
    QCOMPARE(box.CloseTimer().timerType(), Qt::PreciseTimer);  // closes within ms, not 5 % late
    // The timed notice does not drag.
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(4, 40));
    QVERIFY(!box.IsDragging());
    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(4, 40));
    box.close();
  }

  void timedNoticeClosesAfterItsTime() {
    BalloonNotifier notifier(m_windowSystem);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(notifier.MsgAuto_box("Soon gone", 64, "Notice", 1, true, 0, 500, 500, 0), QString());
    QPointer<msgFrm> box = ShownNotice();
    QVERIFY(box != nullptr);
    QTest::qWait(700);
    QVERIFY(box != nullptr && box->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), 2000);
    QVERIFY(clock.elapsed() >= 1000);
  }

  void closeImageClosesAtOnce() {
    BalloonNotifier notifier(m_windowSystem);
    notifier.MsgAuto_box("Close me", 0, "Notice", 30, true, 0, 500, 500, 0);
    QPointer<msgFrm> box = ShownNotice();
    QVERIFY(box != nullptr);
    QTest::mouseClick(Child<CloseImage>(*box, "Command1"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), 500);
  }

  void closeImageShowsItsStates() {
    msgFrm box(m_windowSystem);
    box.MsgAuto_box("States", 0, "Notice", 0, true, 0, 500, 500, 0);
    auto* image = Child<CloseImage>(box, "Command1");
    QEnterEvent enter(QPointF(8, 8), QPointF(8, 8), image->mapToGlobal(QPointF(8, 8)));
    QCoreApplication::sendEvent(image, &enter);
    QCOMPARE(image->ShownCell(), kCloseHoverCell);
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(8, 8));
    QCOMPARE(image->ShownCell(), kClosePressedCell);
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(60, 8));  // released off the image: no click
    QCOMPARE(image->ShownCell(), kCloseHoverCell);
    QVERIFY(box.isVisible());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(image, &leave);
    QCOMPARE(image->ShownCell(), kCloseNormalCell);
    box.close();
  }

  void zeroTimeNeverClosesByItself() {
    BalloonNotifier notifier(m_windowSystem);
    notifier.MsgAuto_box("Stays", 0, "Notice", 0, true, 0, 500, 500, 0);
    QPointer<msgFrm> box = ShownNotice();
    QVERIFY(box != nullptr);
    QVERIFY(!box->CloseTimer().isActive());
    QTest::qWait(1200);
    QVERIFY(box != nullptr && box->isVisible());
    QTest::mouseClick(Child<CloseImage>(*box, "Command1"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), 500);
  }

  void secondNoticeReusesTheWindowAndRestartsItsTime() {
    BalloonNotifier notifier(m_windowSystem);
    notifier.MsgAuto_box("First", 0, "Notice", 1, true, 0, 500, 500, 0);
    QPointer<msgFrm> first = ShownNotice();
    QTest::qWait(600);
    notifier.MsgAuto_box("Second", 64, "Notice", 1, true, 0, 500, 500, 0);
    QCOMPARE(ShownNotice(), first.data());
    QCOMPARE(Child<QLabel>(*first, "lblMsg_2")->text(), QStringLiteral("Second"));
    QTest::qWait(600);  // past the first call's second
    QVERIFY(first != nullptr && first->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), 1500);
  }

  void outOfRangeTimeAndIntensityAreClamped() {
    const auto shownWith = [this](std::int16_t intensity, std::int16_t time) {
      msgFrm box(m_windowSystem);
      box.MsgAuto_box("Shadow", 0, "Notice", time, true, 0, 500, 500, intensity);
      const std::pair shown{OuterShadowPixel(box).rgb(), box.CloseTimer().interval()};
      box.close();
      return shown;
    };
    QCOMPARE(shownWith(500, 40), std::pair(Shadow(180, 75), 32000));
    QCOMPARE(shownWith(0, 1).first, Shadow(180, 0));
  }

  void reusedNoticeDoesNotShadeItself() {
    msgFrm box(m_windowSystem);
    box.MsgAuto_box("First", 0, "Notice", 0, true, 0, 500, 500, 20);
    QCOMPARE(OuterShadowPixel(box).rgb(), Shadow(180, 20));
    // With the desktop gone, reading the screen where the notice shows gives the notice itself, as a
    // shown window does on a real screen.
    m_desktop.hide();
    QTRY_VERIFY(!m_desktop.windowHandle()->isExposed());
    box.MsgAuto_box("Again", 0, "Notice", 0, true, 0, 500, 500, 20);
    const QRgb reused = OuterShadowPixel(box).rgb();
    box.close();
    m_desktop.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_desktop));
    QCOMPARE(reused, Shadow(180, 20));
  }
};

QTEST_MAIN(MsgFrmTest)
#include "MsgFrmTest.moc"
