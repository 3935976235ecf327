// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "shell/SkinEngine.h"

using namespace zf;

namespace {

QStringList g_styleWarnings;

void CollectStyleWarnings(QtMsgType, const QMessageLogContext&, const QString& message) {
  if (message.contains(QLatin1String("style sheet"), Qt::CaseInsensitive) ||
      message.contains(QLatin1String("stylesheet"), Qt::CaseInsensitive))
    g_styleWarnings << message;
}

QString SkinFile() { return qEnvironmentVariable("ZENTROFAST_BIN") + QStringLiteral("/QorvMask.skn"); }

}  // namespace

class SkinTest : public QObject {
  Q_OBJECT

 private slots:
  void ControlsAreSkinnedByTheirType() {
    QWidget form;
    auto* frame = new QGroupBox(QStringLiteral("Frame"), &form);
    auto* button = new QPushButton(QStringLiteral("Save"), frame);
    auto* label = new QLabel(QStringLiteral("Text"), frame);
    auto* check = new QCheckBox(QStringLiteral("Check"), frame);
    auto* option = new QRadioButton(QStringLiteral("Option"), frame);
    auto* plainFrame = new QFrame(&form);
    auto* edit = new QLineEdit(&form);
    auto* combo = new QComboBox(&form);
    auto* tool = new QToolButton(&form);
    SkinEngine skin;
    skin.ApplyAllControls(&form);
    QCOMPARE(frame->property(kSkinElementProperty).toString(), QStringLiteral("Frame"));
    QCOMPARE(button->property(kSkinElementProperty).toString(), QStringLiteral("Button"));
    QCOMPARE(label->property(kSkinElementProperty).toString(), QStringLiteral("Label"));
    QCOMPARE(check->property(kSkinElementProperty).toString(), QStringLiteral("CheckBox"));
    QCOMPARE(option->property(kSkinElementProperty).toString(), QStringLiteral("RadioBox"));
    QCOMPARE(plainFrame->property(kSkinElementProperty).toString(), QStringLiteral("Frame"));
    for (QWidget* untouched : {static_cast<QWidget*>(edit), static_cast<QWidget*>(combo), static_cast<QWidget*>(tool)})
      QVERIFY(!untouched->property(kSkinElementProperty).isValid());
    QVERIFY(!form.property(kSkinElementProperty).isValid());
    skin.ApplyAllControls(nullptr);  // harmless
  }

  void TheSkinFileParsesAndStylesByElement() {
    g_styleWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CollectStyleWarnings);
    SkinEngine skin;
    QWidget host;
    QVERIFY(skin.LoadSkin(SkinFile(), &host, kSmallestSkinFont));
    QWidget form(&host);
    form.resize(200, 100);
    auto* plain = new QPushButton(QStringLiteral("Plain"), &form);
    auto* skinned = new QPushButton(QStringLiteral("Skinned"), &form);
    plain->setGeometry(0, 0, 100, 30);
    skinned->setGeometry(100, 0, 100, 30);
    skin.ApplySkin(&form, QStringLiteral("controlForm"));
    skin.ApplySkin(skinned, QStringLiteral("Button"));
    const QImage image = form.grab().toImage();
    qInstallMessageHandler(previous);
    QVERIFY2(g_styleWarnings.isEmpty(), qPrintable(g_styleWarnings.join('\n')));
    const QColor buttonTeal(0x0F, 0x76, 0x6E);  // the menu's accent, dark enough for white text
    QCOMPARE(image.pixelColor(150, 3), buttonTeal);
    QVERIFY(image.pixelColor(50, 3) != buttonTeal);
  }

  // Every Tab stop of a screen shows that it has the keyboard, also the scrolling explanation
  // and an empty list.
  void TabStopsWithoutAMarkOfTheirOwnGetOne() {
    SkinEngine skin;
    QWidget host;
    QVERIFY(skin.LoadSkin(SkinFile(), &host, kSmallestSkinFont));
    QWidget form(&host);
    form.resize(300, 200);
    auto* explanation = new QScrollArea(&form);
    explanation->setFrameShape(QFrame::NoFrame);
    explanation->setWidget(new QLabel(QStringLiteral("Why this setting matters.")));
    explanation->setGeometry(0, 0, 140, 80);
    auto* emptyList = new QTreeWidget(&form);
    emptyList->setGeometry(150, 0, 140, 80);
    skin.ApplySkin(&form, QStringLiteral("controlForm"));
    skin.ApplyAllControls(&form);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    for (QAbstractScrollArea* stop :
         {static_cast<QAbstractScrollArea*>(explanation), static_cast<QAbstractScrollArea*>(emptyList)}) {
      stop->setFocusPolicy(Qt::StrongFocus);
      form.setFocus();
      const QImage without = stop->grab().toImage();
      stop->setFocus();
      QTRY_VERIFY(stop->hasFocus());
      QVERIFY2(stop->grab().toImage() != without, stop->metaObject()->className());
    }
  }

  void AMissingSkinLeavesThePlainLook() {
    SkinEngine skin;
    QWidget host;
    QVERIFY(!skin.LoadSkin(QStringLiteral("/nonexistent/QorvMask.skn"), &host, kSmallestSkinFont));
    QVERIFY(host.styleSheet().isEmpty());
    skin.SkinWindow(&host);
    QVERIFY(host.styleSheet().isEmpty());
  }
};

QTEST_MAIN(SkinTest)
#include "SkinTest.moc"
