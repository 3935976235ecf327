// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>
#include <unistd.h>

#include <QColor>
#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include "shell/MenuScene.h"
#include "shell/MoviePlayer.h"
#include "shell/frmMain.h"
#include "support/TempDir.h"

using namespace zf;

namespace {

QString ScenePath() { return qEnvironmentVariable("ZENTROFAST_BIN") + QStringLiteral("/speed up.swf"); }

// The commands the program understands.
const QSet<QString> kCommands{"IDC_FS_minimize",
                              "IDC_FS_about",
                              "IDC_FS_closeAbout",
                              "IDC_FS_main",
                              "IDC_FS_close",
                              "IDC_FS_tray",
                              "IDC_FS_home",
                              "IDC_FS_settings",
                              "IDC_FS_help",
                              "Drag",
                              "IDC_FS_hide",
                              "IDC_FS_wizardMode",
                              "IDC_FS_connectionTest",
                              "IDC_FS_normalMode",
                              "IDC_FS_backupManger",
                              "IDC_FS_pingSetting",
                              "IDC_FS_systemSatus",
                              "IDC_FS_ramConfig",
                              "IDC_FS_internetProperties",
                              "IDC_FS_systemSetting",
                              "IDC_FS_modemSetting",
                              "IDC_FS_networkSetting",
                              "IDC_FS_restart",
                              "IDC_FS_sysSettingClicked",
                              "IDC_FS_kernelSettings"};

QByteArray ShippedScene() {
  QFile scene(ScenePath());
  return scene.open(QIODevice::ReadOnly) ? scene.readAll() : QByteArray();
}

QString WriteScene(const zf::test::TempDir& folder, const QByteArray& text) {
  const QString path = QString::fromStdString((folder.path() / "speed up.swf").string());
  QFile scene(path);
  if (scene.open(QIODevice::WriteOnly)) scene.write(text);
  return path;
}

bool ShowsText(QQuickItem* root, const QString& text) {
  for (QQuickItem* item : root->findChildren<QQuickItem*>()) {
    if (item->isVisible() && item->property("text").toString().contains(text)) return true;
  }
  return false;
}

// The shipped scene, shown in an active window, with the keyboard.
bool ShowWithKeyboard(MoviePlayer& player) {
  player.resize(724, 540);
  player.LoadMovie(0, ScenePath());
  player.show();
  if (!QTest::qWaitForWindowActive(&player)) return false;
  player.setFocus();
  return true;
}

QQuickItem* Focused(MoviePlayer& player) { return player.quickWindow()->activeFocusItem(); }
QString FocusedLabel(MoviePlayer& player) {
  QQuickItem* item = Focused(player);
  return item != nullptr ? item->property("label").toString() : QString();
}
// The ring drawn around the focused control, shown only while it has the keyboard.
bool RingShown(QQuickItem* control) {
  for (QQuickItem* child : control->childItems()) {
    if (child->isVisible() && child->property("cornerRadius").isValid()) return true;
  }
  return false;
}

}  // namespace

class MovieSceneTest : public QObject {
  Q_OBJECT

