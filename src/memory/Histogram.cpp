// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/Histogram.h"

#include <QPainter>
#include <algorithm>

#include "memory/StatusFigures.h"

namespace zf {
namespace {

constexpr int kGridLines = 4;

}  // namespace

Histogram::Histogram(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(60, 30);
}

void Histogram::setCurrentValue(double sample) {
  m_current = GraphValue(sample);
  m_samples.push_back(m_current);
  DropOldSamples();
  update();
}

void Histogram::setNewcolor(const QColor& color) {
  m_newcolor = color;
  update();
}

void Histogram::setMaxlines(int lines) {
  m_maxlines = std::max(1, lines);
  DropOldSamples();
  update();
}

void Histogram::setZoom(int zoom) {
  m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  update();
}

void Histogram::DropOldSamples() {
  while (static_cast<int>(m_samples.size()) > m_maxlines) m_samples.pop_front();
}

void Histogram::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRectF area = rect();
  painter.fillRect(area, Qt::black);
  painter.setPen(QColor(0, 96, 0));
  for (int line = 1; line < kGridLines; ++line) {
    const double y = area.height() * line / kGridLines;
    painter.drawLine(QPointF(0, y), QPointF(area.width(), y));
  }
  // The full height stands for 0..3000/zoom: 0..100 at the smallest zoom.
  const double fullScale = 100.0 * kMinZoom / m_zoom;
  const double barWidth = area.width() / m_maxlines;
  const double firstLeft = area.width() - barWidth * static_cast<double>(m_samples.size());
  for (std::size_t i = 0; i < m_samples.size(); ++i) {
    const double share = std::clamp(m_samples[i] / fullScale, 0.0, 1.0);
    const QRectF bar(firstLeft + barWidth * static_cast<double>(i), area.height() * (1.0 - share),
                     std::max(1.0, barWidth - 1.0), area.height() * share);
    painter.fillRect(bar, m_newcolor);
  }
  painter.setPen(QColor(0, 160, 0));
  painter.drawRect(area.adjusted(0, 0, -1, -1));
}

}  // namespace zf
