// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/TuningLayout.h"

#include <algorithm>
#include <limits>

#include "core/BackupFormat.h"
#include "core/TuningKeys.h"
#include "core/WholeNumber.h"
#include "core/mdlOSVersion.h"

namespace zf {
namespace {

using F = TuningField;

LayoutValue Fixed(std::string_view name, std::int32_t value) { return {.name = name, .fixed = value}; }
LayoutValue Tuned(std::string_view name, F field) { return {.name = name, .field = field}; }
LayoutValue Flag(std::string_view name, F field) { return {.name = name, .field = field, .recordedAsFlag = true}; }
// A value deleted rather than written when the record leaves `with` to the system.
LayoutValue Droppable(std::string_view name, F field, F with, bool mirror = false) {
  return {.name = name, .field = field, .dropWith = with, .mirror = mirror};
}

std::string NetTransSubkey(std::string_view name) { return SubkeyPath(kNetTransKey, name); }
std::string InterfaceSubkey(std::string_view name) { return SubkeyPath(kInterfacesKey, name); }

}  // namespace

const TuningLayout& Layout9x() {
  static const TuningLayout layout{
      .label = "9x",
      .valueType = REG_SZ,
      .lowestText = std::numeric_limits<std::int32_t>::min(),
      .highestText = std::numeric_limits<std::int32_t>::max(),
      .groups =
          {
              {HKEY_LOCAL_MACHINE,
               kMstcpKey,
               kMstcpKey,
               {Fixed("SackOpts", 1),
                Fixed("Tcp1323Opts", 1),
                Tuned("DefaultTTL", F::TTL),
                Droppable("DefaultRcvWindow", F::RWIN, F::RWIN),
                Droppable("GlobalMaxTcpWindowSize", F::RWIN, F::RWIN, true),
                Flag("PMTUBlackHoleDetect", F::BlackHoleDetect),
                {.name = "DefaultRcvWindow", .field = F::RWIN, .mirror = true, .recordedOnly = true},
                Flag("PMTUDiscovery", F::PmtuDiscovery),
                Tuned("KeepAliveTime", F::KeepAliveTime),
                Tuned("KeepAliveInterval", F::KeepAliveInterval)}},
              {HKEY_CURRENT_USER,
               kInternetSettings9xKey,
               kInternetSettings9xKey,
               {Tuned("MaxConnectionsPer1_0Server", F::MaxConnPer10Server),
                Tuned("MaxConnectionsPerServer", F::MaxConnPerServer)}},
              {HKEY_LOCAL_MACHINE, kCacheSizeKey, kCacheSizeKey, {Tuned("", F::NdiCacheSize)}},
          },
      .interfacesKey = kNetTransKey,
      .interfaceGroups = {{NetTransSubkey, {Droppable("MaxMTU", F::MTU, F::MTU), Droppable("MaxMSS", F::MSS, F::MTU)}}},
  };
  return layout;
}

const TuningLayout& LayoutNT() {
  static const TuningLayout layout{
      .label = "NT",
      .valueType = REG_DWORD,
      .lowestText = std::numeric_limits<std::int32_t>::min(),
      .highestText = std::numeric_limits<std::uint32_t>::max(),
      .groups =
          {
              // The same Tcpip key in two spellings: the fixed values under the first, the rest
              // under the second, as apply has always written them.
              {HKEY_LOCAL_MACHINE,
               kTcpipParametersKey,
               kTcpipParametersLowerKey,
               {Fixed("SackOpts", 1), Fixed("Tcp1323Opts", 1), Fixed("TcpMaxDupAcks", 2),
                Fixed("DefaultReceiveWindow", 8192), Tuned("DefaultTTL", F::TTL),
                Droppable("GlobalMaxTcpWindowSize", F::RWIN, F::RWIN, true),
                Droppable("TcpWindowSize", F::RWIN, F::RWIN), Tuned("EnablePMTUBHDetect", F::BlackHoleDetect),
                Tuned("EnablePMTUDiscovery", F::PmtuDiscovery), Tuned("KeepAliveTime", F::KeepAliveTime),
                Tuned("KeepAliveInterval", F::KeepAliveInterval), Tuned("SYNAttackProtect", F::SYNAttackProtect),
                Tuned("EnableICMPRedirects", F::IcmpRedirects)}},
              {HKEY_CURRENT_USER,
               kInternetSettingsNTKey,
               kInternetSettingsNTKey,
               {Tuned("MaxConnectionsPer1_0Server", F::MaxConnPer10Server),
                Tuned("MaxConnectionsPerServer", F::MaxConnPerServer)}},
              {HKEY_LOCAL_MACHINE, kCacheSizeKey, kCacheSizeKey, {Tuned("", F::NdiCacheSize)}, true},
          },
      .interfacesKey = kInterfacesKey,
      .interfaceGroups =
          {
              {InterfaceSubkey, {Droppable("MTU", F::MTU, F::MTU), Droppable("MSS", F::MSS, F::MTU)}},
              {AdapterKey, {Droppable("MTU", F::MTU, F::MTU, true), Droppable("MSS", F::MSS, F::MTU, true)}},
          },
  };
  return layout;
}

const TuningLayout* LayoutOfFamily(std::int16_t familyCode) {
  if (OSFamily::Is9xLayout(familyCode)) return &Layout9x();
  if (OSFamily::IsNTLayout(familyCode)) return &LayoutNT();
  return nullptr;
}

StoredNumber StoredNumberOf(const TuningLayout& layout, std::uint32_t type, const std::vector<std::uint8_t>& data) {
  StoredNumber stored;
  if (type == REG_SZ) {
    std::string text(data.begin(), data.end());
    text.resize(std::min(text.size(), text.find('\0')));
    if (text.find_first_not_of(" \t") == std::string::npos) return stored;
    const auto number = ParseWholeNumber(text, WholeNumberForm::Typed, layout.lowestText, layout.highestText);
    if (!number) {
      stored.kind = StoredNumber::Kind::NoNumber;
      stored.excerpt = "the text " + QuotedExcerpt(text) + " is no number the backup can keep";
      return stored;
    }
    stored.kind = StoredNumber::Kind::Number;
    stored.value = *number;
    return stored;
  }
  if (data.empty()) return stored;
  // A restore writes 32 bits back; anything set above them would be lost or refused.
  if (std::any_of(data.begin() + std::min<std::size_t>(data.size(), 4), data.end(), [](auto b) { return b != 0; })) {
    stored.kind = StoredNumber::Kind::NoNumber;
    stored.excerpt = "the " + std::to_string(data.size()) + "-byte value is wider than the 32 bits the backup can keep";
    return stored;
  }
  std::uint32_t number = 0;
  for (std::size_t i = std::min<std::size_t>(data.size(), 4); i-- > 0;) number = number << 8 | data[i];
  stored.kind = StoredNumber::Kind::Number;
  stored.value = number;
  return stored;
}

StoredNumber StoredValues::Read(HKEY hive, std::string_view key, std::string_view name) {
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;
  if (!OpenKey(hive, key) || m_registry.QueryValue(m_handle, name, &type, &data) != ERROR_SUCCESS) return {};
  return StoredNumberOf(m_layout, type, data);
}

bool StoredValues::OpenKey(HKEY hive, std::string_view key) {
  if (m_open && m_hive == hive && m_key == key) return m_handle != 0;
  CloseKey();
  m_open = true;
  m_hive = hive;
  m_key = key;
  if (m_registry.OpenKey(hive, key, KEY_READ, &m_handle) != ERROR_SUCCESS) m_handle = 0;
  return m_handle != 0;
}

void StoredValues::CloseKey() {
  if (m_handle != 0) m_registry.CloseKey(m_handle);
  m_handle = 0;
  m_open = false;
}

std::string ValuePathText(HKEY hive, std::string_view key, std::string_view name) {
  return std::string(hive == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") + std::string(key) + " " +
         (name.empty() ? std::string("(default)") : std::string(name));
}

}  // namespace zf
