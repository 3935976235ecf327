// SPDX-License-Identifier: GPL-3.0-or-later
#include <CLI/CLI.hpp>
#include <charconv>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "pinger/PingerScheduler.h"
#include "pinger/mdlPing.h"

namespace zf::cli {
namespace {

struct PingRequest {
  std::string host;
  std::uint32_t timeoutMs = kPingerTimeoutMs;
};

std::optional<std::uint32_t> TimeoutValue(const std::string& text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  const bool whole = error == std::errc() && end == text.data() + text.size();
  if (!whole || value == 0 || value > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) return std::nullopt;
  return value;
}

struct PingOptions {
  std::string host;
  std::optional<std::string> timeout;
};

// The request, or nothing after printing what is wrong with the arguments.
std::optional<PingRequest> MakePingRequest(CliContext& context, const PingOptions& options) {
  PingRequest request{options.host};
  if (options.timeout) {
    const auto timeout = TimeoutValue(*options.timeout);
    if (!timeout) {
      context.UsageError(Say("--timeout wants a number of milliseconds from 1 to 2147483647"));
      return std::nullopt;
    }
    request.timeoutMs = *timeout;
  }
  if (request.host.find_first_not_of(" \t") == std::string::npos) {
    context.UsageError(Say("ping needs a HOST name or address"));
    return std::nullopt;
  }
  return request;
}

std::string Destination(const PingRequest& request, const PingOutcome& outcome) {
  if (outcome.addressText == request.host) return outcome.addressText;
  return request.host + " [" + outcome.addressText + "]";
}

void ReportReply(CliContext& context, const PingRequest& request, const PingOutcome& outcome) {
  const IcmpEchoReply& reply = outcome.reply;
  context.out << "Reply from " << Destination(request, outcome) << ": bytes=" << reply.DataSize;
  if (reply.RoundTripTime == 0) {
    context.out << " time<1ms\n";
  } else {
    context.out << " time=" << reply.RoundTripTime << "ms\n";
  }
}

void ReportFailure(CliContext& context, const PingRequest& request, const PingOutcome& outcome) {
  context.err << "zentrofastctl: ";
  if (outcome.step == PingOutcome::Step::NameNotFound) {
    context.err << Say("cannot resolve the host name \"%1\"", request.host) << "\n";
    return;
  }
  const std::string destination = Destination(request, outcome);
  switch (outcome.reply.Status) {
    case IcmpStatus::NotPermitted: context.err << EchoNotPermittedMessage() << "\n"; break;
    case IcmpStatus::TimedOut:
      context.err << Say("no reply from %1 within %2 ms", destination, request.timeoutMs) << "\n";
      break;
    case IcmpStatus::BadDestination:
      context.err << Say("\"%1\" is not a usable IPv4 address", request.host) << "\n";
      break;
    case IcmpStatus::DestNetUnreachable:
      context.err << Say("cannot reach %1: network unreachable", destination) << "\n";
      break;
    case IcmpStatus::DestHostUnreachable:
      context.err << Say("cannot reach %1: host unreachable", destination) << "\n";
      break;
    default: context.err << Say("the echo request to %1 failed", destination) << "\n"; break;
  }
}

int RunPing(CliContext& context, const PingOptions& options) {
  const auto request = MakePingRequest(context, options);
  if (!request) return kExitUsage;
  mdlPing ping(context.platform.icmp, nullptr);
  const bool replied = ping.PingHost(request->host, request->timeoutMs);
  if (!replied) {
    ReportFailure(context, *request, ping.LastPing());
    return kExitFailed;
  }
  ReportReply(context, *request, ping.LastPing());
  return kExitOk;
}

}  // namespace

void AddPingCommand(CLI::App& app, CommandTable& table) {
  auto options = std::make_shared<PingOptions>();
  CLI::App* ping = app.add_subcommand("ping", Say("Send one ICMP echo request; exit 0 when a good reply came back"));
  ping->allow_extras();
  ping->add_option("HOST", options->host, Say("A host name or IPv4 address"))->required();
  ping->add_option("--timeout", options->timeout, Say("How long to wait for the reply (default 10000)"))
      ->type_name("MS");
  table[ping] = [options](CliContext& context) { return RunPing(context, *options); };
}

}  // namespace zf::cli
