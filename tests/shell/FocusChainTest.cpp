// SPDX-License-Identifier: GPL-3.0-or-later
// Tab inside a screen: round its own controls only, past read-only boxes, hidden and disabled ones.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "screens/frmNormalMode.h"
#include "shell/FocusChain.h"
#include "support/FakeFollowUp.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

using namespace zf;

class FocusChainTest : public QObject {
  Q_OBJECT

 private slots:
  void TabGoesRoundTheScopeOnly() {
    QWidget window;
    auto* outside = new QPushButton(QStringLiteral("Outside"), &window);
    auto* scope = new QWidget(&window);
    auto* layout = new QVBoxLayout(scope);
    auto* first = new QLineEdit(scope);
    auto* shown = new QLineEdit(scope);
    shown->setReadOnly(true);
    auto* hidden = new QCheckBox(scope);
    auto* disabled = new QPushButton(scope);
    auto* last = new QPushButton(QStringLiteral("Last"), scope);
    for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(shown), static_cast<QWidget*>(hidden),
                       static_cast<QWidget*>(disabled), static_cast<QWidget*>(last)})
      layout->addWidget(w);
    window.setLayout(new QVBoxLayout);
    window.layout()->addWidget(outside);
    window.layout()->addWidget(scope);
    hidden->hide();
    disabled->setEnabled(false);

    QCOMPARE(TabStops(scope), (QList<QWidget*>{first, shown, last}));
    ApplyKeyboardPolicy(scope);
    QCOMPARE(shown->focusPolicy(), Qt::ClickFocus);  // still clickable, to copy its value
    QCOMPARE(first->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(TabStops(scope), (QList<QWidget*>{first, last}));

    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    outside->setFocus();
    QVERIFY(MoveFocusWithin(scope, true));
    QCOMPARE(QApplication::focusWidget(), first);
    QVERIFY(MoveFocusWithin(scope, true));
    QCOMPARE(QApplication::focusWidget(), last);
    QVERIFY(MoveFocusWithin(scope, true));
    QCOMPARE(QApplication::focusWidget(), first);  // round, never out
    QVERIFY(MoveFocusWithin(scope, false));
    QCOMPARE(QApplication::focusWidget(), last);
    QWidget empty(&window);
    QVERIFY(!MoveFocusWithin(&empty, true));
  }

  void TheAdvancedModesDisplayBoxesAreNoTabStops() {
    test::TestServices env;
    test::FakeMainWindow main;
    test::FakeFollowUp followUp;
    frmNormalMode form(env.services, main, followUp);
    form.Form_Load();
    ApplyKeyboardPolicy(&form);
    int readOnly = 0;
    for (QLineEdit* box : form.findChildren<QLineEdit*>()) {
      if (!box->isReadOnly()) continue;
      ++readOnly;
      QVERIFY2(!(box->focusPolicy() & Qt::TabFocus), qPrintable(box->objectName()));
    }
    QCOMPARE(readOnly, 4);  // MSS and scale factor and RWIN on the RWIN page, the SYN level
    QVERIFY(form.findChild<QLineEdit*>(QStringLiteral("txtMultiplier"))->focusPolicy() & Qt::TabFocus);
  }
};

QTEST_MAIN(FocusChainTest)
#include "FocusChainTest.moc"
