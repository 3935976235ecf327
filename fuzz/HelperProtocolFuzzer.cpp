// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever a caller writes on the helper's standard input goes through its request reader: it
// must refuse or accept without crashing, and an accepted request must say the same again when
// written out and read back. The ledger reader gets the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kernel/HelperProtocol.h"
#include "kernel/Ledger.h"
#include "kernel/SettingTable.h"

namespace {

using namespace zf::kernel;

// Feeds text line by line; the request when "end" came, empty otherwise.
std::optional<HelperRequest> Read(std::string_view text) {
  RequestParser parser;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) return std::nullopt;
    auto done = parser.Line(text.substr(start, end - start));
    if (!done) return std::nullopt;
    if (done.value()) return parser.request();
    start = end + 1;
  }
  return std::nullopt;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (auto request = Read(text)) {
    for (const auto& [key, value] : request->settings) {
      Check(!key.empty() && !value.empty());
      Check(NormalizeValue(value) == value);
      CheckSetting(key, value, nullptr);
    }
    Check(request->keepWithinSeconds >= 1 && request->keepWithinSeconds <= kMaxKeepWithinSeconds);
    auto again = Read(FormatRequest(*request));
    Check(again.has_value());
    Check(again->settings == request->settings && again->planHash == request->planHash &&
          again->kind == request->kind && again->allowIpv6Loss == request->allowIpv6Loss &&
          again->backupName == request->backupName);
  }
  if (auto ledger = ParseLedger(text)) {
    auto again = ParseLedger(FormatLedger(ledger.value()));
    Check(again.has_value() && again->managed == ledger->managed && again->originals == ledger->originals);
  }
  return 0;
}
