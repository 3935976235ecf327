// SPDX-License-Identifier: GPL-3.0-or-later
#include "backups/BackupManagerLogic.h"

#include <QCoreApplication>
#include <algorithm>

#include "backups/BackupDateText.h"
#include "core/AppServices.h"
#include "core/BackupStore.h"
#include "core/Config.h"
#include "core/SettingsBackup.h"
#include "ui/IMainWindow.h"
#include "ui/ITuningFollowUp.h"
#include "ui/PhraseText.h"

namespace zf {
namespace {

const std::string kTitle = "Zentrofast";

}  // namespace

void BackupManagerLogic::Form_Load() { m_buttonsEnabled = false; }

void BackupManagerLogic::intializeList() {
  m_buttonsEnabled = false;
  m_rows.clear();
  m_selected.reset();
  const std::filesystem::path folder = BackupsFolder(m_services.config);
  std::string error;
  if (!EnsureBackupsFolder(folder, &error)) {
    Tell(error, MsgIcon::Stop);
    return;
  }
  const BackupList list = ListBackups(folder);
  if (!list.error.empty()) Tell(list.error, MsgIcon::Stop);
  for (const BackupListEntry& entry : list.entries) AddBackupToList(entry);
}

// A file whose header cannot be read is listed with empty date and time.
void BackupManagerLogic::AddBackupToList(const BackupListEntry& entry) {
  BackupRow row;
  row.param = m_nextParam++;
  row.fileName = QString::fromStdString(entry.fileName);
  if (entry.taken) {
    const BackupStamp& taken = *entry.taken;
    row.date = ShortDateText(QDate(taken.year, taken.month, taken.day));
    row.time = TimeOfDayText(QTime(taken.hour, taken.minute, taken.second));
  }
  m_rows.push_back(std::move(row));
}

void BackupManagerLogic::lstBackUpList_Select(std::optional<int> param) {
  m_selected = param;
  if (m_selected) m_buttonsEnabled = true;
}

void BackupManagerLogic::lstBackUpList_ColumnClick(int column) {
  if (column < 0 || column >= kBackupColumnCount) return;
  const bool descending = m_marks[static_cast<std::size_t>(column)] == QStringLiteral("ASC");
  m_marks.fill(QString());
  m_marks[static_cast<std::size_t>(column)] = descending ? QStringLiteral("DESC") : QStringLiteral("ASC");
  if (column == 0) {
    SortByFileName(descending);
  } else {
    SortColumn = static_cast<std::int16_t>(column + 1);
    SortDescending = descending ? 1 : 0;
    SortWithCompareBackupRows();
  }
  if (m_selected) m_buttonsEnabled = true;
}

// The list's own order for its first column: the names compared as text, letter case aside.
void BackupManagerLogic::SortByFileName(bool descending) {
  std::stable_sort(m_rows.begin(), m_rows.end(), [descending](const BackupRow& a, const BackupRow& b) {
    const int order = a.fileName.compare(b.fileName, Qt::CaseInsensitive);
    return descending ? order > 0 : order < 0;
  });
}

// The rows are compared in place and only reordered once every comparison is done, so the
// routine always finds each row where the list holds it.
void BackupManagerLogic::SortWithCompareBackupRows() {
  std::vector<int> order;
  order.reserve(m_rows.size());
  for (const BackupRow& row : m_rows) order.push_back(row.param);
  std::stable_sort(order.begin(), order.end(), [this](int a, int b) { return CompareBackupRows(a, b) < 0; });
  std::vector<BackupRow> sorted;
  sorted.reserve(m_rows.size());
  for (const int param : order) sorted.push_back(m_rows[static_cast<std::size_t>(FindRowByParam(param))]);
  m_rows = std::move(sorted);
}

int BackupManagerLogic::CompareBackupRows(int firstParam, int secondParam) const {
  double first = DateValue(GetRowText(FindRowByParam(firstParam)));
  double second = DateValue(GetRowText(FindRowByParam(secondParam)));
  if (SortDescending == 1) std::swap(first, second);
  if (first < second) return -1;
  return first == second ? 0 : 1;
}

int BackupManagerLogic::FindRowByParam(int param) const {
  const auto found =
      std::find_if(m_rows.begin(), m_rows.end(), [param](const BackupRow& row) { return row.param == param; });
  return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
}

// The cell of column SortColumn, as far as a 32-character buffer holds it.
QString BackupManagerLogic::GetRowText(int rowIndex) const {
  if (rowIndex < 0 || rowIndex >= static_cast<int>(m_rows.size())) return {};
  const BackupRow& row = m_rows[static_cast<std::size_t>(rowIndex)];
  const QString& text = SortColumn == 2 ? row.date : SortColumn == 3 ? row.time : row.fileName;
  return text.left(31);
}

const BackupRow* BackupManagerLogic::SelectedRow() const {
  if (!m_selected) return nullptr;
  const int index = FindRowByParam(*m_selected);
  return index < 0 ? nullptr : &m_rows[static_cast<std::size_t>(index)];
}

bool BackupManagerLogic::Ask(const char* question) const {
  return m_services.messageBox.Show(question, kTitle, MsgIcon::Exclamation, MsgButtons::YesNo) == MsgAnswer::Yes;
}

void BackupManagerLogic::Tell(const std::string& text, MsgIcon icon) const {
  m_services.messageBox.Show(text, kTitle, icon, MsgButtons::Ok);
}

// With no row selected there is no file to delete, and nothing happens.
void BackupManagerLogic::cmdDelete_Click() {
  const BackupRow* row = SelectedRow();
  if (row == nullptr || !Ask(QT_TRANSLATE_NOOP("zf::Messages", "Do you want to delete this file?"))) return;
  const Phrase error = DeleteBackup(BackupsFolder(m_services.config), row->fileName.toStdString());
  if (!error.empty()) Tell(TranslatedText(error), MsgIcon::Stop);
  intializeList();
  m_buttonsEnabled = !m_rows.empty();
}

void BackupManagerLogic::cmdRestore_Click() {
  if (!Ask(QT_TRANSLATE_NOOP("zf::Messages", "Do you want to restore this settings?"))) return;
  RegistryWayBack before = SnapshotBeforeRestore();
  const RestoreResult result = RestoreSelected();
  if (result.outcome == RestoreOutcome::Refused) {
    Tell(std::string(kOtherOSBackupMessage), MsgIcon::Stop);
    return;
  }
  if (result.outcome == RestoreOutcome::Failed) Tell(result.description, MsgIcon::None);
  if (result.outcome == RestoreOutcome::Completed)
    m_mainWindow.ShowNotice(QCoreApplication::translate("zf::BackupManager", "The settings of %1 were restored.")
                                .arg(SelectedRow()->fileName));
  m_mainWindow.SetVariable(QStringLiteral("_root.home"), QStringLiteral("true"));
  // Only a whole restore is offered to the computer: a partial one is not what the user chose.
  if (result.outcome == RestoreOutcome::Completed) m_followUp.AfterStoreWritten(std::move(before));
}

// The values the restore is about to replace, kept in memory so that the store can follow the
// computer back; the backup folder gains no file, as a restore never made one.
RegistryWayBack BackupManagerLogic::SnapshotBeforeRestore() const {
  const BackupRow* row = SelectedRow();
  const TuningContext context{m_services.registry, m_services.clock, {}, m_services.os.code};
  return {
      "the values held before " + (row ? row->fileName.toStdString() : std::string("the restore")) + " was restored",
      {},
      SettingsBackupBytes(context)};
}

RestoreResult BackupManagerLogic::RestoreSelected() const {
  const BackupRow* row = SelectedRow();
  BackupPathResult file;
  if (row == nullptr)
    file.error = "No backup file is selected.";
  else
    file = FindBackupFile(BackupsFolder(m_services.config), row->fileName.toStdString());
  if (file.ok()) return RestoreSettingsBackup(m_services.registry, m_services.os.code, file.path);
  RestoreResult failed;
  failed.description = TranslatedText(file.Reason());
  return failed;
}

}  // namespace zf
