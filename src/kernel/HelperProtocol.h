// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The helper's line protocol. The caller sends one request:
//   zentrofast-kernel 1
//   apply | revert | recover       (what to do; recover only undoes what a killed helper left)
//   backup NAME                    (optional, for the ledger's history)
//   keep-within SECONDS            (apply: 1 to 600, default 30)
//   allow-ipv6-loss                (apply: accept an MTU below 1280)
//   set KEY VALUE                  (apply: one line per desired setting; the full desired state)
//   plan HASH                      (apply: the hash of the caller's preview)
//   end
// The helper answers one line: "applied ID MILLISECONDS" (the window left as it answers), "refused
// REASON" (nothing changed), "failed REASON" (everything rolled back), for revert "reverted REPORT",
// for recover "recovered REPORT" (what is live now).
// After "applied" the caller sends "keep" or "revert"; the answer is "kept REPORT" or
// "reverted REASON". End of input, the deadline or a signal revert.
#include <optional>
#include <string>
#include <string_view>

#include "core/Result.h"
#include "kernel/KernelTypes.h"

namespace zf::kernel {

inline constexpr std::string_view kProtocolHeader = "zentrofast-kernel 1";
inline constexpr std::size_t kMaxLineLength = 4096;
inline constexpr std::size_t kMaxSettings = 512;
inline constexpr int kMaxKeepWithinSeconds = 600;

enum class RequestKind { Apply, Revert, Recover };

struct HelperRequest {
  RequestKind kind = RequestKind::Apply;
  std::string backupName;
  int keepWithinSeconds = 30;
  bool allowIpv6Loss = false;
  SettingMap settings;
  std::string planHash;
};

// Takes the request line by line (without the line break); refuses what it does not know.
class RequestParser {
 public:
  // True once "end" came; an error for anything malformed.
  Result<bool> Line(std::string_view line);
  const HelperRequest& request() const { return m_request; }

 private:
  Result<bool> Body(std::string_view word, std::string_view rest);
  HelperRequest m_request;
  bool m_headerSeen = false;
  bool m_kindSeen = false;
  bool m_ended = false;
};

std::string FormatRequest(const HelperRequest& request);

struct HelperAnswer {
  std::string word;  // "applied", "refused", "failed", "kept", "reverted"
  std::string text;
};
std::optional<HelperAnswer> ParseAnswer(std::string_view line);

}  // namespace zf::kernel
