// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "core/RegistrySettings.h"
#include "pinger/frmNetPingerSettings.h"
#include "support/FakeMainWindow.h"
#include "support/TestServices.h"

namespace zf {

class frmNetPingerSettingsTest : public QObject {
  Q_OBJECT

 private:
  template <typename T>
  T* Control(const char* name) {
    T* control = form->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("no control %s", name);
    return control;
  }
  void Store(const char* name, const char* text) {
    services->registry.PutText("HKLM\\" + SettingsSection(kSectionNetPinger), name, text);
  }
  // The start-up load of the pinger, then its screen made and shown.
  void Load() {
    pinger->Load();
    Show();
  }
  void Show() {
    form = std::make_unique<frmNetPingerSettings>(services->services, mainWindow, *pinger);
    form->Form_Load();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }

  std::unique_ptr<test::TestServices> services;
  test::FakeMainWindow mainWindow;
  std::unique_ptr<PingerService> pinger;
  std::unique_ptr<frmNetPingerSettings> form;

 private slots:
  void init() {
    services = std::make_unique<test::TestServices>();
    pinger = std::make_unique<PingerService>(services->services);
  }

  void cleanup() {
    form.reset();
    pinger.reset();
    services.reset();
  }

  void loadSkinsTheScreenAndShowsTheDefaults() {
    Load();
    QCOMPARE(mainWindow.skinned.size(), std::size_t{1});
    QCOMPARE(mainWindow.skinned[0].first, static_cast<QWidget*>(form.get()));
    QCOMPARE(mainWindow.skinned[0].second, QStringLiteral("controlForm"));
    QCOMPARE(mainWindow.allControlsApplied, std::vector<QWidget*>{form.get()});

    QCOMPARE(Control<QGroupBox>("frameNetPingerSettings")->title(), QStringLiteral("Net Pinger Settings"));
    QCOMPARE(Control<QGroupBox>("frameConfigurations")->title(), QStringLiteral("Configuration"));
    QCOMPARE(Control<QCheckBox>("chkDoPinging")->text(), QStringLiteral("Enable Pinger"));
    QCOMPARE(Control<QRadioButton>("optAuto")->text(), QStringLiteral("Automatic Mode"));
    QCOMPARE(Control<QRadioButton>("optManual")->text(), QStringLiteral("Manual Mode"));
    QCOMPARE(Control<QLabel>("lblHostName")->text(), QStringLiteral("Ping Host"));
    QCOMPARE(Control<QLabel>("lblPingInterval")->text(), QStringLiteral("Ping Interval"));
    QCOMPARE(Control<QCheckBox>("chkSound")->text(), QStringLiteral("Play &Sound at Ping"));
    QCOMPARE(Control<QPushButton>("cmdPingNow")->text(), QStringLiteral("Ping &Now"));
    QCOMPARE(Control<QPushButton>("cmdSave")->text(), QStringLiteral("Save"));
    QVERIFY(Control<QLabel>("lblPingerDescription")->text().startsWith(QStringLiteral("The PING utility helps")));

    auto* list = Control<QComboBox>("cmbPingInterval");
    QCOMPARE(list->count(), 60);
    QCOMPARE(list->itemText(59), QStringLiteral("60 min."));
    QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(Control<QLineEdit>("txtPingHost")->text(), QStringLiteral("Automatic"));
    QVERIFY(!Control<QGroupBox>("frameConfigurations")->isEnabled());
    QVERIFY(!Control<QPushButton>("cmdPingNow")->isEnabled());
    QVERIFY(!Control<QPushButton>("cmdSave")->isEnabled());
    QCOMPARE(form->PingerTimer().interval(), 65535);
    QCOMPARE(form->PingerTimer().timerType(), Qt::PreciseTimer);  // a coarse one fires every 66 s
    QVERIFY(!form->PingerTimer().isActive());
  }

