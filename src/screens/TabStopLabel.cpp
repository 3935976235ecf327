#include "screens/TabStopLabel.h"

#include <QPainter>

namespace zf {

QString TabStopLabel::DisplayText() const {
  QString display = text();
  display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return display;
}

// Tab stops every eight average character widths, as the system's own labels place them.
int TabStopLabel::Flags() const { return static_cast<int>(alignment()) | Qt::TextExpandTabs; }

QSize TabStopLabel::sizeHint() const {
  const QRect bounds = fontMetrics().boundingRect(QRect(0, 0, 10000, 10000), Flags(), DisplayText());
  const QMargins margins = contentsMargins();
  return bounds.size().grownBy(margins) + QSize(2 * margin(), 2 * margin());
}

QSize TabStopLabel::minimumSizeHint() const { return sizeHint(); }

void TabStopLabel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  painter.drawText(contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin())), Flags(),
                   DisplayText());
}

}  // namespace zf
