// SPDX-License-Identifier: GPL-3.0-or-later
// The advanced mode's window: its texts, that they show whole, and that its controls reach the page logic.
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSpinBox>
#include <QTranslator>
#include <QtTest>

#include "screens/BoxNumber.h"
#include "screens/frmNormalMode.h"
#include "support/FakeFollowUp.h"
#include "support/FakeMainWindow.h"
#include "support/SkinnedMainWindow.h"
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

// The part of a widget that its parents up to top leave on screen, in the widget's own size.
QRect ShownPart(const QWidget* widget, const QWidget* top) {
  QRect shown = widget->rect();
  for (const QWidget* at = widget; at != top; at = at->parentWidget()) {
    shown.translate(at->pos());
    shown &= at->parentWidget()->rect();
  }
  return shown;
}

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

  // Every text of every page shows whole inside the frame the advanced mode is shown in, in the
  // program's skin and the largest font it takes from the desktop, in English and in German
  // (CTest runs this at 100 % and at 150 %): nothing is cut, nothing needs scrolling, and a box
  // that does not scroll is no Tab stop.
  void everyTextShowsWholeInTheFrame_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("en") << QString();
    QTest::newRow("de") << QStringLiteral("de");
  }
  void everyTextShowsWholeInTheFrame() {
    QFETCH(QString, language);
    QTranslator translator;
    const QFont desktop = QApplication::font();
    const auto restore = qScopeGuard([&] {
      QApplication::setFont(desktop);
      QCoreApplication::removeTranslator(&translator);
    });
    if (!language.isEmpty()) {
      QVERIFY(translator.load(QLocale(language), QStringLiteral("zentrofast"), QStringLiteral("_"),
                              qEnvironmentVariable("ZENTROFAST_BIN") + QStringLiteral("/translations")));
      QCoreApplication::installTranslator(&translator);
    }
    QFont large = desktop;
    large.setPixelSize(kLargestSkinFont);
    QApplication::setFont(large);
    test::SkinnedMainWindow main;
    QVERIFY(main.loaded);
    test::TestServices env;
    test::FakeFollowUp followUp;
    frmNormalMode form(env.services, main, followUp, &main);
    form.SetCurrWizardPage(0);
    form.Form_Load();
    form.setGeometry(245, 199, 440, 252);  // the frame the advanced mode is shown in
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto* next = form.findChild<QPushButton*>(QStringLiteral("cmdNextPage"));
    QStringList faults;
    for (int index = 0; index < kWizardPageCount; ++index) {
      auto* page = form.findChild<QGroupBox*>(QStringLiteral("frmWizardPages%1").arg(index));
      QVERIFY(page->isVisible());
      QCoreApplication::sendPostedEvents();  // the layout takes the texts the page was entered with
      for (QLabel* label : page->findChildren<QLabel*>()) {
        if (!label->isVisible()) continue;
        const QSize needed(label->wordWrap() ? 0 : label->sizeHint().width(),
                           label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height());
        const QRect shown = ShownPart(label, &form);
        if (label->width() < needed.width() || label->height() < needed.height() || shown.size() != label->size())
          faults << QStringLiteral("%1 on page %2: needs %3x%4, is %5x%6, shows %7x%8")
                        .arg(label->objectName())
                        .arg(index + 1)
                        .arg(needed.width())
                        .arg(needed.height())
                        .arg(label->width())
                        .arg(label->height())
                        .arg(shown.width())
                        .arg(shown.height());
      }
      for (QAbstractScrollArea* area : page->findChildren<QAbstractScrollArea*>()) {
        if (area->verticalScrollBar()->maximum() > 0) faults << area->objectName() + QStringLiteral(" scrolls");
        if (area->focusPolicy() & Qt::TabFocus) faults << area->objectName() + QStringLiteral(" is a Tab stop");
      }
      next->click();
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
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
