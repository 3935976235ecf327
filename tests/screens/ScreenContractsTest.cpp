// SPDX-License-Identifier: GPL-3.0-or-later
// The shell finds what it needs of the tuning screens through their contracts; a screen that
// lost one would be skipped silently.
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "shell/ScreenFactory.h"
#include "support/FakeFollowUp.h"
#include "support/FakeKernelBridge.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"
#include "ui/ScreenContracts.h"

namespace zf {

class ScreenContractsTest : public QObject {
  Q_OBJECT

 private slots:
  void advancedModeStartsOnThePageItWasGiven() {
    test::TestServices env;
    test::FakeMainWindow main;
    test::FakeKernelBridge bridge;
    test::FakeFollowUp followUp;
    std::unique_ptr<ChildScreen> screen =
        ProgramScreens(env.services, {bridge, followUp}).Create(ScreenId::NormalMode, main);
    auto* pages = dynamic_cast<IWizardPagesScreen*>(screen.get());
    QVERIFY(pages != nullptr);
    pages->SetCurrWizardPage(2);
    screen->Form_Load();
    QVERIFY(!screen->findChild<QGroupBox*>(QStringLiteral("frmWizardPages2"))->isHidden());
    QVERIFY(screen->findChild<QGroupBox*>(QStringLiteral("frmWizardPages0"))->isHidden());
    QVERIFY(screen->findChild<QPushButton*>(QStringLiteral("cmdPrevPage"))->isEnabled());
  }

  void backupManagerRefillsOnRequest() {
    test::TestServices env;
    test::FakeMainWindow main;
    test::FakeKernelBridge bridge;
    test::FakeFollowUp followUp;
    ProgramScreens screens(env.services, {bridge, followUp});
    screens.Background(ScreenId::BackUp, main)->Load();
    std::unique_ptr<ChildScreen> screen = screens.Create(ScreenId::BackUp, main);
    auto* list = dynamic_cast<IBackupListScreen*>(screen.get());
    QVERIFY(list != nullptr);
    screen->Form_Load();
    list->intializeList();
    QVERIFY(std::filesystem::is_directory(env.folder / "Backups"));
  }

  void wizardIsTheRealScreen() {
    test::TestServices env;
    test::FakeMainWindow main;
    test::FakeKernelBridge bridge;
    test::FakeFollowUp followUp;
    ProgramScreens screens(env.services, {bridge, followUp});
    screens.Background(ScreenId::WizardMode, main)->Load();
    QVERIFY(env.services.tuning.current == Profiles()[0]);
    std::unique_ptr<ChildScreen> screen = screens.Create(ScreenId::WizardMode, main);
    screen->Form_Load();
    QVERIFY(screen->findChild<QRadioButton*>(QStringLiteral("optMode0"))->isChecked());
  }
};

}  // namespace zf

QTEST_MAIN(zf::ScreenContractsTest)
#include "ScreenContractsTest.moc"
