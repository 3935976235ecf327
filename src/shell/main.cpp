// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program: creates every service, then hands over to the main window.
#include <QApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <cstdio>
#include <memory>
#include <optional>

#include "core/Config.h"
#include "core/RegistrySeed.h"
#include "core/RegistryStore.h"
#include "history/ConnectionHistoryService.h"
#include "kernel/DriftWatcher.h"
#include "kernel/HelperProcess.h"
#include "kernel/InterruptedApply.h"
#include "kernel/KernelApplyFlow.h"
#include "kernel/KernelBridge.h"
#include "kernel/Ledger.h"
#include "msgbox/BalloonNotifier.h"
#include "platform/linux/DeferredSound.h"
#include "platform/linux/LinuxIcmp.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/LinuxSystemInfo.h"
#include "platform/linux/PerfStatsRegistry.h"
#include "platform/linux/PingProgramClient.h"
#include "platform/linux/ProcessLocks.h"
#include "platform/linux/QtTrayService.h"
#include "platform/linux/QtWindowSystem.h"
#include "platform/linux/SoundModule.h"
#include "platform/network.h"
#include "screens/ConnectionTestRun.h"
#include "screens/StoredTargetMeasurer.h"
#include "shell/Accessibility.h"
#include "shell/CommandLine.h"
#include "shell/MenuScene.h"
#include "shell/ScreenFactory.h"
#include "shell/StartupProbe.h"
#include "shell/Translations.h"
#include "shell/WindowFit.h"
#include "shell/frmMain.h"

