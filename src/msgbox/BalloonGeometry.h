// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The balloon's shape, tail, shadow and placement, in window pixels. No widget here: the window
// paints and applies what these compute.
#include <QImage>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRegion>
#include <QSize>

namespace zf {

// Corner of the tail: 1 bottom-right, 2 top-right, 3 bottom-left, 4 top-left.
inline constexpr int kNoTail = 0;

struct BalloonPlacement {
  int style = kNoTail;
  QPoint topLeft;
};

// The point the tail aims at; an X or Y of 0 means the mouse cursor.
QPoint BalloonTarget(float X, float Y, QPoint cursor);

// Picks the corner by the screen quarter the target lies in (the centre counts as left and top)
// and places the window so that corner's tail ends next to the target.
BalloonPlacement PlaceBalloon(QPoint target, QSize screen, QSize window);

// A rounded rectangle from (x1, y1) to (x2, y2), right and bottom edges left out, whose corners
// are quarters of an ellipseWidth × ellipseHeight ellipse.
QRegion RoundRectRegion(int x1, int y1, int x2, int y2, int ellipseWidth, int ellipseHeight);

// The dark-grey body; the coloured, black-edged face is drawn one pixel inside it.
QRegion BodyRegion(QSize window);
QRect BodyFaceRect(QSize window);
inline constexpr int kBodyFaceRadius = 12;

QRegion ShadowRegion(QSize window);

struct TailTriangles {
  QPolygon outer;  // black, and the tail's part of the window shape
  QPolygon inner;  // balloon colour, overlapping the body's edge so the tail joins it
};
// Empty polygons for kNoTail.
TailTriangles TailFor(int style, QSize window);

// Per red, green and blue byte: (c1 × (a + b) + c2 × (256 − a)) / 256, truncated.
QRgb BlendColor(QRgb c1, QRgb c2, int a, int b);

// Darkens the 18-pixel bands along the bottom and right of `canvas` (the window's pixels) from
// `backdrop`, the screen pixels behind the window at the same coordinates: the outer rows keep most
// of the backdrop, the inner ones least; `Inty` lightens them all.
void PaintShadowBands(QImage& canvas, const QImage& backdrop, int Inty);

}  // namespace zf
