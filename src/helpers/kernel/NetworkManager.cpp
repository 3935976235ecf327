// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/NetworkManager.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <vector>

#include "helpers/kernel/HelperPaths.h"

namespace zf::kernel {
namespace {

constexpr std::size_t kMaxOutput = 65536;

// Whether the name org.freedesktop.NetworkManager has an owner on the system bus; false when
// there is no bus at all.
bool NetworkManagerOwnsItsName() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_system(&bus) < 0) return false;
  sd_bus_set_method_call_timeout(bus, 2'000'000);
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  int owned = 0;
  const bool answered =
      sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                         &error, &reply, "s", "org.freedesktop.NetworkManager") >= 0 &&
      sd_bus_message_read(reply, "b", &owned) >= 0;
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
  sd_bus_flush_close_unref(bus);
  return answered && owned;
}

std::string ReadFromStart(int fd) {
  std::string text;
  char buffer[1024];
  for (ssize_t n; text.size() < kMaxOutput && (n = ::pread(fd, buffer, sizeof buffer, text.size())) > 0;)
    text.append(buffer, n);
  return text;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  for (char& c : text)
    if (c == '\n' || c == '\t') c = ' ';
  return text;
}

// nmcli without a shell and with an environment of our own; its standard output, or what it said
// on its standard error, which never reaches the caller's terminal.
Result<std::string> RunNmcli(std::vector<std::string> arguments) {
  if (::access(paths::kNmcli, X_OK) != 0) return Error{"nmcli is not installed"};
  arguments.insert(arguments.begin(), paths::kNmcli);
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  char path[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";
  char locale[] = "LC_ALL=C";
  char* envp[] = {path, locale, nullptr};
  const int out = ::memfd_create("nmcli-out", MFD_CLOEXEC);
  const int err = ::memfd_create("nmcli-err", MFD_CLOEXEC);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t child = 0;
  const bool started =
      out >= 0 && err >= 0 && posix_spawn(&child, paths::kNmcli, &actions, nullptr, argv.data(), envp) == 0;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  const bool ended = started && ::waitpid(child, &status, 0) == child;
  const std::string text = started ? ReadFromStart(out) : std::string();
  const std::string complaint = started ? Trimmed(ReadFromStart(err)) : std::string();
  if (out >= 0) ::close(out);
  if (err >= 0) ::close(err);
  if (!started) return Error{"cannot start nmcli"};
  if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return Error{complaint.empty() ? "nmcli failed" : "nmcli: " + complaint};
  return text;
}

}  // namespace

bool NetworkManagerMtus::Running() {
  if (!m_running) m_running = ::access(paths::kNmcli, X_OK) == 0 && NetworkManagerOwnsItsName();
  return *m_running;
}

std::optional<NmDevice> NetworkManagerMtus::Device(const std::string& interfaceName) {
  if (!Running()) return std::nullopt;
  const auto text =
      RunNmcli({"-t", "-g", "GENERAL.TYPE,GENERAL.STATE,GENERAL.CONNECTION", "device", "show", interfaceName});
  if (!text) return std::nullopt;  // a device NetworkManager does not know
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text->find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text->substr(start, end - start));
  if (lines.size() < 3 || lines[2].empty() || lines[1].find("unmanaged") != std::string::npos) return std::nullopt;
  if (lines[0] == "ethernet") return NmDevice{lines[2], "802-3-ethernet.mtu"};
  if (lines[0] == "wifi") return NmDevice{lines[2], "wifi.mtu"};
  return std::nullopt;
}

Result<Done> NetworkManagerMtus::SetMtu(const NmDevice& device, const std::string& mtu) {
  auto ran = RunNmcli({"connection", "modify", device.connection, device.property, mtu});
  if (!ran) return ran.error();
  return Done{};
}

}  // namespace zf::kernel
