// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/Persist.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <set>

#include "helpers/kernel/AtomicFile.h"
#include "helpers/kernel/HelperPaths.h"
#include "helpers/kernel/NetworkManager.h"
#include "kernel/LiveSystem.h"
#include "kernel/PersistTexts.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

std::set<std::string> OurLinkFiles() {
  std::set<std::string> names;
  DIR* folder = ::opendir(paths::kLinkFolder);
  if (!folder) return names;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.starts_with(paths::kLinkPrefix) && name.ends_with(".link")) names.insert(name);
  }
  ::closedir(folder);
  return names;
}

Result<Done> PersistSysctls(const Ledger& ledger, std::vector<std::string>& report) {
  SettingMap sysctls;
  for (const auto& [key, value] : ledger.managed)
    if (!IsMtuKey(key)) sysctls[key] = value;
  if (sysctls.empty()) return RemoveFile(paths::kSysctlFile);
  const std::string text = SysctlFileText(sysctls);
  // Rewriting the same text would only fail where the folder is read-only and change nothing.
  auto written = ReadSmallFile(paths::kSysctlFile) == text ? Result<Done>(Done{})
                                                           : ReplaceFileAtomically(paths::kSysctlFile, text);
  if (written) report.push_back("sysctls persisted in " + std::string(paths::kSysctlFile));
  return written;
}

// udev applies only the first matching .link file: one that sorts before ours keeps our MTU out.
std::string ShadowedBy(const LinkNaming& naming, const std::string& ourFile) {
  const std::string other = naming.sourceFile.substr(naming.sourceFile.rfind('/') + 1);
  if (naming.sourceFile.empty() || other >= ourFile) return {};
  return ", but udev applies " + naming.sourceFile + " to the device first, so that file needs the MTUBytes= line";
}

// NetworkManager when it manages the device, else a .link file for its permanent address, else
// only until the next reboot.
Result<std::string> PersistMtu(NetworkManagerMtus& networkManager, const std::string& name, const std::string& mtu,
                               const LinkInfo* link, std::set<std::string>& keptFiles,
                               std::vector<std::string>& report) {
  if (auto device = networkManager.Device(name)) {
    auto set = networkManager.SetMtu(*device, mtu);
    if (set) {
      report.push_back("MTU of " + name + " persisted in NetworkManager's connection " + device->connection);
      return std::string("nm");
    }
    report.push_back("MTU of " + name + " not written to NetworkManager's connection " + device->connection + ": " +
                     set.error().text);
  }
  if (link && !link->permanentMac.empty()) {
    ::mkdir(paths::kLinkFolder, 0755);
    const std::string file = LinkFileName(name);
    const LinkNaming naming = NamingToCarry(*link);
    auto written = ReplaceFileAtomically(std::string(paths::kLinkFolder) + "/" + file,
                                         LinkFileText(name, link->permanentMac, mtu, naming));
    if (!written) return written.error();
    keptFiles.insert(file);
    report.push_back("MTU of " + name + " persisted in " + paths::kLinkFolder + "/" + file + ShadowedBy(naming, file));
    return std::string("link");
  }
  report.push_back("MTU of " + name +
                   " is set until the next reboot only: neither NetworkManager nor a permanent "
                   "address can carry it");
  return std::string("runtime");
}

void ForgetNetworkManagerMtus(NetworkManagerMtus& networkManager, const Ledger& before, const Ledger& now,
                              std::vector<std::string>& report) {
  for (const auto& [key, how] : before.persistence) {
    if (how != "nm" || now.managed.count(key)) continue;
    const std::string name = InterfaceOfKey(key);
    auto device = networkManager.Device(name);
    if (!device) continue;
    if (auto cleared = networkManager.SetMtu(*device, "0"); !cleared)
      report.push_back("MTU of " + name + " left in NetworkManager's connection " + device->connection + ": " +
                       cleared.error().text);
  }
}

}  // namespace

Result<std::vector<std::string>> PersistManaged(Ledger& ledger, const std::vector<LinkInfo>& links) {
  const Ledger before = ledger;
  std::vector<std::string> report;
  if (auto done = PersistSysctls(ledger, report); !done) return done.error();
  ledger.persistence.clear();
  std::set<std::string> keptFiles;
  NetworkManagerMtus networkManager;
  for (const auto& [key, value] : ledger.managed) {
    if (!IsMtuKey(key)) {
      ledger.persistence[key] = "sysctl";
      continue;
    }
    const std::string name = InterfaceOfKey(key);
    auto how = PersistMtu(networkManager, name, value, FindLink(links, name), keptFiles, report);
    if (!how) return how.error();
    ledger.persistence[key] = how.value();
  }
  for (const auto& file : OurLinkFiles())
    if (!keptFiles.count(file))
      if (auto removed = RemoveFile(std::string(paths::kLinkFolder) + "/" + file); !removed) return removed.error();
  ForgetNetworkManagerMtus(networkManager, before, ledger, report);
  return report;
}

}  // namespace zf::kernel
