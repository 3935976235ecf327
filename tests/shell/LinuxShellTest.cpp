// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTest>
#include <cstring>
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

constexpr uid_t kNobody = 65534;

// Sets or unsets (nullptr) variables for the life of the object.
class Environment {
 public:
  Environment(std::initializer_list<std::pair<const char*, const char*>> variables) {
    for (const auto& [name, value] : variables) {
      m_saved.emplace_back(name, qgetenv(name));
      m_wasSet.push_back(qEnvironmentVariableIsSet(name));
      value ? qputenv(name, value) : qunsetenv(name);
    }
  }
  ~Environment() {
    for (std::size_t i = 0; i < m_saved.size(); ++i)
      m_wasSet[i] ? qputenv(m_saved[i].first, m_saved[i].second) : qunsetenv(m_saved[i].first);
  }

 private:
  std::vector<std::pair<const char*, QByteArray>> m_saved;
  std::vector<bool> m_wasSet;
};

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

  // XDG_RUNTIME_DIR, and Qt's /tmp/runtime-USER, made by another user: the lock and the socket go
  // to the user's own folder, never to the shared temporary folder.
  void TheLockNeverFallsBackToASharedFolder_data() {
    QTest::addColumn<bool>("runtimeOfAnother");
    QTest::newRow("XDG_RUNTIME_DIR unset") << false;
    QTest::newRow("XDG_RUNTIME_DIR of another user") << true;
  }
  void TheLockNeverFallsBackToASharedFolder() {
    if (::geteuid() != 0) QSKIP("planting another user's folders needs root");
    QFETCH(bool, runtimeOfAnother);
    TempDir shared, home;
    const std::filesystem::path others[] = {shared / "runtime-root", shared / "run"};
    for (const auto& folder : others) {
      std::filesystem::create_directory(folder);
      QCOMPARE(::chown(folder.c_str(), kNobody, kNobody), 0);
    }
    Environment environment({{"TMPDIR", shared.path().c_str()},
                             {"HOME", home.path().c_str()},
                             {"XDG_RUNTIME_DIR", runtimeOfAnother ? others[1].c_str() : nullptr}});
    ProcessLocks locks;
    QVERIFY(locks.TryBecomeOnlyInstance());
    locks.ListenForRaiseRequests([] {});
    for (const auto& folder : {shared.path(), others[0], others[1]})
      QVERIFY2(!std::filesystem::exists(folder / "zentrofast.lock"), folder.c_str());
    const auto own = home / ".cache" / "zentrofast";
    QVERIFY(std::filesystem::exists(own / "zentrofast.lock"));
    QVERIFY(std::filesystem::exists(own / "zentrofast.socket"));
    QCOMPARE(std::filesystem::status(own).permissions(), std::filesystem::perms::owner_all);
  }

  // A lock file or socket another user made, even in the user's folder, decides nothing.
  void ALockOrSocketOfAnotherUserIsIgnored() {
    if (::geteuid() != 0) QSKIP("planting another user's files needs root");
    TempDir runtime;
    const std::filesystem::path lockFile = runtime / "zentrofast.lock";
    const int held = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(held >= 0 && ::fchown(held, kNobody, kNobody) == 0 && ::flock(held, LOCK_EX | LOCK_NB) == 0);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, (runtime / "zentrofast.socket").c_str(), sizeof address.sun_path - 1);
    QVERIFY(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(listening, 4) == 0 && ::chown(address.sun_path, kNobody, kNobody) == 0);

    ProcessLocks locks(QString::fromStdString(runtime.path().string()));
    QVERIFY2(locks.TryBecomeOnlyInstance(), "another user's lock kept the program from starting");
    QVERIFY2(!locks.AskRunningInstanceToRaise(), "a raise request went to another user's socket");
    QCOMPARE(::accept(listening, nullptr, nullptr), -1);
    ::close(listening);
    ::close(held);
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
