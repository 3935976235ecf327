// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A borderless window shaped as a speech balloon: a rounded body with a dark edge, a drop shadow
// darkened from the screen behind it, and a tail towards a target point. Dragging it moves the
// window; afterwards the shadow is made afresh at the new place and the tail is gone.
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QRegion>
#include <QString>
#include <QTimer>

#include "platform/window.h"

namespace zf {

class BalloonWindow : public QDialog {
  Q_OBJECT

 public:
  explicit BalloonWindow(IWindowSystem& windowSystem, QWidget* parent = nullptr);

  // Places the window so its tail points at (X, Y) and gives it its shape and look. The window's
  // size and balloon colour must be final.
  void DrawBalloon(bool NoPointer, float X, float Y, int Inty);
  // Moves the window next to the target; returns the tail's corner style.
  int GetPointerStyle(float X, float Y);
  // Each paints its part and returns its region of the window shape.
  QRegion n_GetMainRect();
  QRegion n_GetShadowRect(int Inty);
  QRegion n_SetPointer(int style);
  // Body and a fresh shadow, no tail.
  void n_RefreshShadow(int Inty);
  QSize GetScreenSize() const;

  QColor BalloonColour() const { return m_balloonColour; }
  int TwipsPerPixelX() const { return m_twipsPerPixelX; }
  int TwipsPerPixelY() const { return m_twipsPerPixelY; }
  bool IsDragging() const { return m_drag != Drag::None; }

 protected:
  void SetBalloonColour(QColor colour) { m_balloonColour = colour; }
  virtual bool CanDrag() const { return true; }

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

  IWindowSystem& m_windowSystem;
  // The shadow lightening as text, kept for rebuilding the shadow after a drag; empty means 0.
  QString Tag;

 private:
  enum class Drag { None, Manual, System };

  void BeginDrag(QPoint pressGlobal);
  void EndDrag();
  void DrawDragLines();
  void EnsureCanvas();
  // Reads the screen behind `area` into m_backdrop; where the window itself covers the screen,
  // the pixels kept from the last reading stand in for it.
  void ReadBackdrop(const QRect& area);

  QColor m_balloonColour;
  int m_twipsPerPixelX;
  int m_twipsPerPixelY;
  QImage m_canvas;  // what the window shows inside its shape
  QRegion m_bodyRegion;
  QRegion m_tailRegion;
  QImage m_backdrop;
  QRect m_backdropArea;
  Drag m_drag = Drag::None;
  QPoint m_dragOffset;
  QTimer m_systemMoveSettled;  // a system move reports no end: it ends when the window rests
};

}  // namespace zf
