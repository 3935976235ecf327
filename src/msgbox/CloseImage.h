// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The timed balloon's close image: shows its normal, hover and pressed cells as the pointer
// enters, presses and leaves, and reports a click (press and release over it).
#include <QColor>
#include <QLabel>

namespace zf {

class CloseImage : public QLabel {
  Q_OBJECT

 public:
  explicit CloseImage(QWidget* parent = nullptr);
  // Back to the normal cell on `background`.
  void Reset(QColor background);
  int ShownCell() const { return m_cell; }

 signals:
  void clicked();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Show(int cell);

  QColor m_background;
  int m_cell = 0;
  bool m_hovered = false;  // the hover cell is drawn once per visit
};

}  // namespace zf
