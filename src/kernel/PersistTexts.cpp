#include "kernel/PersistTexts.h"

#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

std::string SysctlLines(const SettingMap& settings, const char* separator) {
  std::string lines;
  for (const auto& [key, value] : settings)
    if (!IsMtuKey(key)) lines += DisplayName(key) + separator + value + "\n";
  return lines;
}

}  // namespace

std::string SysctlFileText(const SettingMap& settings) {
  return "# Written by Zentrofast; `zentrofastctl kernel revert` removes it.\n" + SysctlLines(settings, " = ");
}

std::string TunedProfileText(const SettingMap& settings) {
  return "[main]\nsummary=Zentrofast connection tuning\n\n[sysctl]\n" + SysctlLines(settings, "=");
}

std::string LinkFileText(const std::string& interfaceName, const std::string& permanentMac, const std::string& mtu) {
  return "# Written by Zentrofast for " + interfaceName + "; `zentrofastctl kernel revert` removes it.\n[Match]\n" +
         "PermanentMACAddress=" + permanentMac + "\n\n[Link]\nMTUBytes=" + mtu + "\n";
}

std::string LinkFileName(const std::string& interfaceName) { return "80-zentrofast-" + interfaceName + ".link"; }

}  // namespace zf::kernel
