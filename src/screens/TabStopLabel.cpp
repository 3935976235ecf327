// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/TabStopLabel.h"

#include <QPainter>

namespace zf {
namespace {

// Tab stops every eight average character widths, as the system's own labels place them.
constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs;

// An empty line only separates: half a line's height is enough, and it keeps long summaries
// inside their fixed frame.
int LineHeight(const QFontMetrics& metrics, const QString& line) {
  return line.isEmpty() ? metrics.lineSpacing() / 2 : metrics.lineSpacing();
}

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
  const QFontMetrics metrics = fontMetrics();
  QSize text;
  for (const QString& line : DisplayText().split(u'\n')) {
    text.setWidth(qMax(text.width(), metrics.boundingRect(QRect(), kFlags, line).width()));
    text.rheight() += LineHeight(metrics, line);
  }
  return text.grownBy(contentsMargins() + QMargins(margin(), margin(), margin(), margin()));
}

QSize TabStopLabel::minimumSizeHint() const { return sizeHint(); }

void TabStopLabel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  const QFontMetrics metrics = fontMetrics();
  QRect area = TextArea();
  for (const QString& line : DisplayText().split(u'\n')) {
    if (!line.isEmpty()) painter.drawText(area, kFlags, line);
    area.setTop(area.top() + LineHeight(metrics, line));
  }
}

}  // namespace zf
