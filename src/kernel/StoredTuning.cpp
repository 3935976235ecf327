// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/StoredTuning.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "core/CRegister.h"
#include "core/TuningKeys.h"

namespace zf::kernel {
namespace {

// A DWORD as the NT layout writes it, or decimal text with its NUL as the 9x layout does.
std::optional<long long> Decode(std::uint32_t type, const std::vector<std::uint8_t>& data) {
  if (type == REG_DWORD && data.size() == 4)
    return static_cast<std::int32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                     static_cast<std::uint32_t>(data[3]) << 24);
  if (type != REG_SZ) return std::nullopt;
  std::string text(data.begin(), data.end());
  if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  long long number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

class ValueReader {
 public:
  ValueReader(IRegistry& registry, HKEY hive, std::string_view path) : m_registry(registry) {
    if (registry.OpenKey(hive, path, KEY_READ, &m_key) != ERROR_SUCCESS) m_key = 0;
  }
  ~ValueReader() {
    if (m_key) m_registry.CloseKey(m_key);
  }
  ValueReader(const ValueReader&) = delete;
  ValueReader& operator=(const ValueReader&) = delete;

  std::optional<long long> operator()(std::string_view name) const {
    if (!m_key) return std::nullopt;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (m_registry.QueryValue(m_key, name, &type, &data) != ERROR_SUCCESS) return std::nullopt;
    return Decode(type, data);
  }

 private:
  IRegistry& m_registry;
  HKEY m_key = 0;
};

void ReadInterfaceMtus(IRegistry& registry, std::string_view root, std::string_view mtuName, StoredTuning& tuning) {
  std::vector<std::string> names;
  EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, root, &names);
  for (const auto& name : names)
    tuning.interfaceMtus[name] = ValueReader(registry, HKEY_LOCAL_MACHINE, SubkeyPath(root, name))(mtuName);
}

void ReadNT(IRegistry& registry, StoredTuning& tuning) {
  const ValueReader tcpip(registry, HKEY_LOCAL_MACHINE, kTcpipParametersKey);
  tuning.TTL = tcpip("DefaultTTL");
  tuning.RWIN = tcpip("TcpWindowSize");
  if (!tuning.RWIN) tuning.RWIN = tcpip("GlobalMaxTcpWindowSize");
  tuning.BlackHoleDetect = tcpip("EnablePMTUBHDetect");
  tuning.PmtuDiscovery = tcpip("EnablePMTUDiscovery");
  tuning.KeepAliveTime = tcpip("KeepAliveTime");
  tuning.KeepAliveInterval = tcpip("KeepAliveInterval");
  tuning.SYNAttackProtect = tcpip("SYNAttackProtect");
  tuning.IcmpRedirects = tcpip("EnableICMPRedirects");
  const ValueReader browser(registry, HKEY_CURRENT_USER, kInternetSettingsNTKey);
  tuning.MaxConnPer10Server = browser("MaxConnectionsPer1_0Server");
  tuning.MaxConnPerServer = browser("MaxConnectionsPerServer");
  ReadInterfaceMtus(registry, kInterfacesKey, "MTU", tuning);
  for (const auto& [name, mtu] : tuning.interfaceMtus)
    if (!tuning.MSS) tuning.MSS = ValueReader(registry, HKEY_LOCAL_MACHINE, SubkeyPath(kInterfacesKey, name))("MSS");
}

void Read9x(IRegistry& registry, StoredTuning& tuning) {
  const ValueReader mstcp(registry, HKEY_LOCAL_MACHINE, kMstcpKey);
  tuning.TTL = mstcp("DefaultTTL");
  tuning.RWIN = mstcp("DefaultRcvWindow");
  if (!tuning.RWIN) tuning.RWIN = mstcp("GlobalMaxTcpWindowSize");
  tuning.BlackHoleDetect = mstcp("PMTUBlackHoleDetect");
  tuning.PmtuDiscovery = mstcp("PMTUDiscovery");
  tuning.KeepAliveTime = mstcp("KeepAliveTime");
  tuning.KeepAliveInterval = mstcp("KeepAliveInterval");
  const ValueReader browser(registry, HKEY_CURRENT_USER, kInternetSettings9xKey);
  tuning.MaxConnPer10Server = browser("MaxConnectionsPer1_0Server");
  tuning.MaxConnPerServer = browser("MaxConnectionsPerServer");
  ReadInterfaceMtus(registry, kNetTransKey, "MaxMTU", tuning);
  for (const auto& [name, mtu] : tuning.interfaceMtus)
    if (!tuning.MSS) tuning.MSS = ValueReader(registry, HKEY_LOCAL_MACHINE, SubkeyPath(kNetTransKey, name))("MaxMSS");
}

}  // namespace

Result<StoredTuning> ReadStoredTuning(IRegistry& registry, const OSFamily& family) {
  if (!family.IsNTLayout() && !family.Is9xLayout()) return Error{"the configured Windows version has no tuning layout"};
  StoredTuning tuning;
  tuning.ntLayout = family.IsNTLayout();
  if (tuning.ntLayout)
    ReadNT(registry, tuning);
  else
    Read9x(registry, tuning);
  tuning.NdiCacheSize = ValueReader(registry, HKEY_LOCAL_MACHINE, kCacheSizeKey)("");
  return tuning;
}

}  // namespace zf::kernel
