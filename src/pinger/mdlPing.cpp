// SPDX-License-Identifier: GPL-3.0-or-later
#include "pinger/mdlPing.h"

#include <algorithm>
#include <charconv>

#include "core/WholeNumber.h"

namespace zf {
namespace {

constexpr int kEventRoundsPerPoint = 3;
constexpr std::size_t kAddressParts = 4;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsBlankText(std::string_view text) { return std::all_of(text.begin(), text.end(), IsBlank); }

std::vector<std::string_view> SplitAtDots(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t dot = text.find('.', start);
    parts.push_back(text.substr(start, dot - start));
    if (dot == std::string_view::npos) return parts;
    start = dot + 1;
  }
}

}  // namespace

std::string EchoNotPermittedMessage() {
  return "Echo requests cannot be sent: this system lets the program open no ICMP datagram socket, and the "
         "ping program that comes with it may not send them either. To allow them, as root widen the ping group "
         "range so that it includes your group: sysctl -w net.ipv4.ping_group_range=\"0 2147483647\" (to keep "
         "it, put net.ipv4.ping_group_range = 0 2147483647 in a file under /etc/sysctl.d/).";
}

std::optional<IPv4Address> TextToIPv4(std::string_view dottedText) {
  const auto parts = SplitAtDots(dottedText);
  if (parts.size() > kAddressParts) return std::nullopt;
  IPv4Address address{};
  if (parts.size() < kAddressParts) return address;
  for (std::size_t i = 0; i < kAddressParts; ++i) {
    const auto number = ParseWholeNumber(parts[i], WholeNumberForm::Typed);
    if (!number) return std::nullopt;
    address[i] = static_cast<std::uint8_t>(*number & 0xFF);
  }
  return address;
}

std::string IPv4Text(const IPv4Address& address) {
  std::string text;
  for (const std::uint8_t part : address) {
    if (!text.empty()) text += '.';
    text += std::to_string(part);
  }
  return text;
}

bool IsAddressText(std::string_view hostText) {
  const std::size_t dot = hostText.find('.');
  return dot != std::string_view::npos && ParseWholeNumber(hostText.substr(0, dot), WholeNumberForm::Typed).has_value();
}

void mdlPing::LetEventsRun() {
  if (m_windowSystem != nullptr) m_windowSystem->DoEvents(kEventRoundsPerPoint);
}

bool mdlPing::BeginWinsockUse() {
  ++m_socketsLayerUsers;
  return true;
}

void mdlPing::EndWinsockUse() {
  if (m_socketsLayerUsers > 0) --m_socketsLayerUsers;
}

std::vector<std::string> mdlPing::ResolveHostName(const std::string& name) {
  std::vector<std::string> addressTexts;
  if (!BeginWinsockUse()) return addressTexts;
  for (const IPv4Address& address : m_icmp.ResolveIPv4(name)) addressTexts.push_back(IPv4Text(address));
  EndWinsockUse();
  return addressTexts;
}

void mdlPing::SendEchoRequest(const std::string& addressText, IcmpEchoReply& reply, std::uint32_t timeoutMs) {
  const auto address = TextToIPv4(addressText);
  if (!address) {
    reply = IcmpEchoReply{};
    reply.Status = IcmpStatus::BadDestination;
    return;
  }
  const std::span<const std::uint8_t> payload(reinterpret_cast<const std::uint8_t*>(kEchoPayload.data()),
                                              kEchoPayload.size());
  LetEventsRun();
  // Events keep running while the echo waits, so a ping of many seconds never freezes the screens.
  reply = m_icmp.SendEcho(*address, payload, timeoutMs, [this] {
    if (m_windowSystem != nullptr) m_windowSystem->DoEvents(1);
  });
  LetEventsRun();
}

bool mdlPing::PingHost(const std::string& hostText, std::uint32_t timeoutMs) {
  // Built apart and stored at the end: a nested ping started by the events we let run must not
  // mix its outcome into this one.
  PingOutcome outcome;
  const bool replied = Ping(hostText, timeoutMs, outcome);
  m_lastPing = outcome;
  return replied;
}

bool mdlPing::Ping(const std::string& hostText, std::uint32_t timeoutMs, PingOutcome& outcome) {
  if (IsBlankText(hostText)) return false;
  LetEventsRun();
  if (!BeginWinsockUse()) return false;
  LetEventsRun();
  std::string addressText = hostText;
  if (!IsAddressText(hostText)) {
    LetEventsRun();
    const auto addresses = ResolveHostName(hostText);
    LetEventsRun();
    if (addresses.empty()) {
      outcome.step = PingOutcome::Step::NameNotFound;
      EndWinsockUse();
      return false;
    }
    addressText = addresses.front();
  }
  outcome.step = PingOutcome::Step::Echoed;
  outcome.addressText = addressText;
  LetEventsRun();
  SendEchoRequest(addressText, outcome.reply, timeoutMs);
  LetEventsRun();
  EndWinsockUse();
  return outcome.reply.Status == IcmpStatus::Success;
}

}  // namespace zf
