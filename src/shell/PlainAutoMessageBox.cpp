#include "shell/PlainAutoMessageBox.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

namespace zf {
namespace {

QMessageBox::Icon IconFor(std::int32_t mFlags) {
  switch (mFlags & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// Keeps the box's corner at the point while staying on the screen.
QPoint PlaceNear(const QSize& size, float X, float Y) {
  QPoint corner(static_cast<int>(X) - size.width(), static_cast<int>(Y) - size.height());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    corner.setX(qBound(area.left(), corner.x(), area.right() - size.width()));
    corner.setY(qBound(area.top(), corner.y(), area.bottom() - size.height()));
  }
  return corner;
}

}  // namespace

QString PlainAutoMessageBox::MsgAuto_box(const QString& mPrompt, std::int32_t mFlags, const QString& mCaption,
                                         std::int16_t nTime, bool, std::uint32_t, float X, float Y, std::int16_t) {
  QMessageBox box(IconFor(mFlags), mCaption, mPrompt, QMessageBox::Ok);
  box.adjustSize();
  box.move(PlaceNear(box.sizeHint(), X, Y));
  if (nTime > 0) QTimer::singleShot(nTime * 1000, &box, &QMessageBox::accept);
  box.exec();
  return {};
}

}  // namespace zf
