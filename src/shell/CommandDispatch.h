// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The movie's commands and the fallback buttons, and the sequences that end the program.
#include <QString>
#include <filesystem>
#include <optional>

#include "core/TcpSettings.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "shell/FallbackButtons.h"
#include "shell/IMainWindowActions.h"
#include "shell/ScreenHost.h"
#include "shell/Tray.h"
#include "shell/mdlAddons.h"

namespace zf {

class CommandDispatch {
 public:
  CommandDispatch(IMainWindowActions& window, ScreenHost& screens, Tray& tray, mdlAddons& addons, IShell& shell,
                  IMessageBox& messages, TuningState& tuning, std::filesystem::path programFolder);

  // The first table entry equal to command (exact, case-sensitive) acts; any other text does
  // nothing. The arguments are not used.
  void FSCommand(const QString& command, const QString& args = {});
  // A button of the fallback column.
  void ButtonClicked(ButtonGroup group, int Index);
  // The main window is being closed: screens unloaded, icon removed, process ended.
  void MainWindowUnload();

 private:
  friend struct CommandTable;

  void Minimize();
  void About();
  void CloseAbout();
  void Main();
  void Close();
  void ToTray();
  void MovieToFront();
  void Settings();
  void Help();
  void Drag();
  void WizardMode();
  void NormalMode();
  void BackupManager();
  void PingSettings();
  void SystemStatus();
  void RamConfig();
  void KernelSettings();
  void ConnectionTest();
  void InternetProperties();
  void SystemSetting();
  void ModemSetting();
  void NetworkSetting();
  void Restart();
  void HideAllAndMovieToFront();

  void cmdZentrofast_Click(int Index);
  void cmdSystemSettings_Click(int Index);
  void cmdRamBooster_Click(int Index);
  void cmdNetPinger_Click(int Index);
  void cmdMainSettings_Click();

  void ShowScreenInFrame(ScreenId id, int frameHeight);
  void RefillBackupList();
  void Notice(const char* text);
  // Says what this desktop lacks when a click found nothing to start.
  void ReportMissing(bool found, const char* text);
  void FallbackAbout();
  // When the restart request cannot be sent or is refused the program goes on as it was: the
  // screen that was open and the settings record come back, and the user is told.
  void ResumeAfterRefusedRestart();

  IMainWindowActions& m_window;
  ScreenHost& m_screens;
  Tray& m_tray;
  mdlAddons& m_addons;
  IShell& m_shell;
  IMessageBox& m_messages;
  TuningState& m_tuning;
  std::filesystem::path m_programFolder;
  // What a refused restart brings back.
  struct BeforeRestart {
    std::optional<ScreenId> shownScreen;
    TcpSettings record;
  };
  std::optional<BeforeRestart> m_beforeRestart;
};

}  // namespace zf
