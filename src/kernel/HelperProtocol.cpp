// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/HelperProtocol.h"

#include <charconv>

#include "kernel/Ledger.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

std::pair<std::string_view, std::string_view> SplitWord(std::string_view line) {
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos) return {line, {}};
  return {line.substr(0, space), line.substr(space + 1)};
}

bool IsHash(std::string_view text) {
  if (text.size() != 16) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

bool IsKey(std::string_view key) {
  if (key.empty() || key.size() > 128 || key.front() == '/' || key.find("..") != std::string_view::npos) return false;
  for (unsigned char c : key)
    if (c <= ' ' || c >= 0x7F) return false;
  return true;
}

}  // namespace

Result<bool> RequestParser::Line(std::string_view line) {
  if (m_ended) return Error{"nothing may follow \"end\""};
  if (line.size() > kMaxLineLength) return Error{"a request line is too long"};
  if (!IsPlainField(line)) return Error{"a request line holds a control character"};
  if (!m_headerSeen) {
    if (line != kProtocolHeader) return Error{"not a zentrofast-kernel 1 request"};
    m_headerSeen = true;
    return false;
  }
  if (!m_kindSeen) {
    if (line != "apply" && line != "revert" && line != "recover")
      return Error{"the request must say apply, revert or recover"};
    m_request.kind = line == "apply"    ? RequestKind::Apply
                     : line == "revert" ? RequestKind::Revert
                                        : RequestKind::Recover;
    m_kindSeen = true;
    return false;
  }
  const auto [word, rest] = SplitWord(line);
  return Body(word, rest);
}

Result<bool> RequestParser::Body(std::string_view word, std::string_view rest) {
  const bool apply = m_request.kind == RequestKind::Apply;
  if (word == "end" && rest.empty()) {
    if (apply && m_request.planHash.empty()) return Error{"an apply needs the plan's hash"};
    m_ended = true;
    return true;
  }
  if (word == "backup" && !rest.empty() && rest.size() <= 64) {
    m_request.backupName = rest;
    return false;
  }
  if (!apply) return Error{"a revert takes only a backup name"};
  if (word == "allow-ipv6-loss" && rest.empty()) {
    m_request.allowIpv6Loss = true;
    return false;
  }
  if (word == "keep-within") {
    int seconds = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), seconds);
    if (ec != std::errc() || end != rest.data() + rest.size() || seconds < 1 || seconds > kMaxKeepWithinSeconds)
      return Error{"keep-within wants 1 to 600 seconds"};
    m_request.keepWithinSeconds = seconds;
    return false;
  }
  if (word == "plan" && IsHash(rest)) {
    m_request.planHash = rest;
    return false;
  }
  if (word == "set") {
    const auto [key, value] = SplitWord(rest);
    const std::string normal = NormalizeValue(value);
    if (!IsKey(key) || normal.empty() || normal != value) return Error{"a set line wants KEY VALUE"};
    if (m_request.settings.size() >= kMaxSettings) return Error{"too many settings"};
    if (!m_request.settings.emplace(key, normal).second) return Error{"a setting is given twice"};
    return false;
  }
  return Error{"unknown request line"};
}

std::string FormatRequest(const HelperRequest& request) {
  std::string text = std::string(kProtocolHeader) + "\n";
  text += request.kind == RequestKind::Apply    ? "apply\n"
          : request.kind == RequestKind::Revert ? "revert\n"
                                                : "recover\n";
  if (!request.backupName.empty()) text += "backup " + request.backupName + "\n";
  if (request.kind == RequestKind::Apply) {
    text += "keep-within " + std::to_string(request.keepWithinSeconds) + "\n";
    if (request.allowIpv6Loss) text += "allow-ipv6-loss\n";
    for (const auto& [key, value] : request.settings) text += "set " + key + " " + value + "\n";
    text += "plan " + request.planHash + "\n";
  }
  return text + "end\n";
}

std::optional<HelperAnswer> ParseAnswer(std::string_view line) {
  const auto [word, rest] = SplitWord(line);
  for (std::string_view known : {"applied", "refused", "failed", "kept", "reverted", "recovered", "note"})
    if (word == known) return HelperAnswer{std::string(word), std::string(rest)};
  return std::nullopt;
}

}  // namespace zf::kernel
