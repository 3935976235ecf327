// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's tray: one icon with a tip, a balloon on it, and the mouse presses on it.
#include <QIcon>
#include <QString>
#include <functional>

namespace zf {

// Mouse message numbers, as the tray control expects them.
inline constexpr int kTrayMouseMove = 512;
inline constexpr int kTrayLeftButtonDown = 513;
inline constexpr int kTrayLeftButtonUp = 514;
inline constexpr int kTrayLeftDoubleClick = 515;
inline constexpr int kTrayRightButtonDown = 516;

class ITrayService {
 public:
  virtual ~ITrayService() = default;
  virtual void Add(const QIcon& icon, const QString& tip) = 0;
  virtual void Modify(const QIcon& icon, const QString& tip) = 0;
  virtual void Delete() = 0;
  // A balloon with the information icon; shows nothing while no icon is in the tray.
  virtual void ShowBalloon(const QString& title, const QString& text) = 0;
  virtual void SetMouseHandler(std::function<void(int message)> handler) = 0;
  // False where the desktop has no tray: a window hidden into it could never come back.
  virtual bool IsAvailable() const = 0;
};

}  // namespace zf