  void userEditsReachTheLogicAndSaveStartsTheTimer() {
    Load();
    QTest::mouseClick(Control<QCheckBox>("chkDoPinging"), Qt::LeftButton);
    QVERIFY(Control<QPushButton>("cmdPingNow")->isEnabled());
    QVERIFY(Control<QPushButton>("cmdSave")->isEnabled());
    QVERIFY(!form->PingerTimer().isActive());

    QTest::mouseClick(Control<QRadioButton>("optManual"), Qt::LeftButton);
    auto* host = Control<QLineEdit>("txtPingHost");
    QCOMPARE(host->text(), QString::fromLatin1(kSuggestedManualPingHost));
    QVERIFY(host->isEnabled());
    host->clear();
    QTest::keyClicks(host, QStringLiteral("127.0.0.1"));
    QCOMPARE(form->Scheduler().Controls().txtPingHost, std::string("127.0.0.1"));
    QTest::mouseClick(Control<QRadioButton>("optManual"), Qt::LeftButton);
    QCOMPARE(host->text(), QStringLiteral("127.0.0.1"));
    auto* list = Control<QComboBox>("cmbPingInterval");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(form->Scheduler().Controls().cmbPingInterval, 1);
    QTest::mouseClick(Control<QCheckBox>("chkSound"), Qt::LeftButton);

    QTest::mouseClick(Control<QPushButton>("cmdSave"), Qt::LeftButton);
    QVERIFY(form->PingerTimer().isActive());
    QVERIFY(!Control<QPushButton>("cmdSave")->isEnabled());
    const std::string section = "HKLM\\" + SettingsSection(kSectionNetPinger);
    QCOMPARE(services->registry.GetText(section, "txtPingHost"), std::optional<std::string>("127.0.0.1"));
    QCOMPARE(services->registry.GetText(section, "cmbPingInterval"), std::optional<std::string>("1"));
    QCOMPARE(services->registry.GetText(section, "chkSound"), std::optional<std::string>("1"));
    QCOMPARE(form->Scheduler().PingHostText(), std::string("127.0.0.1"));
  }

  void pingNowGoesToTheSavedHostAndRunsTheSound() {
    Store("chkDoPinging", "1");
    Store("optAuto", "False");
    Store("optManual", "True");
    Store("txtPingHost", "127.0.0.1");
    Store("chkSound", "1");
    Load();
    QVERIFY(form->PingerTimer().isActive());
    QTest::mouseClick(Control<QPushButton>("cmdPingNow"), Qt::LeftButton);
    QCOMPARE(services->icmp.echoes.size(), std::size_t{1});
    QCOMPARE(services->sound.played.size(), std::size_t{1});
    pinger->Unload();
    QVERIFY(!form->PingerTimer().isActive());
  }

  void thePingerRunsBeforeItsScreenExistsWhichShowsItAsItIs() {
    Store("chkDoPinging", "1");
    Store("optAuto", "False");
    Store("optManual", "True");
    Store("txtPingHost", "127.0.0.1");
    Store("cmbPingInterval", "0");
    pinger->Load();
    QVERIFY(pinger->PingerTimer().isActive());
    QCOMPARE(pinger->PingerTimer().interval(), 65535);
    QCOMPARE(pinger->PingerTimer().timerType(), Qt::PreciseTimer);
    QVERIFY(QMetaObject::invokeMethod(pinger->findChild<QTimer*>(QStringLiteral("tmrPinger")), "timeout"));
    QCOMPARE(services->icmp.echoes.size(), std::size_t{1});
    Show();
    QVERIFY(Control<QCheckBox>("chkDoPinging")->isChecked());
    QVERIFY(Control<QRadioButton>("optManual")->isChecked());
    QCOMPARE(Control<QLineEdit>("txtPingHost")->text(), QStringLiteral("127.0.0.1"));
    QVERIFY(Control<QComboBox>("cmbPingInterval")->isEnabled());
    QVERIFY(!Control<QPushButton>("cmdSave")->isEnabled());
    QVERIFY(QMetaObject::invokeMethod(pinger->findChild<QTimer*>(QStringLiteral("tmrPinger")), "timeout"));
    QCOMPARE(services->icmp.echoes.size(), std::size_t{2});
  }

  // The screen lives in a frame 440 pixels wide and 244 high: every control must fit whole.
  void everyControlFitsTheFrame() {
    Store("chkDoPinging", "1");
    Load();
    QCOMPARE(form->size(), QSize(440, 244));
    for (QWidget* child : form->findChildren<QWidget*>()) {
      if (!child->isVisible() || child->objectName().startsWith(QStringLiteral("qt_"))) continue;
      const QRect onScreen(child->mapTo(form.get(), QPoint(0, 0)), child->size());
      QVERIFY2(form->rect().contains(onScreen), qPrintable(child->objectName() + " leaves the frame"));
      const QSize wanted = child->minimumSizeHint();
      QVERIFY2(child->width() >= wanted.width(), qPrintable(child->objectName() + " is clipped in width"));
      const int height = child->hasHeightForWidth() ? child->heightForWidth(child->width()) : wanted.height();
      QVERIFY2(child->height() >= height, qPrintable(child->objectName() + " is clipped in height"));
    }
    const QString shots = qEnvironmentVariable("ZENTROFAST_SCREENSHOTS");
    if (!shots.isEmpty()) form->grab().save(shots + QStringLiteral("/frmNetPingerSettings.png"));
  }
};

}  // namespace zf

QTEST_MAIN(zf::frmNetPingerSettingsTest)
#include "frmNetPingerSettingsTest.moc"
