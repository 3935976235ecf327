// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The running graph of the system status screen: every sample put into the current value is
// added as a bar at the right; the oldest bar leaves on the left.
#include <QColor>
#include <QWidget>
#include <cstdint>
#include <deque>

namespace zf {

class Histogram : public QWidget {
  Q_OBJECT
  // Putting a number here adds it to the graph; it reads back as the graph keeps it: the
  // whole number nearest to it (ties to even).
  Q_PROPERTY(double currentValue READ currentValue WRITE setCurrentValue)
  // The colour of the bars.
  Q_PROPERTY(QColor newcolor READ newcolor WRITE setNewcolor)
  // How many samples fit across the graph.
  Q_PROPERTY(int maxlines READ maxlines WRITE setMaxlines)
  // 30 shows 0..100 on the full height; higher values magnify the lower part, up to 0..30 at 100.
  Q_PROPERTY(int zoom READ zoom WRITE setZoom)

 public:
  static constexpr int kMinZoom = 30;
  static constexpr int kMaxZoom = 100;

  explicit Histogram(QWidget* parent = nullptr);

  void setCurrentValue(double sample);
  double currentValue() const { return m_current; }

  QColor newcolor() const { return m_newcolor; }
  void setNewcolor(const QColor& color);
  int maxlines() const { return m_maxlines; }
  void setMaxlines(int lines);
  int zoom() const { return m_zoom; }
  // Clamped to 30..100.
  void setZoom(int zoom);

  QSize sizeHint() const override { return {180, 60}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void DropOldSamples();

  std::deque<std::int32_t> m_samples;
  std::int32_t m_current = 0;
  QColor m_newcolor{0, 255, 0};
  int m_maxlines = 30;
  int m_zoom = kMinZoom;
};

}  // namespace zf
