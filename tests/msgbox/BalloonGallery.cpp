// SPDX-License-Identifier: GPL-3.0-or-later
// Shows each kind of balloon over a busy desktop and saves a picture of each, to look at by eye:
//   cmake --build build --target msgbox_gallery
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/msgbox_gallery OUTPUT_FOLDER
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <functional>

#include "msgbox/msgFrm.h"
#include "platform/linux/QtWindowSystem.h"

using namespace zf;

namespace {

// A desktop with stripes and a gradient, so the shadow visibly darkens what lies behind it.
class Desktop : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, width(), height());
    gradient.setColorAt(0, QColor(70, 130, 180));
    gradient.setColorAt(1, QColor(230, 200, 150));
    painter.fillRect(rect(), gradient);
    painter.setPen(QPen(QColor(255, 255, 255, 120), 6));
    for (int x = -height(); x < width(); x += 40) painter.drawLine(x, 0, x + height(), height());
  }
};

QString g_folder;

void Save(QWidget& box, const QString& name) {
  const QRect area = box.frameGeometry().adjusted(-30, -30, 30, 30);
  const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  const QString path = QDir(g_folder).filePath(name + QStringLiteral(".png"));
  std::printf("%s %s\n", qPrintable(path), shot.save(path) ? "saved" : "NOT SAVED");
}

// Once the modal box shows and has been drawn, takes its picture, then lets `finish` end it.
void ShootModal(const QString& name, std::function<void(msgFrm&)> finish) {
  QTimer::singleShot(400, [name, finish] {
    auto* box = qobject_cast<msgFrm*>(QApplication::activeModalWidget());
    if (box == nullptr) return ShootModal(name, finish);
    Save(*box, name);
    finish(*box);
  });
}

// Lets the desktop repaint where the last box was, before the next one reads the screen for its shadow.
void Settle() { QTest::qWait(300); }

void Click(msgFrm& box, const char* name) { box.findChild<QPushButton*>(QString::fromLatin1(name))->click(); }

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  g_folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(g_folder);
  QtWindowSystem windowSystem;
  const QSize screen = QGuiApplication::primaryScreen()->size();

  Desktop desktop;
  desktop.setGeometry(QGuiApplication::primaryScreen()->geometry());
  desktop.show();
  QTest::qWait(500);

  ShootModal("1-yes-no-cancel", [](msgFrm& b) {
    b.findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
    Click(b, "cmd1_1");
  });
  std::printf("msg_Box: %d\n",
              msgFrm(windowSystem)
                  .msg_Box("Do you want to keep the tuned settings? They take effect after the next restart "
                           "of the computer.",
                           3 | 64 | 256, "Keep the settings", false, "Don't ask me again", {}, {}, {}, 0, 300, 260));

  Settle();
  ShootModal("2-custom-two", [](msgFrm& b) { Click(b, "cmd1_1"); });
  std::printf("msg_Box: %d\n",
              msgFrm(windowSystem)
                  .msg_Box("The backup file 008.BCK already exists.", 6 | 48, "Backup", false, {}, "Replace",
                           "Keep both", {}, 0, screen.width() - 300, screen.height() - 250));

  Settle();
  ShootModal("3-abort-retry-ignore", [](msgFrm& b) { Click(b, "cmd1_2"); });
  std::printf("msg_Box: %d\n", msgFrm(windowSystem)
                                   .msg_Box("The host did not answer.", 2 | 16, "Ping failed", false, {}, {}, {}, {},
                                            0xE0E8FF, screen.width() - 300, 200, 40));

  Settle();
  ShootModal("4-input", [](msgFrm& b) {
    b.findChild<QLineEdit*>(QStringLiteral("iTxt"))->setText(QStringLiteral("www.example.org"));
    Click(b, "iCmd_1");
  });
  std::printf("input_box: %s\n", qPrintable(msgFrm(windowSystem)
                                                .input_box("Host to ping:", 32, "Net pinger", "www.example.org", false,
                                                           "Remember it", 0, 320, screen.height() - 260)));

  Settle();
  ShootModal("5-no-icon-no-tail", [](msgFrm& b) { Click(b, "cmd1_0"); });
  msgFrm(windowSystem)
      .msg_Box("A box without an icon: the title starts at the text's left edge.", 0, "Plain", true, {}, {}, {}, {}, 0,
               600, 600);

  Settle();
  ShootModal("6-before-drag", [](msgFrm& b) {
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(4, 60));
    QTest::mouseMove(&b, QPoint(124, 100));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(124, 100));
    QTest::qWait(300);
    Save(b, QStringLiteral("7-after-drag"));
    Click(b, "cmd1_0");
  });
  msgFrm(windowSystem)
      .msg_Box("Dragged 120 pixels right and 40 down: the tail is gone, the shadow is new.", 1, "Drag", false, {}, {},
               {}, {}, 0, 400, 700, 30);

  Settle();
  msgFrm notice(windowSystem);
  notice.MsgAuto_box("The Program Still Running Here", 64, "Program notification", 5, true,
                     242u | (248u << 8) | (200u << 16), static_cast<float>(screen.width() - 40),
                     static_cast<float>(screen.height()), 0);
  QTest::qWait(500);
  Save(notice, QStringLiteral("8-still-running"));
  notice.MsgAuto_box("The Program Still Running Here", 64, "Program notification", 5, false, 0, 700, 300, 0);
  QTest::qWait(500);
  Save(notice, QStringLiteral("9-timed-with-tail"));
  return 0;
}
