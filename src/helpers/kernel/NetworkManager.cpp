// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/NetworkManager.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
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
constexpr const char* kActiveInterface = "org.freedesktop.NetworkManager.Connection.Active";
constexpr const char* kProfileInterface = "org.freedesktop.NetworkManager.Settings.Connection";
constexpr std::uint32_t kUpdateToDisk = 0x1;  // NM_SETTINGS_UPDATE2_FLAG_TO_DISK
// The settings that may hold secrets, which GetSettings leaves out and Update2 would then drop.
constexpr std::array<const char*, 9> kSecretSettings = {
    "802-1x", "802-11-wireless-security", "adsl", "cdma", "gsm", "macsec", "pppoe", "vpn", "wireguard"};

struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

struct BusError {
  BusError() = default;
  BusError(const BusError&) = delete;
  BusError& operator=(const BusError&) = delete;
  ~BusError() { sd_bus_error_free(&value); }
  sd_bus_error value = SD_BUS_ERROR_NULL;
};

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

// An object's numbers ('u') and texts ('s', 'o') of one interface, in one call: each round trip
// on a loaded machine costs more than the properties that come along.
struct Properties {
  std::map<std::string, std::uint32_t> numbers;
  std::map<std::string, std::string> texts;

  std::optional<std::uint32_t> Number(const char* name) const {
    const auto found = numbers.find(name);
    return found == numbers.end() ? std::nullopt : std::optional(found->second);
  }
  std::optional<std::string> Text(const char* name) const {
    const auto found = texts.find(name);
    return found == texts.end() ? std::nullopt : std::optional(found->second);
  }
};

int ReadProperty(sd_bus_message* reply, Properties& properties) {
  const char* name = nullptr;
  const char* contents = nullptr;
  int code = sd_bus_message_read(reply, "s", &name);
  if (code >= 0) code = sd_bus_message_peek_type(reply, nullptr, &contents);
  if (code < 0 || !contents) return code < 0 ? code : -EBADMSG;
  const std::string type = contents;
  if (type == "u") {
    std::uint32_t number = 0;
    code = sd_bus_message_read(reply, "v", "u", &number);
    if (code >= 0) properties.numbers[name] = number;
  } else if (type == "s" || type == "o") {
    const char* text = nullptr;
    code = sd_bus_message_read(reply, "v", type.c_str(), &text);
    if (code >= 0 && text) properties.texts[name] = text;
  } else {
    code = sd_bus_message_skip(reply, "v");
  }
  return code;
}

