// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window over fakes, with the program's own scene and skin copied into the temporary
// program folder.
#include <QFile>
#include <QString>
#include <QTest>
#include <filesystem>
#include <memory>

#include "ShellFakes.h"
#include "shell/frmMain.h"
#include "shell/frmMainSettings.h"
#include "support/TestServices.h"

namespace zf::test {

inline std::filesystem::path ProgramBuildFolder() { return qEnvironmentVariable("ZENTROFAST_BIN").toStdString(); }

struct MainWindowRig {
  explicit MainWindowRig(OSVersionRecord version = kDefaultOSVersion) : services(version), tray(log), locks(log) {
    for (const char* name : {"speed up.swf", "QorvMask.skn"})
      std::filesystem::copy_file(ProgramBuildFolder() / name, services.folder / name);
    // Start-up is what sets these.
    services.services.os = OSFamily{};
    services.services.tuning = TuningState{};
  }

  frmMain& Window() {
    if (!window) {
      auto views = [this](ScreenId id, IMainWindow& host) -> std::unique_ptr<ChildScreen> {
        if (id == ScreenId::MainSettings) return std::make_unique<frmMainSettings>(services.services, host, settings);
        return std::make_unique<RecordingScreen>(services.services, host, id, log);
      };
      // The main settings are the program's own; the other screens record their loads.
      auto backgrounds = [this](ScreenId id, IMainWindow&) -> IScreenBackground* {
        return id == ScreenId::MainSettings ? &settings : nullptr;
      };
      window = std::make_unique<frmMain>(services.services, ScreenFactory(views, backgrounds),
                                         frmMain::Platform{tray, autoMessage, locks});
    }
    return *window;
  }

  // Starts the window and waits until its load handler has run to its end.
  void Start() {
    Window().Start();
    QTRY_VERIFY(window->loadFinished());
  }

  void StoreMainSetting(const char* name, const char* value) {
    services.registry.PutText("HKLM\\SOFTWARE\\Tessel\\Zentrofast\\Settings\\MainSettings", name, value);
  }

  TestServices services;
  MainSettingsService settings{services.registry, services.shell,
                               QCoreApplication::applicationFilePath().toStdString()};
  CallLog log;
  FakeTrayService tray;
  FakeAutoMessageBox autoMessage;
  FakeProcessLocks locks;
  std::unique_ptr<frmMain> window;
};

}  // namespace zf::test