 private slots:
  // The scene's pictures come from its own folder in resources, at the size the scene asks for.
  void TheMenuPicturesComeFromTheSceneFolderOnly() {
    MenuImageProvider pictures;
    QSize size;
    const QImage logo = pictures.requestImage(QStringLiteral("zentrofast.png"), &size, QSize(56, 56));
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.size(), QSize(56, 56));
    QCOMPARE(size, QSize(56, 56));
    QCOMPARE(pictures.requestImage(QStringLiteral("zentrofast.png"), &size, {}).size(), QSize(128, 128));
    for (const char* outside : {"../../../zentrofast/tray.png", "", "missing.png", "MenuScene.qml"})
      QVERIFY2(pictures.requestImage(QString::fromLatin1(outside), &size, {}).isNull(), outside);
  }

  void TheSceneShowsItsLogoOnceReady() {
    MoviePlayer player;
    player.resize(724, 540);
    player.LoadMovie(0, ScenePath());
    QTRY_COMPARE(player.status(), QQuickWidget::Ready);
    QList<QQuickItem*> logos;
    for (QQuickItem* item : player.rootObject()->findChildren<QQuickItem*>())
      if (item->inherits("QQuickImage") && item->isVisible()) logos << item;
    QVERIFY(!logos.isEmpty());
    for (QQuickItem* logo : logos) QCOMPARE(logo->property("status").toInt(), 1);  // Image.Ready
  }

  void TheSceneOffersEveryCommandSpelledAsTheProgramExpects() {
    QFile scene(ScenePath());
    QVERIFY(scene.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(scene.readAll());
    QSet<QString> sent;
    for (const auto& match : QRegularExpression(QStringLiteral("\"((IDC_FS_\\w+)|Drag)\"")).globalMatch(text))
      sent.insert(match.captured(1));
    QCOMPARE(sent, kCommands);
  }

  void PlaysAt724By540AndForwardsItsCommands() {
    MoviePlayer player;
    player.resize(724, 540);
    QSignalSpy commands(&player, &MoviePlayer::FSCommand);
    player.LoadMovie(0, ScenePath());
    QCOMPARE(player.status(), QQuickWidget::Ready);
    QVERIFY(player.errors().isEmpty());
    QQuickItem* root = player.rootObject();
    QCOMPARE(QSizeF(root->width(), root->height()), QSizeF(724, 540));
    QMetaObject::invokeMethod(root, "openScreen", Q_ARG(QVariant, QStringLiteral("IDC_FS_wizardMode")));
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands.at(0), (QList<QVariant>{QStringLiteral("IDC_FS_wizardMode"), QString()}));
  }

  void TheShippedSceneFilePlaysInItsCompiledForm() {
    QVERIFY(HoldsBuiltInScene(ScenePath()));
    MoviePlayer player;
    player.LoadMovie(0, ScenePath());
    QCOMPARE(player.source(), QUrl(kBuiltInSceneUrl));
    QCOMPARE(player.status(), QQuickWidget::Ready);
    QVERIFY(player.rootObject()->property("entries").isValid());
  }

  void AReplacedSceneFilePlaysFromTheFileEvenAtTheSameSize() {
    zf::test::TempDir folder;
    // The shipped text with one character changed: same size, other bytes.
    QByteArray text = ShippedScene();
    const qsizetype colour = text.indexOf("#EEF2F7");
    QVERIFY(colour > 0);
    text[colour + 1] = 'F';
    const QString path = WriteScene(folder, text);
    QVERIFY(!HoldsBuiltInScene(path));
    MoviePlayer player;
    player.LoadMovie(0, path);
    QCOMPARE(player.source(), QUrl::fromLocalFile(path));
    QCOMPARE(player.status(), QQuickWidget::Ready);
    QCOMPARE(player.rootObject()->property("color").value<QColor>(), QColor(QStringLiteral("#FEF2F7")));
  }

  // Reading ahead never changes what plays: what was read ahead only for the same file.
  void ASceneReadAheadIsPlayedOnlyForItsOwnFile() {
    zf::test::TempDir folder;
    const QString replaced = WriteScene(folder, "import QtQuick\nRectangle { color: \"#123456\" }\n");
    {
      QQmlEngine engine;
      const auto ahead = ReadSceneAhead(engine, ScenePath());
      MoviePlayer player(&engine);
      player.LoadMovie(0, ScenePath());
      QCOMPARE(player.source(), QUrl(kBuiltInSceneUrl));
      QCOMPARE(player.status(), QQuickWidget::Ready);
      QVERIFY(player.rootObject()->property("entries").isValid());
    }
    {
      QQmlEngine engine;
      const auto ahead = ReadSceneAhead(engine, ScenePath());
      MoviePlayer player(&engine);
      player.LoadMovie(0, replaced);
      QCOMPARE(player.source(), QUrl::fromLocalFile(replaced));
      QCOMPARE(player.status(), QQuickWidget::Ready);
      QCOMPARE(player.rootObject()->property("color").value<QColor>(), QColor(QStringLiteral("#123456")));
    }
    {
      QQmlEngine engine;
      const QString missing = QString::fromStdString((folder.path() / "missing.swf").string());
      const auto ahead = ReadSceneAhead(engine, missing);
      MoviePlayer player(&engine);
      QSignalSpy failed(&player, &MoviePlayer::MovieFailed);
      player.LoadMovie(0, missing);
      QTRY_COMPARE(failed.count(), 1);
    }
  }

  void OnlyARegularFileCountsAsTheShippedScene() {
    zf::test::TempDir folder;
    const std::string link = (folder.path() / "linked.swf").string();
    QCOMPARE(::symlink(ScenePath().toLocal8Bit().constData(), link.c_str()), 0);
    QVERIFY(!HoldsBuiltInScene(QString::fromStdString(link)));
    QCOMPARE(SceneUrl(QString::fromStdString(link)), QUrl::fromLocalFile(QString::fromStdString(link)));
    const std::string fifo = (folder.path() / "fifo.swf").string();
    QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
    QVERIFY(!HoldsBuiltInScene(QString::fromStdString(fifo)));  // returns at once, no writer needed
    const QString missing = QString::fromStdString((folder.path() / "missing.swf").string());
    QCOMPARE(SceneUrl(missing), QUrl::fromLocalFile(missing));
    QVERIFY(!HoldsBuiltInScene(WriteScene(folder, ShippedScene() + "\n")));
  }

  void OnlyLayerZeroPlays() {
    MoviePlayer player;
    player.LoadMovie(1, ScenePath());
    QCOMPARE(player.status(), QQuickWidget::Null);
  }

  void VariablesSetBeforeTheSceneIsReadyAreHandedOver() {
    MoviePlayer player;
    player.SetVariable(QStringLiteral("_root.version"), VersionText());
    player.SetVariable(QStringLiteral("version"), QStringLiteral("not a movie variable"));
    player.LoadMovie(0, ScenePath());
    QCOMPARE(player.rootObject()->property("version").toString(), VersionText());
    QCOMPARE(MoviePlayer::RootProperty(QStringLiteral("_root.")), QString());
    QCOMPARE(MoviePlayer::RootProperty(QStringLiteral("_root.home")), QStringLiteral("home"));
  }

  void HomeReturnsToTheHomePageEveryTimeItIsSet() {
    MoviePlayer player;
    player.LoadMovie(0, ScenePath());
    QQuickItem* root = player.rootObject();
    for (int round = 0; round < 2; ++round) {
      QMetaObject::invokeMethod(root, "openScreen", Q_ARG(QVariant, QStringLiteral("IDC_FS_normalMode")));
      QCOMPARE(root->property("page").toString(), QStringLiteral("screen"));
      player.SetVariable(QStringLiteral("_root.home"), QStringLiteral("true"));
      QCOMPARE(root->property("page").toString(), QStringLiteral("home"));
    }
    player.SetVariable(QStringLiteral("_root.home"), QStringLiteral("false"));
    QCOMPARE(root->property("page").toString(), QStringLiteral("home"));
  }

  void TheAboutPanelShowsTheVersionAndReportsOpeningAndClosing() {
    MoviePlayer player;
    player.resize(724, 540);
    player.LoadMovie(0, ScenePath());
    player.SetVariable(QStringLiteral("_root.version"), QStringLiteral("7.3.0.42"));
    QSignalSpy commands(&player, &MoviePlayer::FSCommand);
    QQuickItem* root = player.rootObject();
    QMetaObject::invokeMethod(root, "openAbout");
    QTRY_VERIFY(ShowsText(root, QStringLiteral("Version 7.3.0.42")));
    QMetaObject::invokeMethod(root, "closeAbout");
    QCOMPARE(commands.count(), 2);
    QCOMPARE(commands.at(0).at(0).toString(), QStringLiteral("IDC_FS_about"));
    QCOMPARE(commands.at(1).at(0).toString(), QStringLiteral("IDC_FS_closeAbout"));
    QTRY_VERIFY(!ShowsText(root, QStringLiteral("Version 7.3.0.42")));
  }

  // The question appears with Cancel holding the keyboard; only Restart sends the command.
  void TheRestartQuestionAsksBeforeRestarting() {
    MoviePlayer player;
    QVERIFY(ShowWithKeyboard(player));
    QSignalSpy commands(&player, &MoviePlayer::FSCommand);
    QQuickItem* root = player.rootObject();
    QVERIFY(!ShowsText(root, QStringLiteral("Restart the computer?")));
    for (int round = 0; round < 2; ++round) {
      while (FocusedLabel(player) != "Restart computer") QTest::keyClick(&player, Qt::Key_Tab);
      QTest::keyClick(&player, Qt::Key_Return);
      QTRY_VERIFY(ShowsText(root, QStringLiteral("Restart the computer?")));
      QCOMPARE(FocusedLabel(player), QStringLiteral("Cancel"));
      if (round == 0) {
        QTest::keyClick(&player, Qt::Key_Space);
        QTRY_VERIFY(!ShowsText(root, QStringLiteral("Restart the computer?")));
        QVERIFY(commands.isEmpty());
      }
    }
    QTest::keyClick(&player, Qt::Key_Tab);
    QCOMPARE(FocusedLabel(player), QStringLiteral("Restart"));
    QTest::keyClick(&player, Qt::Key_Return);
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands.at(0).at(0).toString(), QStringLiteral("IDC_FS_restart"));
    QTRY_VERIFY(!ShowsText(root, QStringLiteral("Restart the computer?")));
  }

  void TheMenuWorksFromTheKeyboard() {
    MoviePlayer player;
    QVERIFY(ShowWithKeyboard(player));
    QSignalSpy commands(&player, &MoviePlayer::FSCommand);

    // Tab visits the controls one by one, each with its ring; Shift+Tab goes back.
    QStringList labels;
    for (int i = 0; i < 30; ++i) {
      QTest::keyClick(&player, Qt::Key_Tab);
      labels << FocusedLabel(player);
      QVERIFY2(RingShown(Focused(player)), qPrintable(labels.last()));
    }
    for (const char* label : {"Home", "Wizard Mode", "Backup Manager", "System Settings", "Help", "Close Zentrofast"})
      QVERIFY2(labels.contains(label), qPrintable(labels.join(", ")));
    const QString before = FocusedLabel(player);
    QTest::keyClick(&player, Qt::Key_Tab);
    QTest::keyClick(&player, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(FocusedLabel(player), before);
    QVERIFY(commands.isEmpty());  // moving presses nothing

    // The arrows move through the sidebar; Enter and Space press.
    while (FocusedLabel(player) != "Home") QTest::keyClick(&player, Qt::Key_Tab);
    QTest::keyClick(&player, Qt::Key_Down);
    QCOMPARE(FocusedLabel(player), QStringLiteral("Wizard Mode"));
    QTest::keyClick(&player, Qt::Key_Down);
    QTest::keyClick(&player, Qt::Key_Up);
    QCOMPARE(FocusedLabel(player), QStringLiteral("Wizard Mode"));
    QTest::keyClick(&player, Qt::Key_Return);
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands.at(0).at(0).toString(), QStringLiteral("IDC_FS_wizardMode"));
    QCOMPARE(player.rootObject()->property("page").toString(), QStringLiteral("screen"));

    // Escape closes the open screen.
    QTest::keyClick(&player, Qt::Key_Escape);
    QCOMPARE(commands.last().at(0).toString(), QStringLiteral("IDC_FS_hide"));
    QCOMPARE(player.rootObject()->property("page").toString(), QStringLiteral("home"));

    // Space opens About, whose Close then has the keyboard; Escape closes it again.
    while (FocusedLabel(player) != "About") QTest::keyClick(&player, Qt::Key_Tab);
    QTest::keyClick(&player, Qt::Key_Space);
    QCOMPARE(commands.last().at(0).toString(), QStringLiteral("IDC_FS_about"));
    QTRY_COMPARE(FocusedLabel(player), QStringLiteral("Close"));
    QTest::keyClick(&player, Qt::Key_Escape);
    QCOMPARE(commands.last().at(0).toString(), QStringLiteral("IDC_FS_closeAbout"));
    QVERIFY(!player.rootObject()->property("aboutOpen").toBool());
  }
};

QTEST_MAIN(MovieSceneTest)
#include "MovieSceneTest.moc"
