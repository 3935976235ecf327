// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the pinger hands each echo it sends, so the connection's history can keep it. The pinger
// knows only this interface; the keeper is chosen by the composition root.
#include <cstdint>
#include <optional>
#include <string>

namespace zf {

// The status of an echo whose host name did not resolve (as the sockets layer reports it).
inline constexpr std::uint32_t kEchoHostNotFound = 11001;

struct EchoRecord {
  std::int64_t timeMs = 0;  // when the request went out, milliseconds since the epoch
  std::string host;         // the host text the pinger used
  // The round trip of a good reply; none for a time-out or any other failure.
  std::optional<std::uint32_t> roundTripMs;
  std::uint32_t status = 0;  // the IcmpStatus value, or kEchoHostNotFound

  bool Lost() const { return !roundTripMs.has_value(); }
  bool operator==(const EchoRecord&) const = default;
};

class IConnectionHistory {
 public:
  virtual ~IConnectionHistory() = default;
  // Cheap and never failing for the caller: the pinger must not wait on a disk.
  virtual void RecordEcho(const EchoRecord& echo) = 0;
};

}  // namespace zf
