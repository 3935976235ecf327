#include <charconv>
#include <limits>
#include <optional>
#include <ostream>

#include "cli/CliContext.h"
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

// The request, or nothing after printing what is wrong with the arguments.
std::optional<PingRequest> ParsePingArguments(CliContext& context, const Args& args) {
  PingRequest request;
  bool haveHost = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--timeout") {
      const auto timeout = i + 1 < args.size() ? TimeoutValue(args[++i]) : std::nullopt;
      if (!timeout) {
        context.err << "zentrofastctl: --timeout wants a number of milliseconds from 1 to 2147483647\n";
        return std::nullopt;
      }
      request.timeoutMs = *timeout;
    } else if (!haveHost && !args[i].starts_with("--")) {
      request.host = args[i];
      haveHost = true;
    } else {
      context.err << "zentrofastctl: unexpected argument \"" << args[i] << "\" for ping\n";
      return std::nullopt;
    }
  }
  if (request.host.find_first_not_of(" \t") == std::string::npos) {
    context.err << "zentrofastctl: usage: ping HOST [--timeout MS]\n";
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
    context.err << "cannot resolve the host name \"" << request.host << "\"\n";
    return;
  }
  const std::string destination = Destination(request, outcome);
  switch (outcome.reply.Status) {
    case IcmpStatus::NotPermitted: context.err << EchoNotPermittedMessage() << "\n"; break;
    case IcmpStatus::TimedOut:
      context.err << "no reply from " << destination << " within " << request.timeoutMs << " ms\n";
      break;
    case IcmpStatus::BadDestination: context.err << "\"" << request.host << "\" is not a usable IPv4 address\n"; break;
    case IcmpStatus::DestNetUnreachable: context.err << "cannot reach " << destination << ": network unreachable\n"; break;
    case IcmpStatus::DestHostUnreachable: context.err << "cannot reach " << destination << ": host unreachable\n"; break;
    default: context.err << "the echo request to " << destination << " failed\n"; break;
  }
}

}  // namespace

int RunPingCommand(CliContext& context, const Args& args) {
  const auto request = ParsePingArguments(context, args);
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

}  // namespace zf::cli
