// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The balloon's icon strip: twelve 16 × 16 cells in a row, pure green where the background shows.
#include <QColor>
#include <QImage>

class QLabel;

namespace zf {

inline constexpr int kIconCellSize = 16;
inline constexpr int kCloseNormalCell = 9;
inline constexpr int kCloseHoverCell = 10;
inline constexpr int kClosePressedCell = 11;

// The strip built into the program; loaded once.
const QImage& BalloonIconStrip();

// Cell k (1-based) of `strip`, its pure green pixels replaced by `background`.
QImage IconCell(const QImage& strip, int k, int cellSize, QColor background);

// Shows cell k of the program's strip on `background` as the label's picture.
void DrawIconCell(QLabel* target, int k, int cellSize, QColor background);

}  // namespace zf
