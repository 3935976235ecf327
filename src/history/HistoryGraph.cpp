// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/HistoryGraph.h"

#include <QPainter>
#include <QPainterPath>

namespace zf {
namespace {

constexpr int kGridLines = 4;
constexpr double kTimeoutMarkHeight = 6.0;

}  // namespace

HistoryGraph::HistoryGraph(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(120, 60);
}

void HistoryGraph::SetData(GraphData data) {
  m_data = std::move(data);
  update();
}

void HistoryGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const GraphLayout layout{static_cast<double>(width()), static_cast<double>(height())};
  painter.fillRect(rect(), Qt::black);
  painter.setPen(QColor(0, 96, 0));
  for (int line = 1; line < kGridLines; ++line) {
    const double y = layout.PlotHeight() * line / kGridLines;
    painter.drawLine(QPointF(0, y), QPointF(layout.width, y));
  }
  painter.drawLine(QPointF(0, layout.PlotHeight()), QPointF(layout.width, layout.PlotHeight()));
  DrawLoss(painter, layout);
  DrawRoundTrips(painter, layout);
  DrawTunings(painter, layout);
  painter.setPen(QColor(0, 160, 0));
  painter.drawText(QPointF(4, 12), QString::number(m_data.scaleMs) + QStringLiteral(" ms"));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void HistoryGraph::DrawRoundTrips(QPainter& painter, const GraphLayout& layout) const {
  const std::size_t count = m_data.buckets.size();
  QPainterPath line;
  bool drawing = false;
  for (std::size_t i = 0; i < count; ++i) {
    const EchoSummary& bucket = m_data.buckets[i];
    const double left = layout.BucketLeft(i, count);
    const double right = layout.BucketLeft(i + 1, count);
    if (bucket.lost > 0) {
      painter.fillRect(QRectF(left, 0, std::max(1.0, right - left), kTimeoutMarkHeight), kLossColor);
    }
    if (!bucket.medianMs) {
      drawing = false;  // no reply: a gap, not a line across it
      continue;
    }
    const double top = layout.RoundTripY(*bucket.p95Ms, m_data.scaleMs);
    const double bottom = layout.RoundTripY(*bucket.minMs, m_data.scaleMs);
    painter.fillRect(QRectF(left, top, std::max(1.0, right - left), std::max(1.0, bottom - top)), kBandColor);
    const QPointF point(layout.BucketCenter(i, count), layout.RoundTripY(*bucket.medianMs, m_data.scaleMs));
    if (drawing) {
      line.lineTo(point);
    } else {
      line.moveTo(point);
      line.lineTo(point + QPointF(0.01, 0));  // a lone bucket still shows
    }
    drawing = true;
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(kLineColor, 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(line);
}

void HistoryGraph::DrawLoss(QPainter& painter, const GraphLayout& layout) const {
  const std::size_t count = m_data.buckets.size();
  for (std::size_t i = 0; i < count; ++i) {
    const auto loss = m_data.buckets[i].LossPercent();
    if (!loss || *loss <= 0) continue;
    const double left = layout.BucketLeft(i, count);
    const double top = layout.LossTop(*loss);
    painter.fillRect(QRectF(left, top, std::max(1.0, layout.BucketLeft(i + 1, count) - left - 1), layout.height - top),
                     kLossColor);
  }
}

void HistoryGraph::DrawTunings(QPainter& painter, const GraphLayout& layout) const {
  painter.setPen(QPen(kTuningColor, 1, Qt::DashLine));
  for (const TuningMark& mark : m_data.tunings) {
    const double x = std::floor(layout.TimeX(mark.timeMs, m_data)) + 0.5;
    painter.drawLine(QPointF(x, 0), QPointF(x, layout.height));
    painter.drawText(QPointF(x + 3, layout.height - 4), QString::fromStdString(mark.backupName));
  }
}

}  // namespace zf
