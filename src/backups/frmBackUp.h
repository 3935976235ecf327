// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The backup manager: lists the backups with their dates and times, sorts them by any
// column, deletes and restores one.
#include <memory>

#include "backups/BackupManagerLogic.h"
#include "ui/ChildScreen.h"
#include "ui/ScreenContracts.h"

namespace Ui {
class frmBackUp;
}

namespace zf {

class frmBackUp : public ChildScreen, public IBackupListScreen {
  Q_OBJECT

 public:
  frmBackUp(AppServices& services, IMainWindow& mainWindow, BackupManagerLogic& logic, QWidget* parent = nullptr);
  ~frmBackUp() override;

  // Skins the screen and shows the list as the logic holds it.
  void Form_Load() override;
  // Refills the list from the Backups folder; called each time the screen is opened.
  void intializeList() override;

 private:
  void lstBackUpList_SelectionChanged();
  void lstBackUpList_ColumnClick(int column);
  void cmdDelete_Click();
  void cmdRestore_Click();
  void Refresh();
  void RefreshRows();
  void RefreshHeader();
  void RefreshButtons();

  std::unique_ptr<Ui::frmBackUp> m_ui;
  BackupManagerLogic& m_logic;
};

}  // namespace zf
