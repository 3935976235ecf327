// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"

#include <ostream>

#include "core/RegistrySeed.h"
#include "core/RegistryStore.h"
#include "platform/network.h"

namespace zf::cli {

int CliContext::UsageError(const std::string& message) {
  err << "zentrofastctl: " << message << "\n";
  return kExitUsage;
}

IRegistry* CliContext::Registry() {
  if (!m_registry) {
    std::string error;
    m_registry = OpenRegistryStore(config.registryFile, &error);
    if (!m_registry) err << "zentrofastctl: " << error << "\n";
    // Interfaces that appeared since the store was made get their keys; a store that refuses the
    // write still serves the command.
    if (m_registry) static_cast<void>(AddNewNetworkAdapters(*m_registry, NetworkInterfaceNames()));
  }
  return m_registry.get();
}

}  // namespace zf::cli
