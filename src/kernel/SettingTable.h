// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings the bridge may touch and the bounds it holds them to. The helper refuses anything
// else, so this table is the whole of what a caller can change as root.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ReceiveWindow.h"
#include "kernel/KernelTypes.h"

namespace zf::kernel {

struct LinkInfo;

inline constexpr std::string_view kTtlKey = "net/ipv4/ip_default_ttl";
inline constexpr std::string_view kKeepAliveTimeKey = "net/ipv4/tcp_keepalive_time";
inline constexpr std::string_view kKeepAliveIntervalKey = "net/ipv4/tcp_keepalive_intvl";
inline constexpr std::string_view kSynCookiesKey = "net/ipv4/tcp_syncookies";
inline constexpr std::string_view kNoPmtuDiscKey = "net/ipv4/ip_no_pmtu_disc";
inline constexpr std::string_view kMtuProbingKey = "net/ipv4/tcp_mtu_probing";
inline constexpr std::string_view kRmemKey = "net/ipv4/tcp_rmem";
inline constexpr std::int64_t kMaxRmem = kMaxReceiveBufferBytes;
inline constexpr std::int64_t kMinMtu = 68;

// Every fixed key the table governs (the per-interface keys aside), for whatever must watch them all.
std::vector<std::string_view> FixedSettingKeys();

std::string RedirectsKey(std::string_view interfaceOrAllOrDefault);
std::string MtuKey(std::string_view interfaceName);
bool IsMtuKey(std::string_view key);
// The interface an MTU or per-interface redirects key names; empty for the others.
std::string InterfaceOfKey(std::string_view key);
// "net.ipv4.ip_default_ttl", "net.ipv4.conf.eth0/100.accept_redirects", "eth0 MTU".
std::string DisplayName(std::string_view key);

// A kernel interface name that is safe inside a path: 1 to 15 characters, no '/', no blanks.
bool IsSafeInterfaceName(std::string_view name);

// Why a key or its value is refused; empty when the table allows it. Per-interface keys need
// the live link (null when there is no such interface).
Phrase SettingProblem(std::string_view key, std::string_view value, const LinkInfo* link);
// The same in English, as the helper answers.
std::string CheckSetting(std::string_view key, std::string_view value, const LinkInfo* link);

// "4096\t131072  6291456\n" → "4096 131072 6291456"; anything with a character other than
// digits and blanks, or empty → empty.
std::string NormalizeValue(std::string_view raw);

// A key of the table's own kinds (fixed, per-interface redirects, MTU), whatever the machine has.
bool IsTableKey(std::string_view key);
// A value the helper's own files may hold for key: whole numbers that fit the kernel's int (three
// for tcp_rmem), with no bounds beyond that, since an original is whatever the kernel had.
bool IsWellFormedValue(std::string_view key, std::string_view value);

}  // namespace zf::kernel
