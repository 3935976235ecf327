#include "screens/TabStopLabel.h"

#include <QPainter>

namespace zf {
namespace {

// Tab stops every eight average character widths, as the system's own labels place them.
constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs;

}  // namespace

QString TabStopLabel::DisplayText() const {
  QString display = text();
  display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  while (display.endsWith(u'\n')) display.chop(1);
  return display;
}

QRect TabStopLabel::TextArea() const {
  return contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
}

QSize TabStopLabel::sizeHint() const {
  const QSize text = fontMetrics().boundingRect(QRect(), kFlags, DisplayText()).size();
  return text.grownBy(contentsMargins() + QMargins(margin(), margin(), margin(), margin()));
}

QSize TabStopLabel::minimumSizeHint() const { return sizeHint(); }

void TabStopLabel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  painter.drawText(TextArea(), kFlags, DisplayText());
}

}  // namespace zf