std::optional<Properties> AllProperties(sd_bus* bus, const std::string& path, const char* interface) {
  BusError error;
  sd_bus_message* raw = nullptr;
  int code = sd_bus_call_method(bus, kService, path.c_str(), "org.freedesktop.DBus.Properties", "GetAll", &error.value,
                                &raw, "s", interface);
  Message reply(raw);
  Properties properties;
  if (code >= 0) code = sd_bus_message_enter_container(raw, 'a', "{sv}");
  while (code >= 0 && (code = sd_bus_message_enter_container(raw, 'e', "sv")) > 0) {
    code = ReadProperty(raw, properties);
    if (code >= 0) code = sd_bus_message_exit_container(raw);
  }
  return code >= 0 ? std::optional(std::move(properties)) : std::nullopt;
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

// What a failed call said: NetworkManager's own words where it gave some.
std::string Said(const char* step, int code, const BusError& error) {
  const char* text = error.value.message ? error.value.message : std::strerror(-code);
  return std::string(step) + ": " + text;
}

// A method of the connection profile at `profile` with at most one string argument.
Result<Message> CallProfile(sd_bus* bus, const std::string& profile, const char* method, const char* argument) {
  BusError error;
  sd_bus_message* reply = nullptr;
  const int code = argument ? sd_bus_call_method(bus, kService, profile.c_str(), kProfileInterface, method,
                                                 &error.value, &reply, "s", argument)
                            : sd_bus_call_method(bus, kService, profile.c_str(), kProfileInterface, method,
                                                 &error.value, &reply, "");
  if (code < 0) return Error{Said(method, code, error)};
  return Message(reply);
}

bool MayHoldSecrets(const std::string& setting) {
  for (const char* name : kSecretSettings)
    if (setting == name) return true;
  return false;
}

// The names of the settings in an a{sa{sv}}, which is read again from its start afterwards.
std::vector<std::string> SettingNames(sd_bus_message* settings, int& code) {
  std::vector<std::string> names;
  code = sd_bus_message_enter_container(settings, 'a', "{sa{sv}}");
  while (code >= 0 && (code = sd_bus_message_enter_container(settings, 'e', "sa{sv}")) > 0) {
    const char* name = nullptr;
    code = sd_bus_message_read(settings, "s", &name);
    if (code >= 0) names.emplace_back(name);
    if (code >= 0) code = sd_bus_message_skip(settings, "a{sv}");
    if (code >= 0) code = sd_bus_message_exit_container(settings);
  }
  if (code >= 0) code = sd_bus_message_exit_container(settings);
  if (code >= 0) code = sd_bus_message_rewind(settings, true);
  return names;
}

// Copies the a{sv} at the reader's place into the dictionary open in `to`, leaving out the
// property named `left` (none when null).
int CopyProperties(sd_bus_message* to, sd_bus_message* from, const char* left) {
  int code = sd_bus_message_enter_container(from, 'a', "{sv}");
  while (code >= 0 && (code = sd_bus_message_enter_container(from, 'e', "sv")) > 0) {
    const char* key = nullptr;
    code = sd_bus_message_read(from, "s", &key);
    if (code >= 0 && left && std::strcmp(key, left) == 0) {
      code = sd_bus_message_skip(from, "v");
    } else if (code >= 0) {
      code = sd_bus_message_open_container(to, 'e', "sv");
      if (code >= 0) code = sd_bus_message_append(to, "s", key);
      if (code >= 0) code = sd_bus_message_copy(to, from, false);
      if (code >= 0) code = sd_bus_message_close_container(to);
    }
    if (code >= 0) code = sd_bus_message_exit_container(from);
  }
  return code >= 0 ? sd_bus_message_exit_container(from) : code;
}

// Copies one setting's properties out of a GetSecrets answer into the dictionary open in `to`.
int CopySecrets(sd_bus_message* to, sd_bus_message* secrets, const std::string& setting) {
  int code = sd_bus_message_rewind(secrets, true);
  if (code >= 0) code = sd_bus_message_enter_container(secrets, 'a', "{sa{sv}}");
  while (code >= 0 && (code = sd_bus_message_enter_container(secrets, 'e', "sa{sv}")) > 0) {
    const char* name = nullptr;
    code = sd_bus_message_read(secrets, "s", &name);
    if (code >= 0)
      code = setting == name ? CopyProperties(to, secrets, nullptr) : sd_bus_message_skip(secrets, "a{sv}");
    if (code >= 0) code = sd_bus_message_exit_container(secrets);
  }
  return code >= 0 ? sd_bus_message_exit_container(secrets) : code;
}

// The whole profile as GetSettings gave it, its secrets put back, and in `setting` the MTU
// alone changed: none (automatic) for 0. A profile without that setting gets it.
int AppendMergedProfile(sd_bus_message* to, sd_bus_message* settings, const std::map<std::string, Message>& secrets,
                        const std::string& setting, std::uint32_t mtu) {
  bool found = false;
  int code = sd_bus_message_open_container(to, 'a', "{sa{sv}}");
  if (code >= 0) code = sd_bus_message_enter_container(settings, 'a', "{sa{sv}}");
  while (code >= 0 && (code = sd_bus_message_enter_container(settings, 'e', "sa{sv}")) > 0) {
    const char* name = nullptr;
    code = sd_bus_message_read(settings, "s", &name);
    const bool target = code >= 0 && setting == name;
    found = found || target;
    if (code >= 0) code = sd_bus_message_open_container(to, 'e', "sa{sv}");
    if (code >= 0) code = sd_bus_message_append(to, "s", name);
    if (code >= 0) code = sd_bus_message_open_container(to, 'a', "{sv}");
    if (code >= 0) code = CopyProperties(to, settings, target ? "mtu" : nullptr);
    if (const auto kept = secrets.find(name); code >= 0 && kept != secrets.end())
      code = CopySecrets(to, kept->second.get(), name);
    if (code >= 0 && target && mtu != 0) code = sd_bus_message_append(to, "{sv}", "mtu", "u", mtu);
    if (code >= 0) code = sd_bus_message_close_container(to);
    if (code >= 0) code = sd_bus_message_close_container(to);
    if (code >= 0) code = sd_bus_message_exit_container(settings);
  }
  if (code >= 0) code = sd_bus_message_exit_container(settings);
  if (code >= 0 && !found && mtu != 0)
    code = sd_bus_message_append(to, "{sa{sv}}", setting.c_str(), 1, "mtu", "u", mtu);
  return code >= 0 ? sd_bus_message_close_container(to) : code;
}

// Why a change over the bus failed, and whether nmcli might still make it: an older
// NetworkManager without Update2, or secrets it would not hand over (nmcli sends none).
struct BusFailure {
  std::string text;
  bool nmcliMightDo = false;
};

// Writes the MTU into the profile on disk; the live device keeps what the helper set.
std::optional<BusFailure> UpdateProfileMtu(sd_bus* bus, const std::string& profile, const std::string& setting,
                                           std::uint32_t mtu) {
  auto settings = CallProfile(bus, profile, "GetSettings", nullptr);
  if (!settings) return BusFailure{settings.error().text};
  int code = 0;
  const auto names = SettingNames(settings->get(), code);
  if (code < 0) return BusFailure{std::string("reading GetSettings: ") + std::strerror(-code), true};
  std::map<std::string, Message> secrets;
  for (const auto& name : names) {
    if (!MayHoldSecrets(name)) continue;
    auto got = CallProfile(bus, profile, "GetSecrets", name.c_str());
    if (!got) return BusFailure{got.error().text, true};
    secrets.emplace(name, std::move(*got));
  }
  sd_bus_message* raw = nullptr;
  code = sd_bus_message_new_method_call(bus, &raw, kService, profile.c_str(), kProfileInterface, "Update2");
  Message call(raw);
  if (code >= 0) code = AppendMergedProfile(call.get(), settings->get(), secrets, setting, mtu);
  if (code >= 0) code = sd_bus_message_append(call.get(), "ua{sv}", kUpdateToDisk, 0);
  if (code < 0) return BusFailure{std::string("composing Update2: ") + std::strerror(-code), true};
  BusError error;
  sd_bus_message* reply = nullptr;
  code = sd_bus_call(bus, call.get(), 0, &error.value, &reply);
  sd_bus_message_unref(reply);
  if (code >= 0) return std::nullopt;
  return BusFailure{Said("Update2", code, error), sd_bus_error_has_name(&error.value, SD_BUS_ERROR_UNKNOWN_METHOD) > 0};
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
  if (sd_bus_open_system(&m_bus) < 0) return false;
  sd_bus_set_method_call_timeout(m_bus, 2'000'000);
  m_running = NetworkManagerOwnsItsName(m_bus);
  return *m_running;
}

std::optional<NmDevice> NetworkManagerMtus::Device(const std::string& interfaceName) {
  if (!Running()) return std::nullopt;
  const auto device = DevicePath(m_bus, interfaceName);
  if (!device) return std::nullopt;  // a device NetworkManager does not know
  const auto deviceProperties = AllProperties(m_bus, *device, kDeviceInterface);
  if (!deviceProperties) return std::nullopt;
  const auto state = deviceProperties->Number("State");
  const auto type = deviceProperties->Number("DeviceType");
  if (!state || *state == kDeviceUnmanaged || !type ||
      (*type != kDeviceEthernet && *type != kDeviceVeth && *type != kDeviceWifi))
    return std::nullopt;
  const auto active = deviceProperties->Text("ActiveConnection");
  if (!active || *active == "/") return std::nullopt;
  const auto activeProperties = AllProperties(m_bus, *active, kActiveInterface);
  if (!activeProperties) return std::nullopt;
  const auto id = activeProperties->Text("Id");
  const auto uuid = activeProperties->Text("Uuid");
  const auto profile = activeProperties->Text("Connection");
  if (!id || !uuid || uuid->empty() || !profile || *profile == "/") return std::nullopt;
  const bool wifi = *type == kDeviceWifi;
  return NmDevice{*id, *uuid, *profile, wifi ? "802-11-wireless" : "802-3-ethernet",
                  wifi ? "wifi.mtu" : "802-3-ethernet.mtu"};
}

Result<Done> NetworkManagerMtus::SetMtu(const NmDevice& device, const std::string& mtu) {
  std::uint32_t number = 0;
  const auto [end, problem] = std::from_chars(mtu.data(), mtu.data() + mtu.size(), number);
  if (problem != std::errc() || end != mtu.data() + mtu.size()) return Error{"not an MTU: " + mtu};
  const auto failure = UpdateProfileMtu(m_bus, device.profile, device.setting, number);
  if (!failure) return Done{};
  if (!failure->nmcliMightDo) return Error{failure->text};
  auto ran = RunNmcli({"connection", "modify", "uuid", device.uuid, device.property, mtu});
  if (!ran) return Error{failure->text + "; " + ran.error().text};
  return Done{};
}

}  // namespace zf::kernel
