// SPDX-License-Identifier: GPL-3.0-or-later
#include "msgbox/BalloonWindow.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include "msgbox/BalloonGeometry.h"
#include "msgbox/MsgFrmLayout.h"

namespace zf {

namespace {

const QColor kBodyEdge(70, 70, 70);
constexpr int kSystemMoveRestMs = 300;

// The screen's pixels in `area`; a null image where the platform does not let us read them.
QImage GrabScreen(const QRect& area) {
  QScreen* screen = QGuiApplication::screenAt(area.center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const QPoint origin = screen->geometry().topLeft();
  const QImage grabbed =
      screen->grabWindow(0, area.x() - origin.x(), area.y() - origin.y(), area.width(), area.height()).toImage();
  if (grabbed.isNull()) return {};
  return grabbed.convertToFormat(QImage::Format_RGB32).scaled(area.size());
}

}  // namespace

BalloonWindow::BalloonWindow(IWindowSystem& windowSystem, QWidget* parent)
    : QDialog(parent),
      m_windowSystem(windowSystem),
      m_balloonColour(BalloonColor(0)),
      m_twipsPerPixelX(TwipsPerPixel(logicalDpiX())),
      m_twipsPerPixelY(TwipsPerPixel(logicalDpiY())) {
  m_systemMoveSettled.setSingleShot(true);
  m_systemMoveSettled.setInterval(kSystemMoveRestMs);
  connect(&m_systemMoveSettled, &QTimer::timeout, this, &BalloonWindow::EndDrag);
}

void BalloonWindow::DrawBalloon(bool NoPointer, float X, float Y, int Inty) {
  const int style = GetPointerStyle(X, Y);
  const QRegion shadow = n_GetShadowRect(Inty);
  const QRegion body = n_GetMainRect();
  // A tail not drawn this time must not reappear from an earlier shape of the same window.
  const QRegion tail = NoPointer ? QRegion() : n_SetPointer(style);
  setMask(body | shadow | tail);
  update();
}

int BalloonWindow::GetPointerStyle(float X, float Y) {
  const ScreenPoint cursor = m_windowSystem.CursorPosition();
  const QPoint target = BalloonTarget(X, Y, QPoint(cursor.x, cursor.y));
  const BalloonPlacement placement = PlaceBalloon(target, GetScreenSize(), size());
  // Read before moving: a shown window would otherwise cover what it needs to see.
  ReadBackdrop(QRect(placement.topLeft, size()));
  move(placement.topLeft);
  return placement.style;
}

QRegion BalloonWindow::n_GetShadowRect(int Inty) {
  EnsureCanvas();
  const QRect area(pos(), size());
  if (m_backdropArea != area) ReadBackdrop(area);
  PaintShadowBands(m_canvas, m_backdrop, Inty);
  update();
  return ShadowRegion(size());
}

QRegion BalloonWindow::n_GetMainRect() {
  EnsureCanvas();
  m_bodyRegion = BodyRegion(size());
  QPainter painter(&m_canvas);
  painter.setClipRegion(m_bodyRegion);
  painter.fillRect(m_canvas.rect(), kBodyEdge);
  painter.setClipping(false);
  painter.setPen(Qt::black);
  painter.setBrush(m_balloonColour);
  painter.drawRoundedRect(BodyFaceRect(size()), kBodyFaceRadius, kBodyFaceRadius);
  update();
  return m_bodyRegion;
}

QRegion BalloonWindow::n_SetPointer(int style) {
  const TailTriangles tail = TailFor(style, size());
  if (tail.outer.isEmpty()) return m_tailRegion;
  EnsureCanvas();
  m_tailRegion = QRegion(tail.outer, Qt::OddEvenFill);
  QPainter painter(&m_canvas);
  painter.setClipRegion(m_tailRegion);
  painter.fillRect(m_canvas.rect(), Qt::black);
  painter.setClipping(false);
  painter.setPen(Qt::NoPen);
  painter.setBrush(m_balloonColour);
  painter.drawPolygon(tail.inner);
  update();
  return m_tailRegion;
}

void BalloonWindow::n_RefreshShadow(int Inty) {
  const QRegion shadow = n_GetShadowRect(Inty);
  const QRegion body = n_GetMainRect();
  setMask(body | shadow);
}

QSize BalloonWindow::GetScreenSize() const {
  const ScreenPoint screen = m_windowSystem.ScreenSize();
  return {screen.x, screen.y};
}

void BalloonWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, m_canvas);
}

void BalloonWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !CanDrag() || m_drag != Drag::None) return QDialog::mousePressEvent(event);
  event->accept();
  BeginDrag(event->globalPosition().toPoint());
}

void BalloonWindow::mouseMoveEvent(QMouseEvent* event) {
  if (m_drag != Drag::Manual) return QDialog::mouseMoveEvent(event);
  move(event->globalPosition().toPoint() - m_dragOffset);
}

void BalloonWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (m_drag != Drag::Manual || event->button() != Qt::LeftButton) return QDialog::mouseReleaseEvent(event);
  releaseMouse();
  EndDrag();
}

void BalloonWindow::moveEvent(QMoveEvent* event) {
  if (m_drag == Drag::System) m_systemMoveSettled.start();
  QDialog::moveEvent(event);
}

void BalloonWindow::BeginDrag(QPoint pressGlobal) {
  setMask(m_bodyRegion);
  DrawDragLines();
  if (QWidget::mouseGrabber() == this) releaseMouse();
  if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
    m_drag = Drag::System;
    m_systemMoveSettled.start();
    return;
  }
  // Without a window manager that moves windows for us, follow the pointer ourselves.
  m_drag = Drag::Manual;
  m_dragOffset = pressGlobal - pos();
  grabMouse();
}

void BalloonWindow::EndDrag() {
  m_drag = Drag::None;
  m_windowSystem.DoEvents(1);
  n_RefreshShadow(Tag.toInt());
}

void BalloonWindow::DrawDragLines() {
  EnsureCanvas();
  QPainter painter(&m_canvas);
  painter.setPen(Qt::black);
  painter.drawLine(5, 20, width() - 5, 20);
  painter.drawLine(5, height() - 25, width() - 5, height() - 25);
  update();
}

void BalloonWindow::EnsureCanvas() {
  if (m_canvas.size() == size()) return;
  m_canvas = QImage(size(), QImage::Format_RGB32);
  m_canvas.fill(m_balloonColour);
}

void BalloonWindow::ReadBackdrop(const QRect& area) {
  QImage backdrop = GrabScreen(area);
  if (backdrop.isNull()) {
    // Nothing to read (offscreen, or a platform that hides the screen): shade a neutral backdrop.
    backdrop = QImage(area.size(), QImage::Format_RGB32);
    backdrop.fill(palette().color(QPalette::Window));
  }
  if (isVisible() && !m_backdrop.isNull()) {
    QPainter painter(&backdrop);
    painter.drawImage(m_backdropArea.topLeft() - area.topLeft(), m_backdrop);
  }
  m_backdrop = backdrop;
  m_backdropArea = area;
}

}  // namespace zf
