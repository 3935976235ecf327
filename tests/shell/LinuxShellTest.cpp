// SPDX-License-Identifier: GPL-3.0-or-later
#include <unistd.h>

#include <QTest>
#include <fstream>
#include <sstream>

#include "platform/linux/ControlPanelTools.h"
#include "platform/linux/DeferredSound.h"
#include "platform/linux/DesktopEntry.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/ProcessLocks.h"
#include "platform/linux/QtSound.h"
#include "platform/linux/SoundModule.h"
#include "shell/mdlAddons.h"
#include "support/TempDir.h"

using namespace zf;
using namespace zf::test;

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

auto Installed(std::initializer_list<const char*> programs) {
  std::vector<std::string> list(programs.begin(), programs.end());
  return [list](const std::string& program) { return std::find(list.begin(), list.end(), program) != list.end(); };
}

}  // namespace

class LinuxShellTest : public QObject {
  Q_OBJECT

 private slots:
  void ExecQuotingRoundTrips_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << "/usr/bin/zentrofast";
    QTest::newRow("blanks") << "/home/ann/My Programs/Zentro fast/zentrofast";
    QTest::newRow("dollar and backtick") << "/opt/$HOME/`x`/zentrofast";
    QTest::newRow("quote") << "/opt/say \"hi\"/zentrofast";
    QTest::newRow("backslash") << "/opt/back\\slash/zentrofast";
    QTest::newRow("percent") << "/opt/100%/%f/zentrofast";
  }
  void ExecQuotingRoundTrips() {
    QFETCH(QString, path);
    const std::string quoted = QuoteExecArgument(path.toStdString());
    QCOMPARE(FirstExecArgument(quoted), std::optional<std::string>(path.toStdString()));
    QVERIFY(quoted.front() == '"' && quoted.back() == '"');
  }

  void ExecQuotingFollowsTheDesktopEntryRules() {
    QCOMPARE(QuoteExecArgument("/a b/zf"), std::string("\"/a b/zf\""));
    QCOMPARE(QuoteExecArgument("/a\\b"), std::string("\"/a\\\\\\\\b\""));  // four backslashes
    QCOMPARE(QuoteExecArgument("/a$b"), std::string("\"/a\\\\$b\""));
    QCOMPARE(QuoteExecArgument("/50%"), std::string("\"/50%%\""));
    QCOMPARE(FirstExecArgument("/usr/bin/zentrofast --hidden"), std::optional<std::string>("/usr/bin/zentrofast"));
    QCOMPARE(FirstExecArgument("\"/unterminated"), std::nullopt);
  }

  void AutoStartFileFollowsTheOption() {
    TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path().string()));
    LinuxShell shell;
    const std::string program = "/home/ann/My Programs/zentrofast";
    QVERIFY(shell.SetAutoStart("Zentrofast", program));
    const auto file = config / "autostart" / "zentrofast.desktop";
    const std::string text = ReadFile(file);
    QVERIFY(text.starts_with("[Desktop Entry]\n"));
    QVERIFY(text.find("\nType=Application\n") != std::string::npos);
    QVERIFY(text.find("\nExec=\"/home/ann/My Programs/zentrofast\"\n") != std::string::npos);
    QCOMPARE(shell.AutoStartProgram("Zentrofast"), program);
    QVERIFY(shell.SetAutoStart("Zentrofast", "/moved/zentrofast"));
    QCOMPARE(shell.AutoStartProgram("Zentrofast"), std::string("/moved/zentrofast"));
    QVERIFY(shell.SetAutoStart("Zentrofast", ""));
    QVERIFY(!std::filesystem::exists(file));
    QCOMPARE(shell.AutoStartProgram("Zentrofast"), std::string());
    qunsetenv("XDG_CONFIG_HOME");
  }

  void OnlyOneInstanceHoldsTheLock() {
    TempDir runtime;
    const QString folder = QString::fromStdString(runtime.path().string());
    {
      ProcessLocks first(folder);
      QVERIFY(first.TryBecomeOnlyInstance());
      first.CreateNamedMutex("HollowmereZentrofast");
      QVERIFY(std::filesystem::exists(runtime / "HollowmereZentrofast"));
      ProcessLocks second(folder);
      QVERIFY(!second.TryBecomeOnlyInstance());
    }
    ProcessLocks next(folder);  // the first one has ended
    QVERIFY(next.TryBecomeOnlyInstance());
  }

  void ALinkPlantedAsTheLockIsNeverFollowed() {
    TempDir runtime;
    const std::filesystem::path target = runtime / "elsewhere";
    std::filesystem::create_symlink(target, runtime / "zentrofast.lock");
    ProcessLocks locks(QString::fromStdString(runtime.path().string()));
    QVERIFY(locks.TryBecomeOnlyInstance());
    QVERIFY(!std::filesystem::exists(target));
  }

  void AFolderThatCannotHoldTheLockDoesNotStopTheProgram() {
    if (::geteuid() == 0) QSKIP("root writes everywhere");
    TempDir runtime;
    std::filesystem::permissions(runtime.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    ProcessLocks locks(QString::fromStdString(runtime.path().string()));
    QVERIFY(locks.TryBecomeOnlyInstance());
  }

  void NothingStartsForWhatCannotBeOpened() {
    LinuxShell shell;
    QVERIFY(!shell.OpenDocument("/nonexistent/folder/QorvHelp.chm"));
    QVERIFY(!shell.RunControlPanelCommand("rundll32.exe shell32.dll,Control_RunDLL unknown.cpl"));
    QVERIFY(!shell.StartDetached("/nonexistent/program", {}));
  }

  void ControlPanelLinesMapToThisDesktopsTools() {
    const auto everything = Installed(
        {"gnome-control-center", "systemsettings", "nm-connection-editor", "cinnamon-settings", "kinfocenter"});
    QCOMPARE(FindDesktopTool(kNetworkSettingsNTCommand, "ubuntu:GNOME", everything),
             std::optional<DesktopTool>({"gnome-control-center", {"network"}}));
    QCOMPARE(FindDesktopTool(kNetworkSettingsNTCommand, "KDE", everything),
             std::optional<DesktopTool>({"systemsettings", {"kcm_networkmanagement"}}));
    QCOMPARE(FindDesktopTool(kSystemPropertiesCommand, "x-cinnamon", everything),
             std::optional<DesktopTool>({"cinnamon-settings", {"info"}}));
    QCOMPARE(FindDesktopTool(kModemSettingsCommand, "XFCE", everything),
             std::optional<DesktopTool>({"nm-connection-editor", {}}));
    QCOMPARE(FindDesktopTool(kInternetPropertiesCommand, "KDE", everything),
             std::optional<DesktopTool>({"systemsettings", {"kcm_proxy"}}));
    QCOMPARE(FindDesktopTool(kNetworkSettings9xCommand, "", everything),
             std::optional<DesktopTool>({"nm-connection-editor", {}}));
  }

  void AMissingToolFallsBackToANeutralOne() {
    QCOMPARE(FindDesktopTool(kNetworkSettingsNTCommand, "GNOME", Installed({"nm-connection-editor"})),
             std::optional<DesktopTool>({"nm-connection-editor", {}}));
    QCOMPARE(FindDesktopTool(kNetworkSettingsNTCommand, "GNOME", Installed({})), std::nullopt);
    QCOMPARE(FindDesktopTool("rundll32.exe shell32.dll,Control_RunDLL NCPA.CPL", "GNOME",
                             Installed({"nm-connection-editor"})),
             std::nullopt);
  }

  void AMissingSoundFilePlaysTheDefaultSound() {
    TempDir folder;
    int defaultSounds = 0;
    QtSound sound([&defaultSounds] { ++defaultSounds; });
    sound.PlayAsync((folder / "Ping.wav").string());
    QCOMPARE(defaultSounds, 1);
    std::filesystem::create_directory(folder / "low-memory.wav");  // not a file either
    sound.PlayAsync((folder / "low-memory.wav").string());
    QCOMPARE(defaultSounds, 2);
#if !defined(__SANITIZE_ADDRESS__)
    // Qt Multimedia's sample loader, on a thread of its own, races with the effect's destruction
    // and keeps what it read: AddressSanitizer reports Qt's own memory, so this step runs
    // only in the plain build.
    std::ofstream(folder / "present.wav") << "RIFF";
    sound.PlayAsync((folder / "present.wav").string());
    QCOMPARE(defaultSounds, 2);
#endif
  }

  // The desktop program plays through the module; it must load and play from the build folder.
  void TheSoundModuleLoadsOnTheFirstSound() {
    const std::filesystem::path programs = qEnvironmentVariable("ZENTROFAST_BIN").toStdString();
    QVERIFY(!programs.empty());
    TempDir folder;
    int fallbacks = 0;
    DeferredSound sound(QString::fromStdString(SoundModuleFor(programs).string()), [&fallbacks] { ++fallbacks; });
#if !defined(__SANITIZE_ADDRESS__)
    // Played through the module, the missing file starts libcanberra's sound-server threads, still
    // connecting when the test ends; LeakSanitizer's thread tracer crashes on them, so this step
    // runs only in the plain build.
    sound.PlayAsync((folder / "Ping.wav").string());
    QCOMPARE(fallbacks, 0);
#endif
    QVERIFY(sound.Load());
  }

  void WithoutTheModuleEverySoundIsTheFallback() {
    TempDir folder;
    int fallbacks = 0;
    DeferredSound sound(QString::fromStdString((folder / kSoundModuleName).string()), [&fallbacks] { ++fallbacks; });
    sound.PlayAsync((folder / "Ping.wav").string());
    sound.PlayAsync((folder / "Ping.wav").string());
    QCOMPARE(fallbacks, 2);
    QVERIFY(!sound.Load());
  }

  void TheInstalledModuleIsPreferred() {
    TempDir root;
    std::filesystem::create_directories(root / "bin");
    QCOMPARE(SoundModuleFor(root / "bin"), root / "bin" / kSoundModuleName);
    const auto installed = root / "libexec" / "zentrofast" / kSoundModuleName;
    std::filesystem::create_directories(installed.parent_path());
    std::ofstream(installed) << "module";
    QCOMPARE(SoundModuleFor(root / "bin"), installed);
  }
};

QTEST_MAIN(LinuxShellTest)
#include "LinuxShellTest.moc"
