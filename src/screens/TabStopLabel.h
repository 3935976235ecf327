// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A label for texts laid out in columns with tabs: tabs go to tab stops and CR LF breaks
// lines. text() stays exactly what was set.
#include <QLabel>

namespace zf {

class TabStopLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Line breaks as the painter knows them; the empty lines that end the text draw nothing.
  QString DisplayText() const;
  QRect TextArea() const;
};

}  // namespace zf
