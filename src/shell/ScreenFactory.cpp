#include "shell/ScreenFactory.h"

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
    case ScreenId::SystemStatus: return Placeholder(services, "System Status");
    case ScreenId::RamConfiguration: return Placeholder(services, "Ram Configuration");
    case ScreenId::MainSettings: return std::make_unique<frmMainSettings>(services);
  }
  return nullptr;
}

}  // namespace zf
