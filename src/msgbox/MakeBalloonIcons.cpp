// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the balloon's icon strip: twelve 16 × 16 cells side by side, pure green where transparent.
//   cmake --build build --target zf_make_balloon_icons
//   QT_QPA_PLATFORM=offscreen build/bin/zf_make_balloon_icons data/balloon-icons.png
// Cells: 1 stop, 2 exclamation, 3 information, 4 question, 5 done, 6 speed, 7 tip, 8 clock,
// 9 to 11 the close image (normal, hover, pressed), 12 the close image greyed.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kCell = 16;
const QColor kPureGreen(0, 255, 0);
// Edge pixels are settled against the usual balloon colour, so they do not fringe on it.
const QColor kSettleOn(255, 255, 204);

using CellPainter = std::function<void(QPainter&)>;

void Disc(QPainter& p, QColor fill, QColor edge) {
  p.setPen(QPen(edge, 1));
  p.setBrush(fill);
  p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
}

void Cross(QPainter& p, QColor colour, qreal width, QPointF offset = {}) {
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(5, 5) + offset, QPointF(11, 11) + offset);
  p.drawLine(QPointF(11, 5) + offset, QPointF(5, 11) + offset);
}

void Glyph(QPainter& p, const QString& text, QColor colour) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(12);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(QRectF(0, 0.5, 16, 16), Qt::AlignCenter, text);
}

void Stop(QPainter& p) {
  Disc(p, QColor(205, 35, 30), QColor(130, 10, 10));
  Cross(p, Qt::white, 2.2);
}

void Exclamation(QPainter& p) {
  QPainterPath triangle;
  triangle.moveTo(8, 0.8);
  triangle.lineTo(15.4, 14.6);
  triangle.lineTo(0.6, 14.6);
  triangle.closeSubpath();
  p.setPen(QPen(QColor(160, 105, 0), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(250, 195, 35));
  p.drawPath(triangle);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 30, 30));
  p.drawRoundedRect(QRectF(7, 4.5, 2, 6), 0.8, 0.8);
  p.drawEllipse(QRectF(7, 11.3, 2, 2));
}

void Information(QPainter& p) {
  Disc(p, QColor(35, 100, 205), QColor(15, 55, 140));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(6.8, 3, 2.4, 2.4));
  p.drawRect(QRectF(7, 6.5, 2, 6.5));
}

void Question(QPainter& p) {
  Disc(p, QColor(35, 100, 205), QColor(15, 55, 140));
  Glyph(p, QStringLiteral("?"), Qt::white);
}

void Done(QPainter& p) {
  Disc(p, QColor(40, 150, 70), QColor(15, 95, 35));
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(QPolygonF({{4.3, 8.4}, {7, 11}, {11.7, 5.3}}));
}

void Speed(QPainter& p) {
  QPolygonF bolt({{9.5, 0.8}, {2.8, 9}, {7.3, 9}, {6, 15.2}, {13.2, 6.2}, {8.6, 6.2}, {10.6, 0.8}});
  p.setPen(QPen(QColor(165, 80, 0), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(250, 150, 25));
  p.drawPolygon(bolt);
}

void Tip(QPainter& p) {
  p.setPen(QPen(QColor(165, 125, 0), 1));
  p.setBrush(QColor(255, 220, 60));
  p.drawEllipse(QRectF(3, 0.5, 10, 10));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(110, 110, 110));
  p.drawRoundedRect(QRectF(5.5, 10.5, 5, 4.5), 1, 1);
  p.setPen(QPen(QColor(200, 200, 200), 1));
  p.drawLine(QPointF(5.5, 12.5), QPointF(10.5, 12.5));
}

void Clock(QPainter& p) {
  Disc(p, Qt::white, QColor(70, 70, 70));
  p.setPen(QPen(QColor(40, 40, 40), 1.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(8, 8), QPointF(8, 3.5));
  p.drawLine(QPointF(8, 8), QPointF(11.5, 9.5));
}

void CloseBox(QPainter& p, QColor fill, QPointF offset) {
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(1, 1, 14, 14).translated(offset), 3, 3);
  Cross(p, Qt::white, 1.8, offset);
}

QImage DrawCell(const CellPainter& paint) {
  QImage cell(kCell, kCell, QImage::Format_ARGB32);
  cell.fill(Qt::transparent);
  QPainter painter(&cell);
  painter.setRenderHint(QPainter::Antialiasing);
  paint(painter);
  return cell;
}

// Every pixel either opaque or pure green: the strip has no alpha of its own.
QImage Settle(const QImage& cell) {
  QImage settled(cell.size(), QImage::Format_RGB32);
  for (int y = 0; y < cell.height(); ++y) {
    for (int x = 0; x < cell.width(); ++x) {
      const QColor c = cell.pixelColor(x, y);
      const double a = c.alphaF();
      if (a < 0.35) {
        settled.setPixelColor(x, y, kPureGreen);
        continue;
      }
      const auto mix = [a](int v, int under) { return static_cast<int>(v * a + under * (1 - a) + 0.5); };
      QColor out(mix(c.red(), kSettleOn.red()), mix(c.green(), kSettleOn.green()), mix(c.blue(), kSettleOn.blue()));
      if (out == kPureGreen) out.setGreen(254);
      settled.setPixelColor(x, y, out);
    }
  }
  return settled;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  const std::vector<CellPainter> cells{
      Stop,
      Exclamation,
      Information,
      Question,
      Done,
      Speed,
      Tip,
      Clock,
      [](QPainter& p) { Cross(p, QColor(85, 85, 85), 1.8); },
      [](QPainter& p) { CloseBox(p, QColor(215, 60, 45), {}); },
      [](QPainter& p) {
        CloseBox(p, QColor(150, 30, 22), {0.6, 0.6});
      },
      [](QPainter& p) { Cross(p, QColor(175, 175, 175), 1.8); },
  };
  QImage strip(kCell * static_cast<int>(cells.size()), kCell, QImage::Format_RGB32);
  QPainter painter(&strip);
  for (int i = 0; i < static_cast<int>(cells.size()); ++i) painter.drawImage(i * kCell, 0, Settle(DrawCell(cells[i])));
  painter.end();
  if (!strip.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
