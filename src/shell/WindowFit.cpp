// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/WindowFit.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace zf {
namespace {

constexpr char kScaleVariable[] = "QT_SCALE_FACTOR";
// Rounding to device pixels must never make the window a pixel too large.
constexpr double kMargin = 0.995;

}  // namespace

std::optional<double> FitScaleFactor(QSize window, QSize available, double currentFactor) {
  if (window.isEmpty() || available.isEmpty() || currentFactor <= 0) return std::nullopt;
  if (window.width() <= available.width() && window.height() <= available.height()) return std::nullopt;
  const double fit = std::min(static_cast<double>(available.width()) / window.width(),
                              static_cast<double>(available.height()) / window.height());
  return currentFactor * fit * kMargin;
}

std::optional<double> MainWindowFitFactor(QSize window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return std::nullopt;
  bool set = false;
  double current = qEnvironmentVariable(kScaleVariable).toDouble(&set);
  if (!set || current <= 0) current = 1.0;
  return FitScaleFactor(window, screen->availableGeometry().size(), current);
}

ScaleFactorOverride::ScaleFactorOverride(double factor)
    : m_wasSet(qEnvironmentVariableIsSet(kScaleVariable)), m_previous(qgetenv(kScaleVariable)) {
  qputenv(kScaleVariable, QByteArray::number(factor, 'f', 4));
}

ScaleFactorOverride::~ScaleFactorOverride() {
  if (m_wasSet)
    qputenv(kScaleVariable, m_previous);
  else
    qunsetenv(kScaleVariable);
}

}  // namespace zf
