// SPDX-License-Identifier: GPL-3.0-or-later
#include "backups/frmBackUp.h"

#include <QHeaderView>
#include <QSignalBlocker>

#include "ui_frmBackUp.h"

namespace zf {

frmBackUp::frmBackUp(AppServices& services, IMainWindow& mainWindow, BackupManagerLogic& logic, QWidget* parent)
    : ChildScreen(services, mainWindow, parent), m_ui(std::make_unique<Ui::frmBackUp>()), m_logic(logic) {
  m_ui->setupUi(this);
  m_ui->lstBackUpList->setAccessibleName(tr("Backups"));
  QHeaderView* header = m_ui->lstBackUpList->header();
  header->setSectionsClickable(true);
  header->setSectionResizeMode(QHeaderView::Stretch);
  connect(header, &QHeaderView::sectionClicked, this, &frmBackUp::lstBackUpList_ColumnClick);
  connect(m_ui->lstBackUpList, &QTreeWidget::itemSelectionChanged, this, &frmBackUp::lstBackUpList_SelectionChanged);
  connect(m_ui->cmdDelete, &QPushButton::clicked, this, &frmBackUp::cmdDelete_Click);
  connect(m_ui->cmdRestore, &QPushButton::clicked, this, &frmBackUp::cmdRestore_Click);
}

frmBackUp::~frmBackUp() = default;

void frmBackUp::Form_Load() {
  SkinScreen();
  Refresh();
}

void frmBackUp::intializeList() {
  m_logic.intializeList();
  Refresh();
}

void frmBackUp::lstBackUpList_SelectionChanged() {
  const QList<QTreeWidgetItem*> selected = m_ui->lstBackUpList->selectedItems();
  m_logic.lstBackUpList_Select(
      selected.isEmpty() ? std::nullopt : std::optional<int>(selected.first()->data(0, Qt::UserRole).toInt()));
  // The rows stay: the list is still delivering this selection change.
  RefreshButtons();
}

void frmBackUp::lstBackUpList_ColumnClick(int column) {
  m_logic.lstBackUpList_ColumnClick(column);
  Refresh();
}

void frmBackUp::cmdDelete_Click() {
  m_logic.cmdDelete_Click();
  Refresh();
  setFocus();
}

void frmBackUp::cmdRestore_Click() {
  m_logic.cmdRestore_Click();
  Refresh();
}

void frmBackUp::Refresh() {
  RefreshRows();
  RefreshHeader();
  RefreshButtons();
}

void frmBackUp::RefreshButtons() {
  m_ui->cmdRestore->setEnabled(m_logic.buttonsEnabled());
  m_ui->cmdDelete->setEnabled(m_logic.buttonsEnabled());
}

void frmBackUp::RefreshRows() {
  QTreeWidget* list = m_ui->lstBackUpList;
  const QSignalBlocker blocker(list);
  list->clear();
  for (const BackupRow& row : m_logic.rows()) {
    auto* item = new QTreeWidgetItem(list, {row.fileName, row.date, row.time});
    item->setData(0, Qt::UserRole, row.param);
    if (m_logic.selectedParam() == row.param) {
      item->setSelected(true);
      list->setCurrentItem(item);
    }
  }
}

// The marked column shows its direction as the header's sort arrow.
void frmBackUp::RefreshHeader() {
  QHeaderView* header = m_ui->lstBackUpList->header();
  const auto& marks = m_logic.marks();
  const auto marked = std::find_if(marks.begin(), marks.end(), [](const QString& mark) { return !mark.isEmpty(); });
  header->setSortIndicatorShown(marked != marks.end());
  if (marked == marks.end()) return;
  header->setSortIndicator(static_cast<int>(marked - marks.begin()),
                           *marked == QStringLiteral("DESC") ? Qt::DescendingOrder : Qt::AscendingOrder);
}

}  // namespace zf
