// SPDX-License-Identifier: GPL-3.0-or-later
// The advanced mode's window: its texts, and that its controls reach the page logic.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QtTest>

#include "screens/BoxNumber.h"
#include "screens/frmNormalMode.h"
#include "support/FakeFollowUp.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

namespace zf {
namespace {

struct Form {
  test::TestServices env;
  test::FakeMainWindow main;
  test::FakeFollowUp followUp;
  frmNormalMode form{env.services, main, followUp};

  Form() {
    form.SetCurrWizardPage(0);
    form.Form_Load();
  }
  template <typename W>
  W* get(const QString& name) {
    W* widget = form.findChild<W*>(name);
    if (widget == nullptr) qFatal("no control %s", qPrintable(name));
    return widget;
  }
  QPushButton* next() { return get<QPushButton>(QStringLiteral("cmdNextPage")); }
  QPushButton* back() { return get<QPushButton>(QStringLiteral("cmdPrevPage")); }
  QGroupBox* page(int index) { return get<QGroupBox>(QStringLiteral("frmWizardPages%1").arg(index)); }
  int shownPage() {
    int shown = -1;
    for (int i = 0; i < kWizardPageCount; ++i) {
      if (!page(i)->isHidden()) {
        if (shown != -1) return -2;  // more than one
        shown = i;
      }
    }
    return shown;
  }
  void Type(const QString& box, const QString& text) {
    QLineEdit* edit = get<QLineEdit>(box);
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
};

}  // namespace

class NormalModeFormTest : public QObject {
  Q_OBJECT

 private slots:
  void pageCaptionsAndButtons() {
    Form f;
    const QStringList captions{"Step 1 of 8 : Connection type",
                               "Step 2 of 8 : MTU Settings",
                               "Step 3 of 8 : Other MTU Settings",
                               "Step 4 of 8 : RWIN Settings",
                               "Step 5 of 8 : TTL && IE Optimization",
                               "Step 6 of 8 :  Keep Alive Settigns",
                               "Step 7 of 8 :  SYN Flood Attack Settings && NDI Cache",
                               "Step 8 of 8 : ICMP Redirect Attack Setting"};
    for (int i = 0; i < kWizardPageCount; ++i) QCOMPARE(f.page(i)->title(), captions[i]);
    QCOMPARE(f.get<QGroupBox>(QStringLiteral("frameAdvancedMode"))->title(), QStringLiteral("Normal Mode"));
    QCOMPARE(f.back()->text(), QStringLiteral("<<Back"));
    QCOMPARE(f.next()->text(), QStringLiteral("Next>>"));
    QCOMPARE(f.get<QCheckBox>(QStringLiteral("chkMTUDisconver"))->text(), QStringLiteral("Disable it??"));
    QCOMPARE(f.get<QRadioButton>(QStringLiteral("optConnType2"))->text(),
             QStringLiteral("Digital  Subscriber Line (DSL)."));
    QCOMPARE(f.get<QLabel>(QStringLiteral("lblRwinRecom"))->text(), QStringLiteral("Recommended RWIN size  : "));
    QComboBox* ndi = f.get<QComboBox>(QStringLiteral("cmbNDI"));
    QStringList items;
    for (int i = 0; i < ndi->count(); ++i) items << ndi->itemText(i);
    QCOMPARE(items, NdiItems());
  }

  void nextAndBackShowOnePageAtATime() {
    Form f;
    QCOMPARE(f.shownPage(), 0);
    QVERIFY(!f.back()->isEnabled());
    f.get<QRadioButton>(QStringLiteral("optConnType2"))->click();
    f.next()->click();
    QCOMPARE(f.shownPage(), 1);
    QVERIFY(f.back()->isEnabled());
    QCOMPARE(f.get<QLabel>(QStringLiteral("lblMSSRecVaklue"))->text(), QStringLiteral("1452Byte"));
    QCOMPARE(f.get<QLineEdit>(QStringLiteral("txtMTUValue"))->text(), QStringLiteral("1492"));
    for (int i = 0; i < 6; ++i) f.next()->click();
    QCOMPARE(f.shownPage(), 7);
    QCOMPARE(f.next()->text(), QStringLiteral("Finish"));
    f.back()->click();
    QCOMPARE(f.shownPage(), 6);
    QCOMPARE(f.next()->text(), QStringLiteral("Next>>"));
  }

