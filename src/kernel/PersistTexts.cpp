// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/PersistTexts.h"

#include "core/Translatable.h"
#include "kernel/AnsiblePlaybook.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

std::string SysctlLines(const SettingMap& settings, const char* separator) {
  std::string lines;
  for (const auto& [key, value] : settings)
    if (!IsMtuKey(key)) lines += DisplayName(key) + separator + value + "\n";
  return lines;
}

// TuneD from 2.22 spells a key as sysctl(8) does, an interface's own dots as slashes; older TuneD
// turns every dot into a slash, so no [sysctl] key reaches an interface with a dot in its name.
std::string TunedLines(const SettingMap& settings) {
  std::string lines;
  for (const auto& [key, value] : settings) {
    if (IsMtuKey(key)) continue;
    if (const std::string name = InterfaceOfKey(key); name.find('.') != std::string::npos)
      lines += "# " + name + " needs TuneD 2.22 or later (older TuneD turns every dot into a slash); " +
               "elsewhere use `zentrofastctl kernel export --format sysctl`\n";
    lines += DisplayName(key) + "=" + value + "\n";
  }
  return lines;
}

}  // namespace

std::string SysctlFileText(const SettingMap& settings) {
  return "# Written by Zentrofast; `zentrofastctl kernel revert` removes it.\n" + SysctlLines(settings, " = ");
}

std::string TunedProfileText(const SettingMap& settings) {
  return "[main]\nsummary=Zentrofast connection tuning\n\n[sysctl]\n" + TunedLines(settings);
}

std::string LinkFileText(const std::string& interfaceName, const std::string& permanentMac, const std::string& mtu,
                         const LinkNaming& naming) {
  std::string text = "# Written by Zentrofast for " + interfaceName + "; `zentrofastctl kernel revert` removes it.\n";
  if (!naming.sourceFile.empty())
    text += "# It replaces " + naming.sourceFile + " for this device, so it carries that file's naming.\n";
  text += "[Match]\nPermanentMACAddress=" + permanentMac + "\n\n[Link]\n";
  for (const auto& line : naming.lines) text += line + "\n";
  return text + "MTUBytes=" + mtu + "\n";
}

LinkNaming NamingToCarry(const LinkInfo& link, const std::vector<std::string>& linkFolders) {
  return FindLinkNaming(ReadDeviceFacts(link.name, link.permanentMac), kLinkFilePrefix, linkFolders);
}

std::string LinkFileName(const std::string& interfaceName) {
  return std::string(kLinkFilePrefix) + interfaceName + ".link";
}

}  // namespace zf::kernel

namespace zf::kernel {

Result<std::string> ExportDesiredState(const SettingMap& desired, const std::vector<LinkInfo>& links,
                                       std::string_view format, const std::vector<std::string>& linkFolders) {
  if (format == "sysctl") return SysctlFileText(desired);
  if (format == "tuned") return TunedProfileText(desired);
  if (format == "ansible") return AnsiblePlaybookText(desired, links, linkFolders);
  if (format != "networkd")
    return Error{ZF_CLI_TRANSLATABLE("the export formats are sysctl, tuned, networkd and ansible")};
  std::string text;
  for (const auto& [key, mtu] : desired) {
    if (!IsMtuKey(key)) continue;
    const std::string name = InterfaceOfKey(key);
    const LinkInfo* link = FindLink(links, name);
    if (!link || link->permanentMac.empty()) {
      text += "# " + name + " has no permanent address to match, so it has no .link file\n";
      continue;
    }
    text += "# file: " + LinkFileName(name) + "\n" +
            LinkFileText(name, link->permanentMac, mtu, NamingToCarry(*link, linkFolders)) + "\n";
  }
  return text.empty() ? std::string("# no MTU is tuned\n") : text;
}

}  // namespace zf::kernel
