// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ScreenBackgrounds.h"

#include <QCoreApplication>

namespace zf {

ScreenBackgrounds::ScreenBackgrounds(AppServices& services, ITuningFollowUp& followUp)
    : m_services(services), m_followUp(followUp), m_memory(services) {}

ScreenBackgrounds::~ScreenBackgrounds() = default;

IScreenBackground* ScreenBackgrounds::Make(ScreenId id, IMainWindow& mainWindow) {
  switch (id) {
    case ScreenId::WizardMode:
      return (m_wizard = std::make_unique<WizardModeLogic>(m_services, mainWindow, m_followUp)).get();
    case ScreenId::BackUp:
      return (m_backups = std::make_unique<BackupManagerLogic>(m_services, mainWindow, m_followUp)).get();
    case ScreenId::NetPingerSettings: return (m_pinger = std::make_unique<PingerService>(m_services)).get();
    case ScreenId::SystemStatus:
      return (m_status = std::make_unique<StatusMonitor>(m_services, mainWindow, m_memory)).get();
    case ScreenId::RamConfiguration: return (m_booster = std::make_unique<RamBooster>(m_services, m_memory)).get();
    case ScreenId::MainSettings:
      return (m_settings = std::make_unique<MainSettingsService>(m_services.registry, m_services.shell,
                                                                 QCoreApplication::applicationFilePath().toStdString()))
          .get();
    default: return nullptr;
  }
}

}  // namespace zf
