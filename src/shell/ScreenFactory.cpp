#include "shell/ScreenFactory.h"

#include "backups/frmBackUp.h"
#include "kernel/frmKernelSettings.h"
#include "memory/frmRamConfiguration.h"
#include "memory/frmSystemStatus.h"
#include "pinger/frmNetPingerSettings.h"
#include "screens/frmNormalMode.h"
#include "screens/frmWizardMode.h"
#include "shell/frmMainSettings.h"

namespace zf {

std::unique_ptr<ChildScreen> CreateScreen(ScreenId id, AppServices& services) {
  switch (id) {
    case ScreenId::WizardMode: return std::make_unique<frmWizardMode>(services);
    case ScreenId::NormalMode: return std::make_unique<frmNormalMode>(services);
    case ScreenId::BackUp: return std::make_unique<frmBackUp>(services);
    case ScreenId::NetPingerSettings: return std::make_unique<frmNetPingerSettings>(services);
    case ScreenId::SystemStatus: return std::make_unique<frmSystemStatus>(services);
    case ScreenId::RamConfiguration: return std::make_unique<frmRamConfiguration>(services);
    case ScreenId::MainSettings: return std::make_unique<frmMainSettings>(services);
    case ScreenId::KernelSettings:
      if (services.kernelBridge == nullptr) return nullptr;
      return std::make_unique<frmKernelSettings>(services, *services.kernelBridge);
  }
  return nullptr;
}

}  // namespace zf
