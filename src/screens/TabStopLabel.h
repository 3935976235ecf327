#pragma once
// A label that lays out tabs at tab stops and breaks lines at CR LF, for texts built as
// columns with tabs. text() stays exactly what was set.
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
  QString DisplayText() const;
  int Flags() const;
};

}  // namespace zf
