// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/NetworkManager.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "helpers/kernel/HelperPaths.h"

namespace zf::kernel {
namespace {

constexpr std::size_t kMaxOutput = 65536;

constexpr const char* kService = "org.freedesktop.NetworkManager";
constexpr const char* kDeviceInterface = "org.freedesktop.NetworkManager.Device";
constexpr std::uint32_t kDeviceUnmanaged = 10;  // NM_DEVICE_STATE_UNMANAGED
constexpr std::uint32_t kDeviceEthernet = 1;    // NM_DEVICE_TYPE_ETHERNET
constexpr std::uint32_t kDeviceWifi = 2;        // NM_DEVICE_TYPE_WIFI
constexpr std::uint32_t kDeviceVeth = 20;       // NM_DEVICE_TYPE_VETH: Ethernet to nmcli

// Whether the name org.freedesktop.NetworkManager has an owner on the bus.
bool NetworkManagerOwnsItsName(sd_bus* bus) {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  int owned = 0;
  const bool answered = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                           "NameHasOwner", &error, &reply, "s", kService) >= 0 &&
                        sd_bus_message_read(reply, "b", &owned) >= 0;
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
  return answered && owned;
}

std::optional<std::uint32_t> NumberProperty(sd_bus* bus, const std::string& path, const char* interface,
                                            const char* name) {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  std::uint32_t value = 0;
  const bool read = sd_bus_get_property_trivial(bus, kService, path.c_str(), interface, name, &error, 'u', &value) >= 0;
  sd_bus_error_free(&error);
  return read ? std::optional(value) : std::nullopt;
}

// A string or an object path ('s' or 'o').
std::optional<std::string> TextProperty(sd_bus* bus, const std::string& path, const char* interface, const char* name,
                                        char type) {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  const char* text = nullptr;
  const char signature[2] = {type, '\0'};
  const bool read = sd_bus_get_property(bus, kService, path.c_str(), interface, name, &error, &reply, signature) >= 0 &&
                    sd_bus_message_read_basic(reply, type, &text) >= 0 && text != nullptr;
  std::optional<std::string> value = read ? std::optional<std::string>(text) : std::nullopt;
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
  return value;
}

std::optional<std::string> DevicePath(sd_bus* bus, const std::string& interfaceName) {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  const char* path = nullptr;
  const bool found = sd_bus_call_method(bus, kService, "/org/freedesktop/NetworkManager", kService,
                                        "GetDeviceByIpIface", &error, &reply, "s", interfaceName.c_str()) >= 0 &&
                     sd_bus_message_read(reply, "o", &path) >= 0 && path != nullptr;
  std::optional<std::string> value = found ? std::optional<std::string>(path) : std::nullopt;
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
  return value;
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

NetworkManagerMtus::~NetworkManagerMtus() { sd_bus_flush_close_unref(m_bus); }

bool NetworkManagerMtus::Running() {
  if (m_running) return *m_running;
  m_running = false;
  if (::access(paths::kNmcli, X_OK) != 0 || sd_bus_open_system(&m_bus) < 0) return false;
  sd_bus_set_method_call_timeout(m_bus, 2'000'000);
  m_running = NetworkManagerOwnsItsName(m_bus);
  return *m_running;
}

std::optional<NmDevice> NetworkManagerMtus::Device(const std::string& interfaceName) {
  if (!Running()) return std::nullopt;
  const auto device = DevicePath(m_bus, interfaceName);
  if (!device) return std::nullopt;  // a device NetworkManager does not know
  const auto state = NumberProperty(m_bus, *device, kDeviceInterface, "State");
  const auto type = NumberProperty(m_bus, *device, kDeviceInterface, "DeviceType");
  if (!state || *state == kDeviceUnmanaged || !type ||
      (*type != kDeviceEthernet && *type != kDeviceVeth && *type != kDeviceWifi))
    return std::nullopt;
  const auto active = TextProperty(m_bus, *device, kDeviceInterface, "ActiveConnection", 'o');
  if (!active || *active == "/") return std::nullopt;
  constexpr const char* kActive = "org.freedesktop.NetworkManager.Connection.Active";
  const auto id = TextProperty(m_bus, *active, kActive, "Id", 's');
  const auto uuid = TextProperty(m_bus, *active, kActive, "Uuid", 's');
  if (!id || !uuid || uuid->empty()) return std::nullopt;
  return NmDevice{*id, *uuid, *type == kDeviceWifi ? "wifi.mtu" : "802-3-ethernet.mtu"};
}

Result<Done> NetworkManagerMtus::SetMtu(const NmDevice& device, const std::string& mtu) {
  auto ran = RunNmcli({"connection", "modify", "uuid", device.uuid, device.property, mtu});
  if (!ran) return ran.error();
  return Done{};
}

}  // namespace zf::kernel
