// SPDX-License-Identifier: GPL-3.0-or-later
#include "msgbox/CloseImage.h"

#include <QMouseEvent>

#include "msgbox/IconStrip.h"

namespace zf {

CloseImage::CloseImage(QWidget* parent) : QLabel(parent) {
  setFixedSize(kIconCellSize, kIconCellSize);
  setCursor(Qt::PointingHandCursor);
  setAccessibleName(tr("Close"));
}

void CloseImage::Reset(QColor background) {
  m_background = background;
  m_hovered = false;
  Show(kCloseNormalCell);
}

void CloseImage::Show(int cell) {
  m_cell = cell;
  DrawIconCell(this, cell, kIconCellSize, m_background);
}

void CloseImage::enterEvent(QEnterEvent* event) {
  if (!m_hovered) {
    m_hovered = true;
    Show(kCloseHoverCell);
  }
  QLabel::enterEvent(event);
}

void CloseImage::leaveEvent(QEvent* event) {
  m_hovered = false;
  Show(kCloseNormalCell);
  QLabel::leaveEvent(event);
}

void CloseImage::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QLabel::mousePressEvent(event);
  Show(kClosePressedCell);
  event->accept();
}

void CloseImage::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QLabel::mouseReleaseEvent(event);
  Show(kCloseHoverCell);
  event->accept();
  if (rect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace zf
