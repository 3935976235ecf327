// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection test screen: the target box (remembered), Measure and Cancel, the progress,
// the figures of the last successful test, and its recommendation with Apply, which is a
// tuning run like the wizard's.
#include <memory>

#include "screens/ConnectionTestRun.h"
#include "ui/ChildScreen.h"
#include "ui/ITuningFollowUp.h"

namespace Ui {
class frmConnectionTest;
}

namespace zf {

class frmConnectionTest : public ChildScreen {
  Q_OBJECT

 public:
  frmConnectionTest(AppServices& services, IMainWindow& mainWindow, ITuningFollowUp& followUp,
                    ConnectionTestSetup setup, QWidget* parent = nullptr);
  ~frmConnectionTest() override;

  // Skins the screen; the stored target and the last result.
  void Form_Load() override;
  // A test still running is cancelled.
  void Form_Unload() override;

 private:
  void cmdMeasure_Click();
  void cmdApply_Click();
  void TestFinished();
  void ShowProgress(double fraction);
  void ShowAnswer(const ConnectionTestOutcome& answer);
  void ShowRunning(bool running);

  std::unique_ptr<Ui::frmConnectionTest> m_ui;
  ITuningFollowUp& m_followUp;
  ConnectionTestRun m_run;
  int m_seconds;
  ConnectionTestOutcome m_shown;  // the answer the figures show
};

}  // namespace zf
