// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PrivateNetworkManager.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace zf::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDbusDaemon = "/usr/bin/dbus-daemon";
constexpr const char* kNetworkManager = "/usr/sbin/NetworkManager";
constexpr const char* kNmcli = "/usr/bin/nmcli";

// Anyone may own and call anything: the bus lives and dies with the test.
constexpr const char* kBusConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=/run/dbus/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";

// Only the keyfile plugin and no automatic connection for the veth's other end.
constexpr const char* kNetworkManagerConfig = "[main]\nplugins=keyfile\nno-auto-default=*\n\n[logging]\nlevel=ERR\n";

std::string KeyfilePath(const std::string& name) {
  return "/etc/NetworkManager/system-connections/" + name + ".nmconnection";
}

std::string ConnectionFile(const std::string& name) {
  return "[connection]\nid=" + name + "\ntype=ethernet\ninterface-name=" + name +
         "\n\n[ethernet]\n\n[ipv4]\nmethod=disabled\n\n[ipv6]\nmethod=ignore\n";
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& output) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  ::dup2(out, STDOUT_FILENO);
  ::dup2(out, STDERR_FILENO);
  std::vector<char*> args;
  for (const auto& argument : argv) args.push_back(const_cast<char*>(argument.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

void Stop(pid_t& child) {
  if (child <= 0) return;
  ::kill(child, SIGTERM);
  int status = 0;
  for (int i = 0; i < 50 && ::waitpid(child, &status, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (::kill(child, 0) == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
  }
  child = -1;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace

PrivateNetworkManager::~PrivateNetworkManager() {
  Stop(m_networkManager);
  Stop(m_bus);
  for (auto it = m_mounts.rbegin(); it != m_mounts.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
  std::error_code ignored;
  if (!m_configFolder.empty()) fs::remove_all(m_configFolder, ignored);
}

std::string PrivateNetworkManager::Start(const std::string& interfaceName) {
  for (const char* program : {kDbusDaemon, kNetworkManager, kNmcli})
    if (::access(program, X_OK) != 0) return std::string(program) + " is not installed (network-manager, dbus-daemon)";
  for (const char* folder :
       {"/run/dbus", "/run/NetworkManager", "/var/lib/NetworkManager", "/etc/NetworkManager/system-connections"}) {
    ::mkdir(folder, 0755);  // under /run only; the others come with the package
    if (::mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0)
      return std::string("mounting a tmpfs on ") + folder + ": " + std::strerror(errno);
    m_mounts.push_back(folder);
  }
  if (::mount("sysfs", "/sys", "sysfs", MS_RDONLY | MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0)
    return std::string("mounting sysfs read-only: ") + std::strerror(errno);
  m_mounts.push_back("/sys");
  char folder[] = "/tmp/zf-nm-XXXXXX";
  if (!::mkdtemp(folder)) return "cannot make a folder for the configuration";
  m_configFolder = folder;
  std::ofstream(m_configFolder + "/bus.conf") << kBusConfig;
  std::ofstream(m_configFolder + "/NetworkManager.conf") << kNetworkManagerConfig;
  const std::string connection = KeyfilePath(interfaceName);
  std::ofstream(connection) << ConnectionFile(interfaceName);
  ::chmod(connection.c_str(), 0600);  // NetworkManager ignores a keyfile others may read
  const std::string log = m_configFolder + "/log";
  m_bus = Spawn({kDbusDaemon, "--nofork", "--nopidfile", "--config-file=" + m_configFolder + "/bus.conf"}, log);
  for (int i = 0; i < 50 && ::access("/run/dbus/system_bus_socket", F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  m_networkManager = Spawn({kNetworkManager, "--no-daemon", "--config=" + m_configFolder + "/NetworkManager.conf",
                            "--pid-file=/run/NetworkManager/test.pid"},
                           log);
  return WaitUntilActive(interfaceName);
}

std::string PrivateNetworkManager::WaitUntilActive(const std::string& connection) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (Nmcli({"-t", "-g", "GENERAL.STATE", "connection", "show", connection}) == "activated") return {};
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::ifstream logFile(m_configFolder + "/log");
  std::string line, tail;
  while (std::getline(logFile, line)) tail = line;
  return "NetworkManager did not activate " + connection + " within 20 s (last log line: " + tail + ")";
}

std::string PrivateNetworkManager::Nmcli(const std::vector<std::string>& arguments) {
  std::string command = kNmcli;
  for (const auto& argument : arguments) command += " '" + argument + "'";
  command += " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return {};
  std::string text;
  char buffer[512];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  return ::pclose(pipe) == 0 ? Trimmed(text) : std::string();
}

std::string PrivateNetworkManager::Keyfile(const std::string& interfaceName) {
  std::ifstream file(KeyfilePath(interfaceName));
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string PrivateNetworkManager::ConnectionMtu(const std::string& connection) {
  return Nmcli({"-t", "-g", "802-3-ethernet.mtu", "connection", "show", connection});
}

bool PrivateNetworkManager::Reconnect(const std::string& connection) {
  return !Nmcli({"connection", "down", connection}).empty() && !Nmcli({"connection", "up", connection}).empty();
}

}  // namespace zf::test
