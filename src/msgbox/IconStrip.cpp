// SPDX-License-Identifier: GPL-3.0-or-later
#include "msgbox/IconStrip.h"

#include <QLabel>
#include <QPixmap>

// The strip lives in a resource of a static library, which the linker keeps only when asked.
static void InitMsgBoxResources() { Q_INIT_RESOURCE(msgbox); }

namespace zf {

const QImage& BalloonIconStrip() {
  static const QImage strip = [] {
    InitMsgBoxResources();
    return QImage(QStringLiteral(":/msgbox/balloon-icons.png")).convertToFormat(QImage::Format_RGB32);
  }();
  return strip;
}

QImage IconCell(const QImage& strip, int k, int cellSize, QColor background) {
  QImage cell = strip.copy(cellSize * (k - 1), 0, cellSize, cellSize).convertToFormat(QImage::Format_RGB32);
  const QRgb transparent = qRgb(0, 255, 0);
  const QRgb fill = background.rgb();
  for (int y = 0; y < cell.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(cell.scanLine(y));
    for (int x = 0; x < cell.width(); ++x) {
      if ((row[x] & RGB_MASK) == (transparent & RGB_MASK)) row[x] = fill;
    }
  }
  return cell;
}

void DrawIconCell(QLabel* target, int k, int cellSize, QColor background) {
  target->setPixmap(QPixmap::fromImage(IconCell(BalloonIconStrip(), k, cellSize, background)));
}

}  // namespace zf
