#include "shell/ScreenFactory.h"

#include "memory/frmRamConfiguration.h"
#include "memory/frmSystemStatus.h"
#include "pinger/frmNetPingerSettings.h"
#include "shell/PlaceholderScreen.h"
#include "shell/frmMainSettings.h"

namespace zf {
namespace {

std::unique_ptr<ChildScreen> Placeholder(AppServices& services, const char* frameCaption) {
  return std::make_unique<PlaceholderScreen>(services, QString::fromUtf8(frameCaption));
}

}  // namespace

std::unique_ptr<ChildScreen> CreateScreen(ScreenId id, AppServices& services) {
  switch (id) {
    case ScreenId::WizardMode: return Placeholder(services, "Wizard Mode");
    case ScreenId::NormalMode: return Placeholder(services, "Normal Mode");
    case ScreenId::BackUp: return Placeholder(services, "Backup");
    case ScreenId::NetPingerSettings: return std::make_unique<frmNetPingerSettings>(services);
    case ScreenId::SystemStatus: return std::make_unique<frmSystemStatus>(services);
    case ScreenId::RamConfiguration: return std::make_unique<frmRamConfiguration>(services);
    case ScreenId::MainSettings: return std::make_unique<frmMainSettings>(services);
  }
  return nullptr;
}

}  // namespace zf