namespace {

QStringList Arguments(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Help and version need no display, so they are answered before the application opens one.
  const zf::CommandLine early = zf::ReadCommandLine(Arguments(argc, argv));
  if (early.action == zf::CommandLine::Action::ShowHelp || early.action == zf::CommandLine::Action::ShowVersion) {
    std::fputs(early.text.toLocal8Bit().constData(), stdout);
    return 0;
  }
  auto application = std::make_unique<QApplication>(argc, argv);
  // Too large for this screen: the program is made anew, drawn small enough to fit.
  if (const std::optional<double> factor = zf::MainWindowFitFactor({zf::kMainWidth, zf::kMainHeight})) {
    application.reset();
    const zf::ScaleFactorOverride fit(*factor);
    application = std::make_unique<QApplication>(argc, argv);
  }
  QApplication& app = *application;
  zf::InstallAccessibleWidgets();
  zf::InstallTranslations(app, QLocale::system(),
                          zf::TranslationFolders(QString::fromStdString(zf::ExecutableFolder().string())));
  // Read again once Qt has taken its own options (-platform, -style, …) off the command line.
  const zf::CommandLine commandLine = zf::ReadCommandLine(QCoreApplication::arguments());
  if (commandLine.action == zf::CommandLine::Action::Refuse) {
    std::fputs(commandLine.text.toLocal8Bit().constData(), stderr);
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("Zentrofast"));
  QApplication::setApplicationVersion(zf::VersionText());
  // The program lives on in the tray while every window is hidden.
  QApplication::setQuitOnLastWindowClosed(false);

  const bool probe = zf::StartupProbeEnabled();
  zf::QtMessageBox systemMessageBox;
  zf::ProbeMessageBox probeMessageBox;
  zf::IMessageBox& messageBox = probe ? static_cast<zf::IMessageBox&>(probeMessageBox) : systemMessageBox;

  zf::ProcessLocks locks;
  if (!locks.TryBecomeOnlyInstance()) {
    // The running copy comes to the front; the notice stays as users know it.
    locks.AskRunningInstanceToRaise();
    messageBox.Show(QT_TRANSLATE_NOOP("zf::Messages", "The program already opening"), "Zentrofast", zf::MsgIcon::None,
                    zf::MsgButtons::Ok);
    return 0;
  }

  zf::Config config = zf::LoadConfig();
  if (const std::string problem = zf::MissingFolderProblem(config); !problem.empty()) {
    messageBox.Show(QCoreApplication::translate("zf::Messages", "Zentrofast cannot start: %1.")
                        .arg(QString::fromStdString(problem))
                        .toStdString(),
                    "Zentrofast", zf::MsgIcon::Stop, zf::MsgButtons::Ok);
    return 1;
  }
  // Qt reads the menu scene on its loader thread while the store opens and the window is built.
  QQmlEngine menuEngine;
  const std::unique_ptr<QQmlComponent> sceneAhead =
      zf::ReadSceneAhead(menuEngine, QString::fromStdString((config.programFolder / zf::kMenuSceneFile).string()));
  zf::LoadMenuFonts();
  std::string storeError;
  std::unique_ptr<zf::IRegistry> registry = zf::OpenRegistryStore(config.registryFile, &storeError);
  if (!registry) {
    messageBox.Show(QCoreApplication::translate("zf::Messages", "Zentrofast cannot open its settings store.\n\n%1")
                        .arg(QString::fromStdString(storeError))
                        .toStdString(),
                    "Zentrofast", zf::MsgIcon::Stop, zf::MsgButtons::Ok);
    return 1;
  }
  static_cast<void>(zf::AddNewNetworkAdapters(*registry, zf::NetworkInterfaceNames()));  // interfaces new since
  // A keep window this program was killed in: the store follows the computer back.
  if (const std::string told = zf::ReconcileInterruptedApply(*registry, config); !told.empty())
    messageBox.Show(told, "Zentrofast", zf::MsgIcon::Information, zf::MsgButtons::Ok);

  zf::LinuxShell shell;
  // Qt Multimedia and the sound server's client load with the first sound, not before the window.
  zf::DeferredSound sound(QString::fromStdString(zf::SoundModuleFor(zf::ExecutableFolder()).string()),
                          [] { QApplication::beep(); });
  zf::QtWindowSystem windowSystem;
  zf::SystemClock clock;
  // This program never holds a capability (Qt loads plugins the environment names): where datagram
  // sockets are refused, the ping program sends the echo requests.
  zf::LinuxIcmp icmp(
      zf::IcmpOptions{zf::IcmpSocketKinds::DatagramOnly, -1, zf::PingProgramFor(zf::ExecutableFolder())});
  zf::LinuxSystemInfo systemInfo;
  // The 9x family's processor probe reads the live performance-statistics keys through it.
  zf::PerfStatsRegistry programRegistry(*registry, systemInfo);
  zf::AppServices services{config,           programRegistry, shell, sound,      windowSystem,
                           messageBox,       clock,           icmp,  systemInfo, zf::OSFamily{},
                           zf::TuningState{}};

  zf::QtTrayService systemTray;
  zf::ProbeTrayService probeTray(systemTray);
  zf::ITrayService& tray = probe ? static_cast<zf::ITrayService&>(probeTray) : systemTray;
  zf::BalloonNotifier autoMessageBox(windowSystem);

  zf::kernel::KernelBridge bridge({*registry, zf::DetectOSFamily(config.osVersion), zf::kernel::ThisMachine(),
                                   zf::kernel::kLedgerPath, zf::kernel::HelperCommandLine(),
                                   zf::BackupsFolder(config)});
  const auto balloon = [&tray](const QString& text) { tray.ShowBalloon(QStringLiteral("Zentrofast"), text); };
  const QString measuringProgram = zf::MeasuringProgramFor(QString::fromStdString(zf::ExecutableFolder().string()));
  // The kernel apply measures the connection-test target before and after, in a child as the screen does.
  zf::StoredTargetMeasurer measurer(services.registry, zf::ConnectionTestSetup{measuringProgram});
  zf::KernelFlowSetup flowSetup{bridge, balloon, [] { return zf::ProgramMainWindow(); },
                                [] { return zf::MissingAuthenticationTool(); }};
  flowSetup.measurer = &measurer;
  zf::KernelApplyFlow kernelFlow(services, std::move(flowSetup));
  zf::ConnectionHistoryService connectionHistory(services, balloon);
  services.connectionHistory = connectionHistory.Echoes();
  services.showConnectionHistory = [&connectionHistory] { connectionHistory.ShowWindow(); };

  zf::ProgramScreens screens(services, {bridge, kernelFlow, measuringProgram});
  zf::frmMain mainWindow(services, screens.Factory(), {tray, autoMessageBox, locks, &menuEngine});
  QObject::connect(&mainWindow, &zf::frmMain::EndRequested, &app, [] { QCoreApplication::exit(0); });
  // Drift is told on the tray icon, which the load handler adds: the first check waits for it,
  // and runs from the event loop so that the window is not held back by it.
  zf::DriftWatcher drift(
      {bridge,
       [&mainWindow](const QString& text) { return mainWindow.Tray1().ShowNotice(QStringLiteral("Zentrofast"), text); },
       [&kernelFlow] { return kernelFlow.stage() != zf::KernelApplyFlow::Stage::Idle; }});
  QObject::connect(&mainWindow, &zf::frmMain::LoadFinished, &drift, &zf::DriftWatcher::Start, Qt::QueuedConnection);

  if (probe) {
    QObject::connect(&mainWindow, &zf::frmMain::FirstFrameShown, [] { zf::ProbeReport(QStringLiteral("shown")); });
    QObject::connect(&mainWindow, &zf::frmMain::LoadFinished, [] { zf::ProbeReport(QStringLiteral("loaded")); });
    QObject::connect(&mainWindow, &zf::frmMain::RaisedOnRequest, &mainWindow, [&mainWindow] {
      const bool inFront = mainWindow.isVisible() && !mainWindow.isMinimized();
      zf::ProbeReport(inFront ? QStringLiteral("raised") : QStringLiteral("raise failed"));
    });
    zf::ReportDialogs();
    zf::AcceptProbeCommands([&mainWindow](const QString& command) { mainWindow.dispatch().FSCommand(command); });
  }
  mainWindow.Start(commandLine.startHidden);
  if (probe) zf::ReportWindowFit(&mainWindow);
  return QApplication::exec();
}
