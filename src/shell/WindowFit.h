// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fixed-size window on a screen too small for it: the whole program is drawn smaller, so
// that every part of the window can be reached while its layout stays the same.
#include <QSize>
#include <optional>

namespace zf {

// The scale factor (QT_SCALE_FACTOR) that makes window fit available, the screen's area in
// the current logical pixels under currentFactor; none when it fits already.
std::optional<double> FitScaleFactor(QSize window, QSize available, double currentFactor);

// Called with the application just made: when the main window would not fit the primary
// screen, says which factor to make the application anew with.
std::optional<double> MainWindowFitFactor(QSize window);

// Makes the next application with factor, without handing the setting on to the programs
// this one starts: the returned guard puts the environment back once the application exists.
class ScaleFactorOverride {
 public:
  explicit ScaleFactorOverride(double factor);
  ~ScaleFactorOverride();
  ScaleFactorOverride(const ScaleFactorOverride&) = delete;
  ScaleFactorOverride& operator=(const ScaleFactorOverride&) = delete;

 private:
  bool m_wasSet;
  QByteArray m_previous;
};

}  // namespace zf
