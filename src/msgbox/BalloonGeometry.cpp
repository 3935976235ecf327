// SPDX-License-Identifier: GPL-3.0-or-later
#include "msgbox/BalloonGeometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zf {

namespace {

// The tail's corner sits 42 pixels in from the window's side.
constexpr int kTailInset = 42;
constexpr int kShadowDepth = 18;

// How far a rounded rectangle's row is cut in at each side, for the row whose centre is dy from
// the straight part of the edge.
double CornerInset(double dy, double rx, double ry) {
  if (dy <= 0 || ry <= 0) return 0;
  const double t = std::min(1.0, dy / ry);
  return rx - rx * std::sqrt(1.0 - t * t);
}

}  // namespace

QPoint BalloonTarget(float X, float Y, QPoint cursor) {
  if (X == 0 || Y == 0) return cursor;
  return {static_cast<int>(std::lround(X)), static_cast<int>(std::lround(Y))};
}

BalloonPlacement PlaceBalloon(QPoint target, QSize screen, QSize window) {
  const bool left = 2 * target.x() <= screen.width();
  const bool top = 2 * target.y() <= screen.height();
  BalloonPlacement placement;
  placement.style = top ? (left ? 4 : 2) : (left ? 3 : 1);
  placement.topLeft.setX(left ? target.x() - kTailInset : target.x() + kTailInset - window.width());
  placement.topLeft.setY(top ? target.y() : target.y() - window.height());
  return placement;
}

QRegion RoundRectRegion(int x1, int y1, int x2, int y2, int ellipseWidth, int ellipseHeight) {
  if (x2 <= x1 || y2 <= y1) return {};
  const double rx = std::min(ellipseWidth, x2 - x1) / 2.0;
  const double ry = std::min(ellipseHeight, y2 - y1) / 2.0;
  std::vector<QRect> bands;
  for (int y = y1; y < y2; ++y) {
    const double centre = y + 0.5;
    const double dy = std::max(y1 + ry - centre, centre - (y2 - ry));
    const double inset = CornerInset(dy, rx, ry);
    const int left = static_cast<int>(std::ceil(x1 + inset - 0.5));
    const int right = static_cast<int>(std::floor(x2 - inset - 0.5));
    if (right < left) continue;
    if (!bands.empty() && bands.back().left() == left && bands.back().right() == right &&
        bands.back().bottom() == y - 1) {
      bands.back().setBottom(y);
    } else {
      bands.emplace_back(QPoint(left, y), QPoint(right, y));
    }
  }
  QRegion region;
  region.setRects(bands.data(), static_cast<int>(bands.size()));
  return region;
}

QRegion BodyRegion(QSize window) { return RoundRectRegion(0, 20, window.width() - 14, window.height() - 32, 20, 20); }

QRect BodyFaceRect(QSize window) {
  // A one-pixel pen on this rect covers (0, 20) to (W − 16, H − 34): one inside the body's edge.
  return QRect(0, 20, window.width() - 16, window.height() - 54);
}

QRegion ShadowRegion(QSize window) { return RoundRectRegion(11, 29, window.width() - 5, window.height() - 23, 45, 35); }

TailTriangles TailFor(int style, QSize window) {
  const int W = window.width();
  const int H = window.height();
  switch (style) {
    case 1:
      return {QPolygon({{W - 61, H - 34}, {W - 36, H - 34}, {W - 36, H - 9}}),
              QPolygon({{W - 62, H - 35}, {W - 37, H - 35}, {W - 37, H - 11}})};
    case 2:
      return {QPolygon({{W - 58, 20}, {W - 38, 20}, {W - 38, 0}}), QPolygon({{W - 59, 22}, {W - 39, 22}, {W - 39, 2}})};
    case 3:
      return {QPolygon({{41, H - 34}, {66, H - 34}, {41, H - 9}}),
              QPolygon({{42, H - 35}, {66, H - 35}, {42, H - 11}})};
    case 4: return {QPolygon({{40, 20}, {60, 20}, {40, 0}}), QPolygon({{41, 21}, {59, 21}, {41, 3}})};
    default: return {};
  }
}

QRgb BlendColor(QRgb c1, QRgb c2, int a, int b) {
  const auto mix = [a, b](int v1, int v2) { return std::clamp((v1 * (a + b) + v2 * (256 - a)) / 256, 0, 255); };
  return qRgb(mix(qRed(c1), qRed(c2)), mix(qGreen(c1), qGreen(c2)), mix(qBlue(c1), qBlue(c2)));
}

void PaintShadowBands(QImage& canvas, const QImage& backdrop, int Inty) {
  const int w = canvas.width() - 5;
  const int h = canvas.height() - 23;
  if (w < kShadowDepth + 5 || h < kShadowDepth + 23 || backdrop.size() != canvas.size()) return;
  const QRgb black = qRgb(0, 0, 0);
  int d = 0;
  for (int n = kShadowDepth - 1; n >= 0; --n) {
    if (n % 2 == 1) d += 20;
    for (int x = n + 5; x <= w - n; ++x)
      canvas.setPixel(x, h - n, BlendColor(backdrop.pixel(x, h - n), black, d, Inty));
    for (int y = n + 23; y <= h - n; ++y)
      canvas.setPixel(w - n, y, BlendColor(backdrop.pixel(w - n, y), black, d, Inty));
  }
}

}  // namespace zf
