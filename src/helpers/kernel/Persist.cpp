// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/Persist.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <set>

#include "helpers/kernel/AtomicFile.h"
#include "helpers/kernel/HelperPaths.h"
#include "kernel/PersistTexts.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

// nmcli without a shell and with an environment of our own; its standard output, or nothing
// when it is not installed or fails.
std::optional<std::string> RunNmcli(std::vector<std::string> arguments) {
  if (::access(paths::kNmcli, X_OK) != 0) return std::nullopt;
  arguments.insert(arguments.begin(), paths::kNmcli);
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  char path[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";
  char locale[] = "LC_ALL=C";
  char* envp[] = {path, locale, nullptr};
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t child = 0;
  const bool started = posix_spawn(&child, paths::kNmcli, &actions, nullptr, argv.data(), envp) == 0;
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  std::string text;
  char buffer[1024];
  for (ssize_t n; started && (n = ::read(out[0], buffer, sizeof buffer)) > 0 && text.size() < 65536;)
    text.append(buffer, n);
  ::close(out[0]);
  int status = 0;
  if (!started || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return std::nullopt;
  return text;
}

struct NmDevice {
  std::string connection;
  std::string property;  // "802-3-ethernet.mtu" or "wifi.mtu"
};

std::optional<NmDevice> NetworkManagerDevice(const std::string& name) {
  const auto text = RunNmcli({"-t", "-g", "GENERAL.TYPE,GENERAL.STATE,GENERAL.CONNECTION", "device", "show", name});
  if (!text) return std::nullopt;
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text->find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text->substr(start, end - start));
  if (lines.size() < 3 || lines[2].empty() || lines[1].find("unmanaged") != std::string::npos) return std::nullopt;
  if (lines[0] == "ethernet") return NmDevice{lines[2], "802-3-ethernet.mtu"};
  if (lines[0] == "wifi") return NmDevice{lines[2], "wifi.mtu"};
  return std::nullopt;
}

bool SetNetworkManagerMtu(const NmDevice& device, const std::string& mtu) {
  return RunNmcli({"connection", "modify", device.connection, device.property, mtu}).has_value();
}

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
  auto written = ReplaceFileAtomically(paths::kSysctlFile, SysctlFileText(sysctls));
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
Result<std::string> PersistMtu(const std::string& name, const std::string& mtu, const LinkInfo* link,
                               std::set<std::string>& keptFiles, std::vector<std::string>& report) {
  if (auto device = NetworkManagerDevice(name); device && SetNetworkManagerMtu(*device, mtu)) {
    report.push_back("MTU of " + name + " persisted in NetworkManager's connection " + device->connection);
    return std::string("nm");
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

void ForgetNetworkManagerMtus(const Ledger& before, const Ledger& now) {
  for (const auto& [key, how] : before.persistence)
    if (how == "nm" && !now.managed.count(key))
      if (auto device = NetworkManagerDevice(InterfaceOfKey(key))) SetNetworkManagerMtu(*device, "0");
}

}  // namespace

Result<std::vector<std::string>> PersistManaged(Ledger& ledger, const std::vector<LinkInfo>& links) {
  const Ledger before = ledger;
  std::vector<std::string> report;
  if (auto done = PersistSysctls(ledger, report); !done) return done.error();
  ledger.persistence.clear();
  std::set<std::string> keptFiles;
  for (const auto& [key, value] : ledger.managed) {
    if (!IsMtuKey(key)) {
      ledger.persistence[key] = "sysctl";
      continue;
    }
    const std::string name = InterfaceOfKey(key);
    auto how = PersistMtu(name, value, FindLink(links, name), keptFiles, report);
    if (!how) return how.error();
    ledger.persistence[key] = how.value();
  }
  for (const auto& file : OurLinkFiles())
    if (!keptFiles.count(file))
      if (auto removed = RemoveFile(std::string(paths::kLinkFolder) + "/" + file); !removed) return removed.error();
  ForgetNetworkManagerMtus(before, ledger);
  return report;
}

}  // namespace zf::kernel
