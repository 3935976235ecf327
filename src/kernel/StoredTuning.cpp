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

// Where a layout keeps each value; an empty name is a value the layout does not have.
struct LayoutNames {
  std::string_view tcpKey, ttl, rwin, bhd, pmtu, synAttack, icmpRedirects;
  std::string_view browserKey, interfacesKey, mtu, mss;
};

constexpr LayoutNames kNTNames{.tcpKey = kTcpipParametersKey,
                               .ttl = "DefaultTTL",
                               .rwin = "TcpWindowSize",
                               .bhd = "EnablePMTUBHDetect",
                               .pmtu = "EnablePMTUDiscovery",
                               .synAttack = "SYNAttackProtect",
                               .icmpRedirects = "EnableICMPRedirects",
                               .browserKey = kInternetSettingsNTKey,
                               .interfacesKey = kInterfacesKey,
                               .mtu = "MTU",
                               .mss = "MSS"};
constexpr LayoutNames k9xNames{.tcpKey = kMstcpKey,
                               .ttl = "DefaultTTL",
                               .rwin = "DefaultRcvWindow",
                               .bhd = "PMTUBlackHoleDetect",
                               .pmtu = "PMTUDiscovery",
                               .synAttack = {},  // neither is kept in this layout
                               .icmpRedirects = {},
                               .browserKey = kInternetSettings9xKey,
                               .interfacesKey = kNetTransKey,
                               .mtu = "MaxMTU",
                               .mss = "MaxMSS"};

std::optional<long long> ReadIfNamed(const ValueReader& key, std::string_view name) {
  return name.empty() ? std::nullopt : key(name);
}

void ReadLayout(IRegistry& registry, const LayoutNames& names, StoredTuning& tuning) {
  const ValueReader tcp(registry, HKEY_LOCAL_MACHINE, names.tcpKey);
  tuning.TTL = tcp(names.ttl);
  tuning.RWIN = tcp(names.rwin);
  if (!tuning.RWIN) tuning.RWIN = tcp("GlobalMaxTcpWindowSize");
  tuning.BlackHoleDetect = tcp(names.bhd);
  tuning.PmtuDiscovery = tcp(names.pmtu);
  tuning.KeepAliveTime = tcp("KeepAliveTime");
  tuning.KeepAliveInterval = tcp("KeepAliveInterval");
  tuning.SYNAttackProtect = ReadIfNamed(tcp, names.synAttack);
  tuning.IcmpRedirects = ReadIfNamed(tcp, names.icmpRedirects);
  const ValueReader browser(registry, HKEY_CURRENT_USER, names.browserKey);
  tuning.MaxConnPer10Server = browser("MaxConnectionsPer1_0Server");
  tuning.MaxConnPerServer = browser("MaxConnectionsPerServer");
  std::vector<std::string> interfaces;
  EnumerateSubkeys(registry, HKEY_LOCAL_MACHINE, names.interfacesKey, &interfaces);
  for (const auto& name : interfaces) {
    const ValueReader interface(registry, HKEY_LOCAL_MACHINE, SubkeyPath(names.interfacesKey, name));
    tuning.interfaceMtus[name] = interface(names.mtu);
    if (!tuning.MSS) tuning.MSS = interface(names.mss);
  }
}

}  // namespace

Result<StoredTuning> ReadStoredTuning(IRegistry& registry, const OSFamily& family) {
  if (!family.IsNTLayout() && !family.Is9xLayout()) return Error{"the configured Windows version has no tuning layout"};
  StoredTuning tuning;
  tuning.ntLayout = family.IsNTLayout();
  ReadLayout(registry, tuning.ntLayout ? kNTNames : k9xNames, tuning);
  tuning.NdiCacheSize = ValueReader(registry, HKEY_LOCAL_MACHINE, kCacheSizeKey)("");
  return tuning;
}

}  // namespace zf::kernel