  void typingOutOfBoundsSnapsBack() {
    Form f;
    for (int i = 0; i < 4; ++i) f.next()->click();
    f.Type(QStringLiteral("txtHTTP10Value"), QStringLiteral("1"));  // on the way to 10
    QCOMPARE(f.get<QLineEdit>(QStringLiteral("txtHTTP10Value"))->text(), QStringLiteral("1"));
    QTest::keyClick(f.get<QLineEdit>(QStringLiteral("txtHTTP10Value")), Qt::Key_Return);
    QCOMPARE(f.get<QLineEdit>(QStringLiteral("txtHTTP10Value"))->text(), QStringLiteral("20"));
    f.Type(QStringLiteral("txtTTLValue"), QStringLiteral("2"));
    QTest::keyClicks(f.get<QLineEdit>(QStringLiteral("txtTTLValue")), QStringLiteral("57"));
    QTest::keyClick(f.get<QLineEdit>(QStringLiteral("txtTTLValue")), Qt::Key_Return);
    QCOMPARE(f.get<QLineEdit>(QStringLiteral("txtTTLValue"))->text(), QStringLiteral("64"));
    f.Type(QStringLiteral("txtTTLValue"), QStringLiteral("1x"));  // never a number: at once
    QCOMPARE(f.get<QLineEdit>(QStringLiteral("txtTTLValue"))->text(), QStringLiteral("64"));
  }

  // Key by key, "1," or "1 5" is no number yet: the box must keep it, not put 576 back in
  // front of the digits still to come.
  void groupedNumbersTypedKeyByKey_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::newRow("de_DE") << "de_DE"
                           << "1.500";
    QTest::newRow("fr_FR") << "fr_FR"
                           << "1 500";
    QTest::newRow("en_US") << "en_US"
                           << "1,500";
    QTest::newRow("C") << "C"
                       << "1500";
  }
  void groupedNumbersTypedKeyByKey() {
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    {
      Form f;
      f.next()->click();
      QLineEdit* mtu = f.get<QLineEdit>(QStringLiteral("txtMTUValue"));
      mtu->setFocus();
      f.Type(QStringLiteral("txtMTUValue"), typed);
      QCOMPARE(mtu->text(), typed);
      QTest::keyClick(mtu, Qt::Key_Return);  // committed: it reads as fifteen hundred and stays
      QCOMPARE(mtu->text(), typed);
      QCOMPARE(ReadBoxNumber(mtu->text(), mtu->locale()), std::optional<double>(1500));
      f.Type(QStringLiteral("txtMTUValue"), QStringLiteral("1,,"));  // left as no number: back to the record
      QCOMPARE(mtu->text(), QStringLiteral("1,,"));
      QTest::keyClick(mtu, Qt::Key_Return);
      QCOMPARE(mtu->text(), QString::number(f.env.services.tuning.current.MTU));
    }
    QLocale::setDefault(before);
  }

  // An explanation that does not fit scrolls by whole lines and never shows a line cut through.
  void explanationsShowWholeLines() {
    for (const double scale : {1.0, 1.5}) {
      Form f;
      QFont font = f.form.font();
      font.setPixelSize(qRound(13 * scale));
      f.form.setFont(font);
      f.form.resize(qRound(440 * scale), qRound(332 * scale));
      f.form.show();
      for (int page = 0; page < kWizardPageCount; ++page) {
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        for (QScrollArea* area : f.page(page)->findChildren<QScrollArea*>()) {
          const int pitch = area->widget()->findChild<QLabel*>()->fontMetrics().lineSpacing();
          const QString where = QStringLiteral("%1 at %2").arg(area->objectName()).arg(scale);
          QCOMPARE(area->viewport()->height() % pitch, 0);
          QVERIFY2(area->viewport()->height() >= pitch, qPrintable(where));
          QCOMPARE(area->verticalScrollBar()->singleStep(), pitch);
        }
        f.next()->click();
      }
    }
  }

  void controlsReachTheRecord() {
    Form f;
    f.next()->click();
    f.next()->click();
    f.get<QCheckBox>(QStringLiteral("chkMTUDisconver"))->click();
    QVERIFY(!f.env.services.tuning.current.PmtuDiscovery);
    f.next()->click();
    f.Type(QStringLiteral("txtMultiplier"), QStringLiteral("2.3"));
    QCOMPARE(f.get<QLineEdit>(QStringLiteral("txtRWIN"))->text(), QStringLiteral("4931.2"));
    for (int i = 0; i < 3; ++i) f.next()->click();
    f.get<QSpinBox>(QStringLiteral("updwnDescision"))->stepDown();
    QCOMPARE(f.get<QLineEdit>(QStringLiteral("txtSYNValue"))->text(), QStringLiteral("1"));
    QCOMPARE(f.env.services.tuning.current.SYNAttackProtect, std::int16_t{1});
  }
};

}  // namespace zf

QTEST_MAIN(zf::NormalModeFormTest)
#include "NormalModeFormTest.moc"
