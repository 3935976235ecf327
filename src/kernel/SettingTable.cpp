// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/SettingTable.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <sstream>
#include <vector>

#include "core/Translatable.h"
#include "kernel/LiveSystem.h"

namespace zf::kernel {
namespace {

constexpr std::string_view kConfPrefix = "net/ipv4/conf/";
constexpr std::string_view kRedirectsSuffix = "/accept_redirects";
constexpr std::string_view kLinkPrefix = "link/";
constexpr std::string_view kMtuSuffix = "/mtu";

struct ScalarRule {
  std::string_view key;
  std::int64_t low;
  std::int64_t high;
  const char* refusal;
};

constexpr ScalarRule kScalarRules[] = {
    {kTtlKey, 1, 255, ZF_TRANSLATABLE("zf::kernel::Plan", "a TTL must be 1 to 255 (the kernel refuses 0 and 256)")},
    {kKeepAliveTimeKey, 1, 32767, ZF_TRANSLATABLE("zf::kernel::Plan", "a keep-alive time must be 1 to 32767 seconds")},
    {kKeepAliveIntervalKey, 1, 32767,
     ZF_TRANSLATABLE("zf::kernel::Plan", "a keep-alive interval must be 1 to 32767 seconds")},
    {kSynCookiesKey, 0, 2, ZF_TRANSLATABLE("zf::kernel::Plan", "SYN cookies must be 0, 1 or 2")},
    {kNoPmtuDiscKey, 0, 1, ZF_TRANSLATABLE("zf::kernel::Plan", "path-MTU discovery must be 0 or 1")},
    {kMtuProbingKey, 0, 1, ZF_TRANSLATABLE("zf::kernel::Plan", "MTU probing must be 0 or 1")},
};

std::optional<std::int64_t> Number(std::string_view text) {
  std::int64_t number = 0;
  if (text.empty() || text.size() > 12) return std::nullopt;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

Phrase CheckRange(std::string_view value, std::int64_t low, std::int64_t high, Phrase refusal) {
  const auto number = Number(value);
  return number && *number >= low && *number <= high ? Phrase() : refusal;
}

Phrase CheckRmem(std::string_view value) {
  const Phrase notThree = Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "tcp_rmem wants three whole numbers"));
  std::vector<std::int64_t> parts;
  std::istringstream words{std::string(value)};
  for (std::string word; words >> word;) {
    const auto number = Number(word);
    if (!number) return notThree;
    parts.push_back(*number);
  }
  if (parts.size() != 3 || std::string(value) != NormalizeValue(value)) return notThree;
  if (parts[0] < 1 || parts[0] > parts[1] || parts[1] > parts[2] || parts[2] > kMaxRmem)
    return Phrase::Format(
        ZF_TRANSLATABLE("zf::kernel::Plan", "tcp_rmem must hold min <= default <= max with max at most 2147483647"));
  return {};
}

// The interface part of "net/ipv4/conf/IF/accept_redirects" or "link/IF/mtu"; nullopt otherwise.
std::optional<std::string_view> Middle(std::string_view key, std::string_view prefix, std::string_view suffix) {
  if (key.size() <= prefix.size() + suffix.size() || !key.starts_with(prefix) || !key.ends_with(suffix))
    return std::nullopt;
  return key.substr(prefix.size(), key.size() - prefix.size() - suffix.size());
}

Phrase CheckInterface(const LinkInfo* link, std::string_view name) {
  if (!link)
    return Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "there is no interface %1"), {std::string(name)});
  if (link->loopback) return Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "loopback is never changed"));
  return {};
}

}  // namespace

std::vector<std::string_view> FixedSettingKeys() {
  std::vector<std::string_view> keys;
  for (const ScalarRule& rule : kScalarRules) keys.push_back(rule.key);
  keys.push_back(kRmemKey);
  return keys;
}

std::string RedirectsKey(std::string_view interfaceName) {
  return std::string(kConfPrefix) + std::string(interfaceName) + std::string(kRedirectsSuffix);
}

std::string MtuKey(std::string_view interfaceName) {
  return std::string(kLinkPrefix) + std::string(interfaceName) + std::string(kMtuSuffix);
}

