// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/KernelNamespace.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kernel/SettingTable.h"

namespace zf::test {
namespace {

namespace fs = std::filesystem;

int g_hostNet = -1;
int g_hostMount = -1;

std::string Failure(const std::string& step) { return step + ": " + std::strerror(errno); }

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void SnapshotTree(const fs::path& root, std::string& out) {
  std::error_code error;
  if (!fs::exists(root, error)) {
    out += root.string() + " absent\n";
    return;
  }
  for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    out += it->path().string();
    if (it->is_regular_file()) out += " = " + ReadAll(it->path());
    out += "\n";
  }
}

// The nearest existing folder at or above path: a tmpfs there hides nothing the helper needs
// and lets the missing folders be made inside the namespace only.
fs::path MountPointFor(const fs::path& folder) {
  fs::path point = folder;
  while (!fs::exists(point)) point = point.parent_path();
  return point;
}

int Run(const std::vector<const char*>& argv) {
  const pid_t child = ::fork();
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::execv(argv[0], const_cast<char* const*>(argv.data()));
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

const std::vector<std::string>& KernelHelperFolders() {
  static const std::vector<std::string> folders{"/etc/sysctl.d", "/etc/systemd/network", "/var/lib/zentrofast",
                                                "/run/zentrofast"};
  return folders;
}

// The administrator's sysctl folders boot reads besides the helper's: hidden, so that what the
// host's files set cannot reach a test. An absent folder has nothing to hide.
static const std::vector<std::string>& BootSysctlFolders() {
  static const std::vector<std::string> folders{"/run/sysctl.d", "/usr/local/lib/sysctl.d", "/usr/lib/sysctl.d"};
  return folders;
}

std::string HostKernelSnapshot() {
  std::string out;
  // Every sysctl the setting table governs, so a new setting cannot escape the comparison.
  for (const std::string_view key : kernel::FixedSettingKeys())
    out += std::string(key) + " = " + ReadAll(fs::path("/proc/sys") / key);
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc/sys/net/ipv4/conf", error))
    out += entry.path().string() + " = " + ReadAll(entry.path() / "accept_redirects");
  for (const auto& entry : fs::directory_iterator("/sys/class/net", error))
    out += entry.path().string() + " mtu " + ReadAll(entry.path() / "mtu");
  for (const auto& folder : KernelHelperFolders()) SnapshotTree(folder, out);
  return out;
}

std::string EnterKernelSandbox() {
  if (::geteuid() != 0) return "the kernel helper tests need root (CI runs them as root)";
  g_hostNet = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
  g_hostMount = ::open("/proc/self/ns/mnt", O_RDONLY | O_CLOEXEC);
  if (g_hostNet < 0 || g_hostMount < 0) return Failure("opening our namespaces");
  if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0) return Failure("unshare(CLONE_NEWNS | CLONE_NEWNET)");
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return Failure("making mounts private");
  for (const auto& folder : KernelHelperFolders()) {
    const fs::path point = MountPointFor(folder);
    if (point == "/" || point == "/etc") return "no safe place to mount a tmpfs for " + folder;
    if (point != folder && fs::exists(folder)) continue;  // already under an earlier tmpfs
    if (::mount("tmpfs", point.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0)
      return Failure("mounting a tmpfs on " + point.string());
    fs::create_directories(folder);
  }
  for (const auto& folder : BootSysctlFolders())
    if (fs::is_directory(folder) && ::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0)
      return Failure("mounting a tmpfs on " + folder);
  if (fs::exists("/etc/sysctl.conf") && ::mount("/dev/null", "/etc/sysctl.conf", nullptr, MS_BIND, nullptr) != 0)
    return Failure("hiding /etc/sysctl.conf");
  return {};
}

std::string HostSnapshotAfterSandbox() {
  if (::setns(g_hostMount, CLONE_NEWNS) != 0 || ::setns(g_hostNet, CLONE_NEWNET) != 0)
    return Failure("returning to the host's namespaces");
  return HostKernelSnapshot();
}

std::string FreshKernelMachine() {
  for (const auto& folder : KernelHelperFolders()) {
    // A test that unmounted the sandbox's tmpfs by mistake would otherwise empty the host's folder.
    struct statfs kind {};
    if (::statfs(folder.c_str(), &kind) != 0 || kind.f_type != TMPFS_MAGIC)
      return folder + " is no longer the sandbox's tmpfs; nothing was cleared";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) fs::remove_all(entry.path(), error);
  }
  for (const auto& folder : BootSysctlFolders()) {
    if (!fs::is_directory(folder)) continue;
    struct statfs kind {};
    if (::statfs(folder.c_str(), &kind) != 0 || kind.f_type != TMPFS_MAGIC)
      return folder + " is no longer the sandbox's tmpfs; nothing was cleared";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) fs::remove_all(entry.path(), error);
  }
  return RebootedKernelMachine({});
}

std::string RebootedKernelMachine(const std::string& zf0Address) {
  if (::unshare(CLONE_NEWNET) != 0) return Failure("unshare(CLONE_NEWNET)");
  std::vector<const char*> add{"/sbin/ip", "link", "add", "zf0"};
  if (!zf0Address.empty()) add.insert(add.end(), {"address", zf0Address.c_str()});
  add.insert(add.end(), {"type", "veth", "peer", "name", "zf1", nullptr});
  if (Run({"/sbin/ip", "link", "set", "lo", "up", nullptr}) != 0 || Run(add) != 0 ||
      Run({"/sbin/ip", "link", "set", "zf0", "up", nullptr}) != 0)
    return "cannot make the veth pair zf0/zf1";
  return {};
}

}  // namespace zf::test
