// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection graph, in the look of the status graphs: the median round trip per bucket as
// a green line over a darker band up to the 95th percentile, red marks above buckets with
// time-outs, the loss per bucket as red bars in the strip below, tuning runs as yellow lines.
#include <QWidget>

#include "history/HistoryView.h"

namespace zf {

class HistoryGraph : public QWidget {
  Q_OBJECT

 public:
  static inline const QColor kLineColor{0, 255, 0};
  static inline const QColor kBandColor{0, 80, 0};
  static inline const QColor kLossColor{255, 48, 48};
  static inline const QColor kTuningColor{255, 220, 0};

  explicit HistoryGraph(QWidget* parent = nullptr);

  void SetData(GraphData data);
  const GraphData& Data() const { return m_data; }

  QSize sizeHint() const override { return {480, 200}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void DrawRoundTrips(class QPainter& painter, const GraphLayout& layout) const;
  void DrawLoss(QPainter& painter, const GraphLayout& layout) const;
  void DrawTunings(QPainter& painter, const GraphLayout& layout) const;

  GraphData m_data;
};

}  // namespace zf
