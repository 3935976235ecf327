// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/KernelChangeWords.h"

#include <charconv>
#include <optional>
#include <sstream>
#include <vector>

#include "core/BeforeAfter.h"
#include "kernel/KernelPlan.h"
#include "kernel/SettingTable.h"

namespace zf {
namespace {

using kernel::InterfaceOfKey;
using kernel::IsMtuKey;

QString Text(const std::string& text) { return QString::fromStdString(text); }

std::optional<long long> Number(std::string_view text) {
  long long number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

// tcp_rmem's "min default max"; nothing unless it is exactly three numbers.
std::optional<std::vector<long long>> BufferSizes(const std::string& value) {
  std::istringstream words(value);
  std::vector<long long> sizes;
  for (std::string word; words >> word;) {
    const auto number = Number(word);
    if (!number) return std::nullopt;
    sizes.push_back(*number);
  }
  if (sizes.size() != 3) return std::nullopt;
  return sizes;
}

QString Size(long long bytes) { return Text(figures::SizeText(bytes)); }

bool IsRedirectsKey(std::string_view key) { return key.ends_with("/accept_redirects"); }

}  // namespace

QString KernelChangeWords::Subject(std::string_view key, const std::string& displayName) {
  if (key == kernel::kTtlKey) return tr("Hop limit of outgoing packets (TTL)");
  if (key == kernel::kKeepAliveTimeKey) return tr("Idle time before a connection is checked");
  if (key == kernel::kKeepAliveIntervalKey) return tr("Time between checks of an idle connection");
  if (key == kernel::kSynCookiesKey) return tr("Protection against connection floods (SYN cookies)");
  if (key == kernel::kNoPmtuDiscKey) return tr("Finding the largest packet a path carries (path MTU discovery)");
  if (key == kernel::kMtuProbingKey) return tr("Probing for lost large packets (MTU probing)");
  if (key == kernel::kRmemKey) return tr("Receive buffer");
  if (IsMtuKey(key)) return tr("Packet size (MTU) of %1").arg(Text(InterfaceOfKey(key)));
  if (IsRedirectsKey(key)) {
    const std::string name = InterfaceOfKey(key);
    if (!name.empty()) return tr("Route changes from routers (ICMP redirects) on %1").arg(Text(name));
    if (key == kernel::RedirectsKey("all")) return tr("Route changes from routers (ICMP redirects) on all interfaces");
    return tr("Route changes from routers (ICMP redirects) on new interfaces");
  }
  return Text(displayName);
}

QString KernelChangeWords::Value(std::string_view key, const std::string& value) {
  if (value.empty()) return tr("unreadable");
  if (key == kernel::kRmemKey) {
    const auto sizes = BufferSizes(value);
    return sizes ? Size(sizes->back()) : Text(value);
  }
  const auto number = Number(value);
  if (!number) return Text(value);
  if (key == kernel::kKeepAliveTimeKey || key == kernel::kKeepAliveIntervalKey) {
    if (*number > 0 && *number % 3600 == 0) return tr("%1 h").arg(*number / 3600);
    if (*number > 0 && *number % 60 == 0) return tr("%1 min").arg(*number / 60);
    return tr("%1 s").arg(*number);
  }
  if (key == kernel::kSynCookiesKey || key == kernel::kMtuProbingKey) {
    if (*number == 0) return tr("off");
    return *number == 1 ? tr("on when needed") : tr("always on");
  }
  if (key == kernel::kNoPmtuDiscKey) return *number == 0 ? tr("on") : tr("off");
  if (IsRedirectsKey(key)) return *number == 0 ? tr("refused") : tr("accepted");
  return Text(value);
}

QString KernelChangeWords::Effect(std::string_view key, const std::string& after) {
  if (key == kernel::kRmemKey) {
    const auto sizes = BufferSizes(after);
    if (!sizes) return {};
    const double cap = kernel::ThroughputCapMbits(sizes->back()) * 1e6;
    return tr("one connection at most %1 at %2")
        .arg(Text(figures::RateText(cap)), Text(figures::RttText(kernel::kCapRoundTripSeconds * 1000)));
  }
  if (IsMtuKey(key)) {
    const auto mtu = Number(after);
    if (!mtu || *mtu >= kernel::kIpv6MinimumMtu) return {};
    return tr("IPv6 addresses on %1 will be removed; going back restores only the link-local one")
        .arg(Text(InterfaceOfKey(key)));
  }
  return {};
}

QString KernelChangeWords::Sentence(const kernel::KernelChange& change, bool backToOriginal) {
  const QString subject = Subject(change.key, change.setting);
  QString now = Value(change.key, change.now);
  QString after = Value(change.key, change.after);
  // Only the smaller sizes of the receive buffer change: the largest alone would read "6 MB → 6 MB".
  if (change.key == kernel::kRmemKey && now == after && change.Changes()) {
    const auto all = [](const std::string& value) {
      const auto sizes = BufferSizes(value);
      return sizes ? QStringLiteral("%1 / %2 / %3").arg(Size((*sizes)[0]), Size((*sizes)[1]), Size((*sizes)[2]))
                   : Text(value);
    };
    now = all(change.now);
    after = all(change.after);
  }
  QString sentence =
      change.Changes() ? tr("%1: %2 \u2192 %3").arg(subject, now, after) : tr("%1: already %2").arg(subject, after);
  if (backToOriginal) sentence += tr(" (back to its original)");
  if (const QString effect = Effect(change.key, change.after); change.Changes() && !effect.isEmpty())
    sentence += tr(" \u2014 %1").arg(effect);
  return sentence;
}

}  // namespace zf
