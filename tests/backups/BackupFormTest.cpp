// SPDX-License-Identifier: GPL-3.0-or-later
// The backup manager's window: its texts, and that the list and its header reach the logic.
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>

#include "backups/frmBackUp.h"
#include "support/FakeFollowUp.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

namespace zf {

class BackupFormTest : public QObject {
  Q_OBJECT

  struct Form {
    test::TestServices env;
    test::FakeMainWindow main;
    test::FakeFollowUp followUp;
    BackupManagerLogic logic{env.services, main, followUp};
    frmBackUp form{env.services, main, logic};

    Form() {
      logic.Load();
      form.Form_Load();
    }
    QTreeWidget* list() { return form.findChild<QTreeWidget*>(QStringLiteral("lstBackUpList")); }
    QPushButton* button(const char* name) { return form.findChild<QPushButton*>(QString::fromLatin1(name)); }
    QStringList Names() {
      QStringList names;
      for (int i = 0; i < list()->topLevelItemCount(); ++i) names << list()->topLevelItem(i)->text(0);
      return names;
    }
    void Write(const char* name, const char* date) {
      std::filesystem::create_directories(env.folder / "Backups");
      std::ofstream(env.folder / "Backups" / name, std::ios::binary) << "#" << date << "#\r\n#10:00:00#\r\n7\r\n";
    }
  };

 private slots:
  void captions() {
    Form f;
    QCOMPARE(f.form.findChild<QGroupBox*>(QStringLiteral("frameBackUp"))->title(), QStringLiteral("Backup"));
    QTreeWidgetItem* header = f.list()->headerItem();
    QCOMPARE(QStringList({header->text(0), header->text(1), header->text(2)}),
             QStringList({"File Name", "Creating Date", "Creating Time"}));
    QCOMPARE(f.button("cmdRestore")->text(), QStringLiteral("Restore"));
    QCOMPARE(f.button("cmdDelete")->text(), QStringLiteral("Delete"));
    QVERIFY(!f.button("cmdRestore")->isEnabled() && !f.button("cmdDelete")->isEnabled());
    QCOMPARE(f.main.skinned.front().second, QStringLiteral("controlForm"));
  }

  void headerClicksSortAndSelectionFollowsItsRow() {
    Form f;
    f.Write("001.BCK", "2026-05-01");
    f.Write("002.BCK", "2024-05-01");
    f.form.intializeList();
    QCOMPARE(f.Names(), QStringList({"001.BCK", "002.BCK"}));
    f.list()->topLevelItem(0)->setSelected(true);
    QVERIFY(f.button("cmdRestore")->isEnabled() && f.button("cmdDelete")->isEnabled());
    emit f.list()->header()->sectionClicked(1);
    QCOMPARE(f.Names(), QStringList({"002.BCK", "001.BCK"}));
    QCOMPARE(f.list()->header()->sortIndicatorSection(), 1);
    QCOMPARE(f.list()->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(f.list()->selectedItems().size(), 1);
    QCOMPARE(f.list()->selectedItems().first()->text(0), QStringLiteral("001.BCK"));
    f.form.intializeList();
    QVERIFY(f.list()->selectedItems().isEmpty());
    QVERIFY(!f.button("cmdDelete")->isEnabled());
  }
};

}  // namespace zf

QTEST_MAIN(zf::BackupFormTest)
#include "BackupFormTest.moc"