bool IsMtuKey(std::string_view key) { return Middle(key, kLinkPrefix, kMtuSuffix).has_value(); }

std::string InterfaceOfKey(std::string_view key) {
  if (auto name = Middle(key, kLinkPrefix, kMtuSuffix)) return std::string(*name);
  if (auto name = Middle(key, kConfPrefix, kRedirectsSuffix); name && *name != "all" && *name != "default")
    return std::string(*name);
  return {};
}

std::string DisplayName(std::string_view key) {
  if (auto name = Middle(key, kLinkPrefix, kMtuSuffix)) return std::string(*name) + " MTU";
  std::string dotted;
  for (std::size_t i = 0; i < key.size(); ++i) {
    // An interface name's own dots become slashes, the way sysctl(8) spells them.
    const bool inInterface =
        key.starts_with(kConfPrefix) && i >= kConfPrefix.size() && i < key.size() - kRedirectsSuffix.size();
    if (key[i] == '/')
      dotted += inInterface ? '/' : '.';
    else
      dotted += inInterface && key[i] == '.' ? '/' : key[i];
  }
  return dotted;
}

bool IsSafeInterfaceName(std::string_view name) {
  if (name.empty() || name.size() > 15 || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c <= ' ' || c == '/' || c >= 0x7F) return false;
  return true;
}

Phrase SettingProblem(std::string_view key, std::string_view value, const LinkInfo* link) {
  for (const auto& rule : kScalarRules)
    if (key == rule.key) return CheckRange(value, rule.low, rule.high, Phrase::Format(rule.refusal));
  if (key == kRmemKey) return CheckRmem(value);
  if (auto name = Middle(key, kConfPrefix, kRedirectsSuffix); name && IsSafeInterfaceName(*name)) {
    if (*name != "all" && *name != "default")
      if (auto problem = CheckInterface(link, *name); !problem.empty()) return problem;
    return CheckRange(value, 0, 1,
                      Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "accept_redirects must be 0 or 1")));
  }
  if (auto name = Middle(key, kLinkPrefix, kMtuSuffix); name && IsSafeInterfaceName(*name)) {
    if (auto problem = CheckInterface(link, *name); !problem.empty()) return problem;
    const std::int64_t highest = link->maxMtu > 0 ? link->maxMtu : 65535;
    return CheckRange(value, kMinMtu, highest,
                      Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "an MTU of %1 must be 68 to %2"),
                                     {std::string(*name), std::to_string(highest)}));
  }
  return Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan", "not a setting the bridge manages"));
}

std::string CheckSetting(std::string_view key, std::string_view value, const LinkInfo* link) {
  return SettingProblem(key, value, link).English();
}

std::string NormalizeValue(std::string_view raw) {
  std::string normal;
  bool gap = false;
  for (char c : raw) {
    if (c == ' ' || c == '\t' || c == '\n') {
      gap = !normal.empty();
    } else if (c >= '0' && c <= '9') {
      if (gap) normal += ' ';
      normal += c;
      gap = false;
    } else {
      return {};
    }
  }
  return normal;
}

bool IsTableKey(std::string_view key) {
  for (const auto& rule : kScalarRules)
    if (key == rule.key) return true;
  if (key == kRmemKey) return true;
  if (auto name = Middle(key, kConfPrefix, kRedirectsSuffix)) return IsSafeInterfaceName(*name);
  if (auto name = Middle(key, kLinkPrefix, kMtuSuffix)) return IsSafeInterfaceName(*name);
  return false;
}

bool IsWellFormedValue(std::string_view key, std::string_view value) {
  if (!IsTableKey(key) || value.empty() || NormalizeValue(value) != value) return false;
  std::size_t count = 0;
  for (std::size_t start = 0; start <= value.size(); ++count) {
    const std::size_t space = std::min(value.find(' ', start), value.size());
    const auto number = Number(value.substr(start, space - start));
    if (!number || *number > 2147483647) return false;
    start = space + 1;
  }
  return count == (key == kRmemKey ? 3u : 1u);
}

}  // namespace zf::kernel
