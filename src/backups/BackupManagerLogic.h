// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The backup manager's behaviour without its window: the rows of the list, their order, the
// header marks, and Delete and Restore with their questions.
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/BackupStore.h"
#include "core/SettingsBackup.h"
#include "platform/window.h"
#include "ui/ITuningFollowUp.h"
#include "ui/ScreenBackground.h"

namespace zf {

struct AppServices;
class IMainWindow;

struct BackupRow {
  int param = 0;     // the item parameter the comparison routine finds the row by
  QString fileName;  // base name followed by ".BCK"
  QString date;      // empty when the file is not a readable backup
  QString time;
};

inline constexpr int kBackupColumnCount = 3;  // "File Name", "Creating Date", "Creating Time"

// Loaded at start-up with the other screens; the list stays empty until the first refill.
class BackupManagerLogic : public IScreenBackground {
 public:
  BackupManagerLogic(AppServices& services, IMainWindow& mainWindow, ITuningFollowUp& followUp)
      : m_services(services), m_mainWindow(mainWindow), m_followUp(followUp) {}

  void Load() override { Form_Load(); }
  void Unload() override {}

  void Form_Load();
  void intializeList();
  void AddBackupToList(const BackupListEntry& entry);
  // The row the user selected in the list, or none.
  void lstBackUpList_Select(std::optional<int> param);
  // column: 0 "File Name", 1 "Creating Date", 2 "Creating Time".
  void lstBackUpList_ColumnClick(int column);
  void cmdDelete_Click();
  void cmdRestore_Click();

  // −1, 0 or 1 for two rows by their cell texts in column SortColumn taken as dates.
  int CompareBackupRows(int firstParam, int secondParam) const;
  int FindRowByParam(int param) const;
  QString GetRowText(int rowIndex) const;

  // The comparison routine's settings: the 1-based column and 0/1 for ascending/descending.
  std::int16_t SortColumn = 0;
  std::int16_t SortDescending = 0;

  const std::vector<BackupRow>& rows() const { return m_rows; }
  // "ASC", "DESC" or empty, per column.
  const std::array<QString, kBackupColumnCount>& marks() const { return m_marks; }
  std::optional<int> selectedParam() const { return m_selected; }
  bool buttonsEnabled() const { return m_buttonsEnabled; }

 private:
  bool Ask(const char* question) const;
  void Tell(const std::string& text, MsgIcon icon) const;
  void SortByFileName(bool descending);
  void SortWithCompareBackupRows();
  const BackupRow* SelectedRow() const;
  RestoreResult RestoreSelected() const;
  RegistryWayBack SnapshotBeforeRestore() const;

  AppServices& m_services;
  IMainWindow& m_mainWindow;
  ITuningFollowUp& m_followUp;
  std::vector<BackupRow> m_rows;
  std::array<QString, kBackupColumnCount> m_marks;
  std::optional<int> m_selected;
  int m_nextParam = 0;
  bool m_buttonsEnabled = false;
};

}  // namespace zf
