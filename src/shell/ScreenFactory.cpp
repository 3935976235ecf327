// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ScreenFactory.h"

#include "backups/frmBackUp.h"
#include "kernel/frmKernelSettings.h"
#include "memory/frmRamConfiguration.h"
#include "memory/frmSystemStatus.h"
#include "pinger/frmNetPingerSettings.h"
#include "screens/frmConnectionTest.h"
#include "screens/frmNormalMode.h"
#include "screens/frmWizardMode.h"
#include "shell/frmMainSettings.h"

namespace zf {

std::unique_ptr<ChildScreen> ProgramScreens::Create(ScreenId id, IMainWindow& mainWindow) {
  AppServices& services = m_services;
  switch (id) {
    case ScreenId::WizardMode: return std::make_unique<frmWizardMode>(services, mainWindow, m_backgrounds.Wizard());
    case ScreenId::NormalMode: return std::make_unique<frmNormalMode>(services, mainWindow, m_extra.followUp);
    case ScreenId::BackUp: return std::make_unique<frmBackUp>(services, mainWindow, m_backgrounds.Backups());
    case ScreenId::NetPingerSettings:
      return std::make_unique<frmNetPingerSettings>(services, mainWindow, m_backgrounds.Pinger());
    case ScreenId::SystemStatus: return std::make_unique<frmSystemStatus>(services, mainWindow, m_backgrounds.Status());
    case ScreenId::RamConfiguration:
      return std::make_unique<frmRamConfiguration>(services, mainWindow, m_backgrounds.Booster());
    case ScreenId::MainSettings:
      return std::make_unique<frmMainSettings>(services, mainWindow, m_backgrounds.Settings());
    case ScreenId::KernelSettings:
      return std::make_unique<frmKernelSettings>(services, mainWindow, m_extra.kernelBridge, m_extra.followUp);
    case ScreenId::ConnectionTest:
      return std::make_unique<frmConnectionTest>(services, mainWindow, m_extra.followUp,
                                                 ConnectionTestSetup{m_extra.measuringProgram});
  }
  return nullptr;
}

ScreenFactory ProgramScreens::Factory() {
  return {[this](ScreenId id, IMainWindow& host) { return Create(id, host); },
          [this](ScreenId id, IMainWindow& host) { return Background(id, host); }};
}

}  // namespace zf
