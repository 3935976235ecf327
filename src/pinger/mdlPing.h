// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One ICMP echo request to a host given as text: a dotted IPv4 address or a name to resolve.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/icmp.h"
#include "platform/window.h"

namespace zf {

inline constexpr std::string_view kEchoPayload = "Echo This";

// What to tell a user whose system lets this program open no ICMP socket at all.
std::string EchoNotPermittedMessage();

// The address in a dotted text of four parts, each reduced to its low 8 bits (300 gives 44);
// fewer than four parts give 0.0.0.0. Nothing for a fifth part or a part that is not a number.
std::optional<IPv4Address> TextToIPv4(std::string_view dottedText);
// Decimal parts joined with dots.
std::string IPv4Text(const IPv4Address& address);
// An address text has a dot and a number before its first dot; anything else is a host name.
bool IsAddressText(std::string_view hostText);

// What the last PingHost came to, for callers that explain a failure.
struct PingOutcome {
  enum class Step { BlankHost, NameNotFound, Echoed };
  Step step = Step::BlankHost;
  std::string addressText;  // where the echo went
  IcmpEchoReply reply;
};

class mdlPing {
 public:
  // Pending events run through windowSystem while a ping is under way; a program without an
  // event loop passes null.
  mdlPing(IIcmp& icmp, IWindowSystem* windowSystem) : m_icmp(icmp), m_windowSystem(windowSystem) {}

  // True when a good reply came back within timeoutMs. Every failure is just false.
  bool PingHost(const std::string& hostText, std::uint32_t timeoutMs);
  void SendEchoRequest(const std::string& addressText, IcmpEchoReply& reply, std::uint32_t timeoutMs);
  // Dotted address texts in the resolver's order; empty when the name is not found.
  std::vector<std::string> ResolveHostName(const std::string& name);

  // Nothing needs starting on Linux: both succeed, and the count of open uses stays paired.
  bool BeginWinsockUse();
  void EndWinsockUse();
  int SocketsLayerUsers() const { return m_socketsLayerUsers; }

  const PingOutcome& LastPing() const { return m_lastPing; }

 private:
  void LetEventsRun();
  bool Ping(const std::string& hostText, std::uint32_t timeoutMs, PingOutcome& outcome);

  IIcmp& m_icmp;
  IWindowSystem* m_windowSystem;
  int m_socketsLayerUsers = 0;
  PingOutcome m_lastPing;
};

}  // namespace zf
