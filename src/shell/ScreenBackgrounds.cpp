// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ScreenBackgrounds.h"

namespace zf {

ScreenBackgrounds::ScreenBackgrounds(AppServices& services) : m_services(services), m_memory(services) {}

ScreenBackgrounds::~ScreenBackgrounds() = default;

IScreenBackground* ScreenBackgrounds::Make(ScreenId id, IMainWindow&) {
  switch (id) {
    case ScreenId::NetPingerSettings: return (m_pinger = std::make_unique<PingerService>(m_services)).get();
    default: return nullptr;
  }
}

}  // namespace zf
