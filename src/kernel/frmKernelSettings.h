// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// This computer's network settings as Linux holds them now, beside the store's tuned values and
// the originals, with the ways to apply the tuned values or return to the originals.
#include "kernel/IKernelBridge.h"
#include "ui/ChildScreen.h"
#include "ui/ITuningFollowUp.h"

class QLabel;
class QPushButton;
class QThread;
class QTreeWidget;

namespace zf {

class frmKernelSettings : public ChildScreen {
  Q_OBJECT

 public:
  frmKernelSettings(AppServices& services, IMainWindow& mainWindow, kernel::IKernelBridge& bridge,
                    ITuningFollowUp& followUp, QWidget* parent = nullptr);
  ~frmKernelSettings() override;

  void Form_Load() override;
  // Reads the live values, the ledger and the store again.
  void Refresh();

  QTreeWidget* lstSettings() const { return m_lstSettings; }
  QLabel* lblSummary() const { return m_lblSummary; }
  QPushButton* cmdApplyTuned() const { return m_cmdApplyTuned; }
  QPushButton* cmdRevertAll() const { return m_cmdRevertAll; }
  QPushButton* cmdRefresh() const { return m_cmdRefresh; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Every column inside the list's width, the long values elided (their tool tips whole).
  void FitColumns();
  void cmdApplyTuned_Click();
  void cmdRevertAll_Click();
  void RevertFinished();
  void SetBusy(bool busy);

  kernel::IKernelBridge& m_bridge;
  ITuningFollowUp& m_followUp;
  QLabel* m_lblSummary;
  QTreeWidget* m_lstSettings;
  QPushButton* m_cmdApplyTuned;
  QPushButton* m_cmdRevertAll;
  QPushButton* m_cmdRefresh;
  QThread* m_revert = nullptr;
  std::string m_revertAnswer;
  bool m_revertOk = false;
};

}  // namespace zf
