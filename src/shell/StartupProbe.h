// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Start-up observation for whole-program tests and benchmarks, switched on by the environment
// variable ZENTROFAST_STARTUP_PROBE: the program reports on standard output when its window
// first shows ("shown") and when its load handler has run to its end ("loaded"), when the
// tray icon is added or removed and which plain messages it shows (and answers them at once
// instead of waiting for a click).
#include <QObject>
#include <functional>

#include "platform/tray.h"
#include "platform/window.h"

class QQuickWidget;
class QWidget;

namespace zf {

bool StartupProbeEnabled();
// Prints one line and flushes it.
void ProbeReport(const QString& line);

class ProbeMessageBox final : public IMessageBox {
 public:
  MsgAnswer Show(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override;
};

// Reports the tray calls, then passes them on.
class ProbeTrayService final : public ITrayService {
 public:
  explicit ProbeTrayService(ITrayService& inner) : m_inner(inner) {}
  void Add(const QIcon& icon, const QString& tip) override;
  void Modify(const QIcon& icon, const QString& tip) override { m_inner.Modify(icon, tip); }
  void Delete() override;
  void ShowBalloon(const QString& title, const QString& text) override;
  void SetMouseHandler(std::function<void(int)> handler) override { m_inner.SetMouseHandler(std::move(handler)); }
  bool IsAvailable() const override { return m_inner.IsAvailable(); }

 private:
  ITrayService& m_inner;
};

// Reports "window: W x H of W x H", the window and the screen's available area in device pixels.
void ReportWindowFit(QWidget* window);

// Reports "shown" once, when the movie has first been painted on the visible window.
void ReportFirstFrame(QQuickWidget* movie);
// Reports "dialog: NAME" each time a dialog of the program opens.
void ReportDialogs();
// Reads commands on standard input, one a line: "fs COMMAND" sends a movie command,
// "click NAME" clicks the visible button of that object name.
void AcceptProbeCommands(std::function<void(const QString& command)> fsCommand);

}  // namespace zf
