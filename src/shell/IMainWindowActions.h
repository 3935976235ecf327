// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zf {

// What the command dispatch asks of the main window itself.
class IMainWindowActions {
 public:
  virtual ~IMainWindowActions() = default;
  virtual void MinimizeMainWindow() = 0;
  virtual void MovieToFront() = 0;
  virtual void NotifyStillRunning() = 0;
  virtual void DragMainWindow() = 0;
  // Ends the process; the ending sequence has already run.
  virtual void EndProcess() = 0;
};

}  // namespace zf
