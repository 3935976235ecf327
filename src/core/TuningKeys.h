// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry keys the tuning values live under, spelled exactly as the two layouts write them
// (the store compares names without case, but backup files record the spelling).
#include <string>
#include <string_view>

namespace zf {

// 9x layout.
inline constexpr std::string_view kMstcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline constexpr std::string_view kInternetSettings9xKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr std::string_view kNetTransKey = "System\\CurrentControlSet\\Services\\Class\\NetTrans";

// NT layout: the same Tcpip key in two spellings, written in this order by apply and backup alike.
inline constexpr std::string_view kTcpipParametersKey = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
inline constexpr std::string_view kTcpipParametersLowerKey = "SYSTEM\\CurrentControlSet\\Services\\tcpip\\parameters";
inline constexpr std::string_view kInternetSettingsNTKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr std::string_view kInterfacesKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";

// Both layouts.
inline constexpr std::string_view kCacheSizeKey =
    "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";

inline std::string SubkeyPath(std::string_view parent, std::string_view name) {
  return std::string(parent) + "\\" + std::string(name);
}

// The adapter key that mirrors an interface's MTU and MSS.
inline std::string AdapterKey(std::string_view interfaceName) {
  return "SYSTEM\\CurrentControlSet\\Services\\" + std::string(interfaceName) + "\\Parameters\\Tcpip";
}

}  // namespace zf
