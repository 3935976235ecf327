// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/CommandDispatch.h"

#include <QCoreApplication>
#include <utility>

#include "shell/Version.h"
#include "ui/ScreenContracts.h"

namespace zf {
namespace {

constexpr char kNoInternetTool[] =
    QT_TRANSLATE_NOOP("zf::Messages", "No internet settings tool was found on this desktop.");
constexpr char kNoSystemTool[] =
    QT_TRANSLATE_NOOP("zf::Messages", "No system information tool was found on this desktop.");
constexpr char kNoModemTool[] = QT_TRANSLATE_NOOP("zf::Messages", "No modem settings tool was found on this desktop.");
constexpr char kNoNetworkTool[] =
    QT_TRANSLATE_NOOP("zf::Messages", "No network settings tool was found on this desktop.");
constexpr char kNoHelpViewer[] =
    QT_TRANSLATE_NOOP("zf::Messages", "No program to open the help file was found on this desktop.");

}  // namespace

struct CommandTable {
  using Handler = void (CommandDispatch::*)();
  struct Entry {
    const char* command;
    Handler handler;
  };
  // In the order the commands are compared.
  static constexpr Entry kEntries[] = {
      {"IDC_FS_minimize", &CommandDispatch::Minimize},
      {"IDC_FS_about", &CommandDispatch::About},
      {"IDC_FS_closeAbout", &CommandDispatch::CloseAbout},
      {"IDC_FS_main", &CommandDispatch::Main},
      {"IDC_FS_close", &CommandDispatch::Close},
      {"IDC_FS_tray", &CommandDispatch::ToTray},
      {"IDC_FS_home", &CommandDispatch::MovieToFront},
      {"IDC_FS_settings", &CommandDispatch::Settings},
      {"IDC_FS_help", &CommandDispatch::Help},
      {"Drag", &CommandDispatch::Drag},
      {"IDC_FS_hide", &CommandDispatch::MovieToFront},
      {"IDC_FS_wizardMode", &CommandDispatch::WizardMode},
      {"IDC_FS_normalMode", &CommandDispatch::NormalMode},
      {"IDC_FS_backupManger", &CommandDispatch::BackupManager},
      {"IDC_FS_pingSetting", &CommandDispatch::PingSettings},
      {"IDC_FS_systemSatus", &CommandDispatch::SystemStatus},
      {"IDC_FS_ramConfig", &CommandDispatch::RamConfig},
      {"IDC_FS_internetProperties", &CommandDispatch::InternetProperties},
      {"IDC_FS_systemSetting", &CommandDispatch::SystemSetting},
      {"IDC_FS_modemSetting", &CommandDispatch::ModemSetting},
      {"IDC_FS_networkSetting", &CommandDispatch::NetworkSetting},
      {"IDC_FS_restart", &CommandDispatch::Restart},
      {"IDC_FS_sysSettingClicked", &CommandDispatch::HideAllAndMovieToFront},
      {"IDC_FS_kernelSettings", &CommandDispatch::KernelSettings},
      {"IDC_FS_connectionTest", &CommandDispatch::ConnectionTest},
  };
};

CommandDispatch::CommandDispatch(IMainWindowActions& window, ScreenHost& screens, Tray& tray, mdlAddons& addons,
                                 IShell& shell, IMessageBox& messages, TuningState& tuning,
                                 std::filesystem::path programFolder)
    : m_window(window),
      m_screens(screens),
      m_tray(tray),
      m_addons(addons),
      m_shell(shell),
      m_messages(messages),
      m_tuning(tuning),
      m_programFolder(std::move(programFolder)) {}

void CommandDispatch::FSCommand(const QString& command, const QString&) {
  for (const auto& entry : CommandTable::kEntries) {
    if (command == QLatin1String(entry.command)) {
      (this->*entry.handler)();
      return;
    }
  }
}

void CommandDispatch::Minimize() { m_window.MinimizeMainWindow(); }

void CommandDispatch::About() {
  m_window.MovieToFront();
  m_screens.HideAllChildScreens();
  m_window.MovieToFront();
}

void CommandDispatch::CloseAbout() { m_screens.ShowPlacedScreens(); }

void CommandDispatch::Main() { HideAllAndMovieToFront(); }

void CommandDispatch::HideAllAndMovieToFront() {
  m_screens.HideAllChildScreens();
  m_window.MovieToFront();
}

void CommandDispatch::Close() {
  m_screens.Unload(kAllScreens);
  m_tray.Show(false);
  m_window.EndProcess();
}

void CommandDispatch::MainWindowUnload() {
  m_screens.Unload(kClosingOrder);
  m_tray.Show(false);
  m_window.EndProcess();
}

void CommandDispatch::Restart() {
  m_beforeRestart = BeforeRestart{m_screens.ShownScreen(), m_tuning.current};
  m_screens.Unload(kClosingOrder);
  m_tray.Show(false);
  if (!m_addons.RestartWindows([this] { ResumeAfterRefusedRestart(); })) ResumeAfterRefusedRestart();
}

// Also when the system refuses the request later.
void CommandDispatch::ResumeAfterRefusedRestart() {
  for (ScreenId id : kStartupScreens) m_screens.Load(id);
  m_tray.Show(true);
  if (const std::optional<BeforeRestart> before = std::exchange(m_beforeRestart, std::nullopt)) {
    // Loading the wizard again copied a profile over the record the user was working on.
    m_tuning.current = before->record;
    if (before->shownScreen) m_screens.ShowChildScreen(*before->shownScreen);
  }
  m_messages.Show(QCoreApplication::translate("CommandDispatch", "The computer was not restarted.").toStdString(),
                  "Zentrofast", MsgIcon::Information, MsgButtons::Ok);
}

void CommandDispatch::ToTray() { m_window.NotifyStillRunning(); }

void CommandDispatch::MovieToFront() { m_window.MovieToFront(); }

void CommandDispatch::Settings() {
  cmdMainSettings_Click();
  m_screens.SizeFrame(245);
}

void CommandDispatch::Help() {
  // Without a viewer for the compiled help the same pages open in the browser.
  if (m_shell.OpenDocument((m_programFolder / "QorvHelp.chm").string())) return;
  ReportMissing(m_shell.OpenDocument((m_programFolder / "help" / "index.html").string()), kNoHelpViewer);
}

void CommandDispatch::Drag() { m_window.DragMainWindow(); }

void CommandDispatch::ShowScreenInFrame(ScreenId id, int frameHeight) {
  m_screens.ShowChildScreen(id);
  m_screens.SizeFrame(frameHeight);
}

void CommandDispatch::WizardMode() { ShowScreenInFrame(ScreenId::WizardMode, 250); }

void CommandDispatch::NormalMode() {
  m_screens.ReloadNormalMode();
  ShowScreenInFrame(ScreenId::NormalMode, 252);
}

void CommandDispatch::RefillBackupList() {
  if (auto* list = dynamic_cast<IBackupListScreen*>(m_screens.Screen(ScreenId::BackUp))) list->intializeList();
}

void CommandDispatch::BackupManager() {
  RefillBackupList();
  ShowScreenInFrame(ScreenId::BackUp, 246);
}

void CommandDispatch::PingSettings() { ShowScreenInFrame(ScreenId::NetPingerSettings, 244); }

void CommandDispatch::SystemStatus() { ShowScreenInFrame(ScreenId::SystemStatus, 255); }

void CommandDispatch::RamConfig() { ShowScreenInFrame(ScreenId::RamConfiguration, 240); }

void CommandDispatch::KernelSettings() { ShowScreenInFrame(ScreenId::KernelSettings, 255); }

void CommandDispatch::ConnectionTest() { ShowScreenInFrame(ScreenId::ConnectionTest, 255); }

void CommandDispatch::InternetProperties() { ReportMissing(m_addons.OpenInternetProperties(), kNoInternetTool); }

void CommandDispatch::SystemSetting() { ReportMissing(m_addons.OpenSystemProperties(), kNoSystemTool); }

void CommandDispatch::ModemSetting() { ReportMissing(m_addons.OpenModemSettings(), kNoModemTool); }

void CommandDispatch::NetworkSetting() { ReportMissing(m_addons.OpenNetworkSettings(), kNoNetworkTool); }

void CommandDispatch::Notice(const char* text) { m_messages.Show(text, "Zentrofast", MsgIcon::None, MsgButtons::Ok); }

void CommandDispatch::ReportMissing(bool found, const char* text) {
  if (!found) m_messages.Show(text, "Zentrofast", MsgIcon::Exclamation, MsgButtons::Ok);
}

// The movie's own About panel is what the menu shows; without the movie a plain box says it.
void CommandDispatch::FallbackAbout() {
  m_messages.Show(
      QCoreApplication::translate("zf::Messages", "Zentrofast\nVersion %1").arg(VersionText()).toStdString(),
      "Zentrofast", MsgIcon::Information, MsgButtons::Ok);
}

void CommandDispatch::ButtonClicked(ButtonGroup group, int Index) {
  switch (group) {
    case ButtonGroup::Zentrofast: cmdZentrofast_Click(Index); break;
    case ButtonGroup::SystemSettings: cmdSystemSettings_Click(Index); break;
    case ButtonGroup::RamBooster: cmdRamBooster_Click(Index); break;
    case ButtonGroup::NetPinger: cmdNetPinger_Click(Index); break;
    case ButtonGroup::MainSettings: cmdMainSettings_Click(); break;
    // Without the movie these three would do nothing at all; they stand in for its pages.
    case ButtonGroup::HomePage: Main(); break;
    case ButtonGroup::About: FallbackAbout(); break;
    case ButtonGroup::Help: Help(); break;
  }
}

void CommandDispatch::cmdZentrofast_Click(int Index) {
  switch (Index) {
    case 0: Notice("Nothandeled"); break;
    case 1: m_screens.ShowChildScreen(ScreenId::WizardMode); break;
    case 2: m_screens.ShowChildScreen(ScreenId::NormalMode); break;
    case 3:
      RefillBackupList();
      m_screens.ShowChildScreen(ScreenId::BackUp);
      break;
  }
}

void CommandDispatch::cmdSystemSettings_Click(int Index) {
  switch (Index) {
    case 0: Notice("Not handeled"); break;
    case 1: InternetProperties(); break;
    case 2: SystemSetting(); break;
    case 3: ModemSetting(); break;
    case 4: NetworkSetting(); break;
    case 5: m_screens.ShowChildScreen(ScreenId::KernelSettings); break;
  }
}

void CommandDispatch::cmdRamBooster_Click(int Index) {
  switch (Index) {
    case 0: Notice("Not handeled yet"); break;
    case 1: m_screens.ShowChildScreen(ScreenId::SystemStatus); break;
    case 2: m_screens.ShowChildScreen(ScreenId::RamConfiguration); break;
  }
}

void CommandDispatch::cmdNetPinger_Click(int Index) {
  switch (Index) {
    case 0: Notice("Nothandeled"); break;
    case 1: m_screens.ShowChildScreen(ScreenId::NetPingerSettings); break;
    case 2: m_screens.ShowChildScreen(ScreenId::ConnectionTest); break;
  }
}

void CommandDispatch::cmdMainSettings_Click() { m_screens.ShowChildScreen(ScreenId::MainSettings); }

}  // namespace zf
