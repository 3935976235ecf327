// SPDX-License-Identifier: GPL-3.0-or-later
// zentrofastctl kernel: the kernel bridge from the command line.
#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "cli/KernelOutput.h"
#include "cli/KernelScriptOutput.h"
#include "cli/MeasurementHistory.h"
#include "core/BackupStore.h"
#include "core/BeforeAfter.h"
#include "core/Translatable.h"
#include "kernel/HelperProcess.h"
#include "kernel/HelperProtocol.h"
#include "kernel/KernelBridge.h"
#include "kernel/Ledger.h"
#include "kernel/PersistTexts.h"
#include "measure/Measure.h"
#include "measure/Recommend.h"

namespace zf::cli {
namespace {

using namespace zf::kernel;

constexpr int kExitReverted = 3;
constexpr const char* kUsage = ZF_CLI_TRANSLATABLE(
    // TRANSLATORS: the command words and options stay; the continuation lines stand under "plan".
    "usage: zentrofastctl kernel plan [--check] [--json] | apply [--keep-within SECONDS] [--yes] [--allow-ipv6-loss]\n"
    "                            [--measure TARGET [--seconds N] [--keep-if-not-slower]]\n"
    "                            | status [--json | --format text|prometheus] | revert\n"
    "                            | export --format sysctl|tuned|networkd|ansible\n");

struct KernelOptions {
  bool check = false;
  bool json = false;
  std::string statusFormat = "text";
  bool yes = false;
  bool allowIpv6Loss = false;
  int keepWithin = 30;
  std::string format;
  std::string measureTarget;
  int measureSeconds = 5;
  bool keepIfNotSlower = false;
};

// The keep window grows by the whole measurement so the user still has the full window to answer
// once the figures are shown.
using figures::kMeasureOverheadSeconds;

int MeasuringSeconds(const KernelOptions& options) {
  return options.measureTarget.empty() ? 0 : options.measureSeconds + kMeasureOverheadSeconds;
}

// The options of `apply --measure`; what is wrong, or nothing.
std::string CheckMeasureOptions(const KernelOptions& options) {
  if (options.keepIfNotSlower && options.measureTarget.empty())
    return Say("--keep-if-not-slower needs --measure TARGET");
  if (options.measureTarget.empty()) return {};
  if (options.measureSeconds < 1 || options.measureSeconds > measure::kMaxSeconds)
    return Say("--seconds wants a number from 1 to %1", measure::kMaxSeconds);
  if (options.keepWithin + MeasuringSeconds(options) > kMaxKeepWithinSeconds)
    return Say("--keep-within plus the %1 s the measurement may take must stay within %2 seconds",
               MeasuringSeconds(options), kMaxKeepWithinSeconds);
  return {};
}

measure::MeasureOutcome MeasureNow(CliContext& context, const KernelOptions& options) {
  measure::MeasureRequest request;
  request.target = options.measureTarget;
  request.seconds = options.measureSeconds;
  measure::CancelFlag never;
  measure::MeasureOutcome outcome = measure::MeasureConnection(request, {}, never);
  RecordInHistory(context.config, outcome, context.err);
  return outcome;
}

// --keep-within: whole seconds from 1 to the helper's longest window; what is wrong, or nothing.
std::string CheckKeepWithin(const std::string& text, int* seconds) {
  try {
    std::size_t used = 0;
    *seconds = std::stoi(text, &used);
    if (used != text.size()) *seconds = 0;
  } catch (...) {
    *seconds = 0;
  }
  if (*seconds < 1 || *seconds > kMaxKeepWithinSeconds) return Say("--keep-within wants 1 to 600 seconds");
  return {};
}

std::string NewestBackup(const Config& config) {
  const BackupList list = ListBackups(BackupsFolder(config));
  return list.entries.empty() ? std::string() : list.entries.back().fileName;
}

// The seconds left, right-aligned in three places so that the prompt keeps its length as they count down.
std::string SecondsText(long long seconds) {
  const std::string digits = std::to_string(seconds);
  return std::string(digits.size() < 3 ? 3 - digits.size() : 0, ' ') + digits;
}

enum class KeepAnswer { Keep, Revert, TimedOut, HelperEnded };

// Asks "Keep these settings? [y/N]" until the deadline, watching the helper meanwhile: its own
// revert or its end finishes the question at once.
KeepAnswer AskToKeep(IKernelSession& session, std::ostream& out) {
  using namespace std::chrono;
  const bool terminal = ::isatty(STDIN_FILENO);
  std::string answer;
  for (bool first = true;; first = false) {
    const long long left = ceil<milliseconds>(session.Deadline() - steady_clock::now()).count();
    if (left <= 0) {
      out << "\n";
      return KeepAnswer::TimedOut;
    }
    const long long shown = (left + 999) / 1000;
    if (terminal || first)
      // TRANSLATORS: the tool reads y, Y or yes whatever the language; keep [y/N] as it stands.
      out << (terminal ? "\r" : "") << Say("Keep these settings? [y/N] (reverting in %1 s) ", SecondsText(shown))
          << std::flush;
    // Until the shown number of seconds drops.
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {session.WaitHandle(), POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(left - (shown - 1) * 1000));
    if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
    if (ready > 0 && fds[1].revents != 0) {
      if (session.Poll(0) == SessionState::Applied) continue;
      out << "\n";
      return KeepAnswer::HelperEnded;
    }
    char c = 0;
    if (ready < 0 || ::read(STDIN_FILENO, &c, 1) != 1 || c == '\n') break;
    answer += c;
  }
  out << "\n";
  return answer == "y" || answer == "Y" || answer == "yes" ? KeepAnswer::Keep : KeepAnswer::Revert;
}

KernelBridge MakeBridge(CliContext& context, IRegistry& registry) {
  return KernelBridge({registry, DetectOSFamily(context.config.osVersion), ThisMachine(), kLedgerPath,
                       HelperCommandLine(), BackupsFolder(context.config)});
}

int RunPlan(CliContext& context, IRegistry& registry, const KernelOptions& options) {
  auto plan = MakeBridge(context, registry).Plan();
  if (!plan) {
    context.err << "zentrofastctl: " << plan.error().text << "\n";
    return kExitFailed;
  }
  if (options.json)
    PrintPlanJson(plan.value(), context.out);
  else
    PrintPlan(plan.value(), context.out);
  return options.check && plan->ChangesAnything() ? kExitReverted : kExitOk;
}

// A session the helper ended by itself: its own revert, or a recovery run after it stopped.
int Ended(IKernelSession& session, CliContext& context) {
  if (session.State() == SessionState::Failed) {
    context.err << "zentrofastctl: " << session.Message() << "\n";
    return kExitFailed;
  }
  context.out << Say("Reverted: %1", session.Message()) << "\n";
  return kExitReverted;
}

int Finish(IKernelSession& session, CliContext& context, KeepAnswer answer) {
  if (answer == KeepAnswer::HelperEnded) return Ended(session, context);
  if (answer == KeepAnswer::Keep) {
    auto kept = session.Keep();
    if (kept) {
      context.out << Say("Kept: %1", kept.value()) << "\n";
      return kExitOk;
    }
    if (session.State() == SessionState::Failed) return Ended(session, context);
    context.err << "zentrofastctl: " << Say("not kept: %1", kept.error().text) << "\n";
    return kExitReverted;
  }
  // Our deadline is not before the helper's, whose own revert normally answers first.
  if (answer == KeepAnswer::TimedOut && session.Poll(2000) != SessionState::Applied &&
      session.State() != SessionState::Reverted)
    return Ended(session, context);
  auto reverted = session.State() == SessionState::Applied ? session.Revert() : Result<Done>(Done{});
  const std::string& message = reverted ? session.Message() : reverted.error().text;
  if (answer != KeepAnswer::TimedOut) {
    context.out << Say("Reverted: %1", message) << "\n";
    return kExitReverted;
  }
  // Whoever sent it, the revert came because the time ran out; only the helper's problems are added.
  const std::size_t but = message.find(", but ");
  context.out << Say("Reverted: not kept in time") << (but == std::string::npos ? "" : message.substr(but)) << "\n";
  return kExitReverted;
}

int Conclude(IKernelSession& session, CliContext& context, const KernelOptions& options) {
  return Finish(session, context, options.yes ? KeepAnswer::Keep : AskToKeep(session, context.out));
}

// Measures again inside the keep window and says what the change did; with --keep-if-not-slower
// the verdict decides, otherwise the user does.
int ConcludeMeasured(IKernelSession& session, CliContext& context, const KernelOptions& options,
                     const measure::PathFacts& before) {
  context.out << Say("Measuring %1 again with the new settings...", options.measureTarget) << "\n" << std::flush;
  const auto after = MeasureNow(context, options);
  std::optional<measure::PathFacts> facts;
  if (after.result) facts = measure::FactsOf(after.result.value());
  const measure::Verdict verdict = measure::Compare(before, facts);
  context.out << measure::BeforeAfterSentence(before, facts, after.result ? std::string() : after.result.error().text)
              << "\n";
  if (!options.keepIfNotSlower) return Conclude(session, context, options);
  context.out << (measure::KeepAfter(verdict) ? Say("Keeping them: the connection is not slower.")
                                              : Say("Reverting them: the connection is slower."))
              << "\n";
  return Finish(session, context, measure::KeepAfter(verdict) ? KeepAnswer::Keep : KeepAnswer::Revert);
}

int RunApply(CliContext& context, IRegistry& registry, const KernelOptions& options) {
  KernelBridge bridge = MakeBridge(context, registry);
  auto plan = bridge.Plan();
  if (!plan) {
    context.err << "zentrofastctl: " << plan.error().text << "\n";
    return kExitFailed;
  }
  PrintPlan(plan.value(), context.out);
  if (!plan->ChangesAnything() && plan->desired.empty()) {
    context.out << Say("Nothing to apply.") << "\n";
    return kExitOk;
  }
  if (plan->NeedsIpv6Acceptance() && !options.allowIpv6Loss) {
    context.err << "zentrofastctl: "
                << Say("an MTU below 1280 removes IPv6 addresses; nothing was changed (accept it with "
                       "--allow-ipv6-loss)")
                << "\n";
    return kExitFailed;
  }
  std::optional<measure::PathFacts> before;
  if (!options.measureTarget.empty()) {
    context.out << Say("Measuring %1 before changing anything...", options.measureTarget) << "\n" << std::flush;
    const auto measured = MeasureNow(context, options);
    if (!measured.result) {
      context.err << "zentrofastctl: "
                  << Say("the measurement failed, so nothing was changed: %1", measured.result.error().text) << "\n";
      return kExitFailed;
    }
    before = measure::FactsOf(measured.result.value());
  }
  const int window = options.keepWithin + MeasuringSeconds(options);
  auto session = bridge.Apply(plan.value(), {window, options.allowIpv6Loss, NewestBackup(context.config)});
  while (session->Poll(1000) == SessionState::Starting) {
  }
  for (const auto& note : session->Notes()) context.out << Say("note: %1", note) << "\n";
  if (session->State() != SessionState::Applied) {
    context.err << "zentrofastctl: " << session->Message() << "\n";
    return kExitFailed;
  }
  return before ? ConcludeMeasured(*session, context, options, *before) : Conclude(*session, context, options);
}

int RunStatus(CliContext& context, IRegistry& registry, const KernelOptions& options) {
  if (options.statusFormat != "text" && options.statusFormat != "prometheus")
    return context.UsageError(Say("--format wants text or prometheus"));
  if (options.json && options.statusFormat != "text")
    return context.UsageError(Say("--json and --format exclude each other"));
  auto status = MakeBridge(context, registry).Status();
  if (!status) {
    context.err << "zentrofastctl: " << status.error().text << "\n";
    return kExitFailed;
  }
  if (options.json)
    PrintStatusJson(status.value(), context.out);
  else if (options.statusFormat == "prometheus")
    PrintStatusPrometheus(status.value(), context.out);
  else
    PrintStatus(status.value(), context.out);
  return kExitOk;
}

int RunRevert(CliContext& context, IRegistry& registry) {
  auto reverted = MakeBridge(context, registry).Revert();
  if (!reverted) {
    context.err << "zentrofastctl: " << reverted.error().text << "\n";
    return kExitFailed;
  }
  context.out << reverted.value() << "\n";
  return kExitOk;
}

int RunExport(CliContext& context, IRegistry& registry, const KernelOptions& options) {
  auto plan = MakeBridge(context, registry).Plan();
  if (!plan) {
    context.err << "zentrofastctl: " << plan.error().text << "\n";
    return kExitFailed;
  }
  auto text = ExportDesiredState(plan->desired, ThisMachine().Links(), options.format);
  if (!text) {
    context.err << "zentrofastctl: " << Say(text.error().text) << "\n" << Say(kUsage);
    return kExitUsage;
  }
  context.out << text.value();
  return kExitOk;
}

}  // namespace

void AddKernelCommands(CLI::App& app, CommandTable& table) {
  CLI::App* kernel = app.add_subcommand("kernel", Say("Make the tuned values true in the running Linux kernel"));
  kernel->allow_extras();
  kernel->footer(
      Say("Exit status 3: the settings were reverted (apply) or differ from the tuned values (plan --check)."));
  auto options = std::make_shared<KernelOptions>();
  auto keepWithin = std::make_shared<std::string>();
  auto add = [&](const char* name, const char* help, std::function<int(CliContext&, IRegistry&)> run) {
    CLI::App* sub = kernel->add_subcommand(name, help);
    sub->allow_extras();
    table[sub] = [run = std::move(run)](CliContext& context) {
      IRegistry* registry = context.Registry();
      return registry ? run(context, *registry) : kExitFailed;
    };
    return sub;
  };
  CLI::App* plan =
      add("plan", Say("Show the Linux settings the stored tuning values stand for"),
          [options](CliContext& context, IRegistry& registry) { return RunPlan(context, registry, *options); });
  plan->add_flag("--check", options->check, Say("Exit 3 when the live system differs"));
  plan->add_flag("--json", options->json, Say("Print the plan as JSON"));
  CLI::App* apply =
      add("apply", Say("Apply them through the helper, then ask whether to keep them"),
          [options, keepWithin](CliContext& context, IRegistry& registry) {
            if (!keepWithin->empty()) {
              if (std::string problem = CheckKeepWithin(*keepWithin, &options->keepWithin); !problem.empty())
                return context.UsageError(problem);
            }
            if (std::string problem = CheckMeasureOptions(*options); !problem.empty())
              return context.UsageError(problem);
            return RunApply(context, registry, *options);
          });
  apply->add_option("--keep-within", *keepWithin, Say("Seconds to answer before they are reverted (default 30)"))
      ->type_name("S");
  apply->add_flag("--yes", options->yes, Say("Keep them without asking"));
  apply->add_flag("--allow-ipv6-loss", options->allowIpv6Loss, Say("Apply even where IPv6 would be lost"));
  apply
      ->add_option("--measure", options->measureTarget,
                   Say("Measure iperf3://HOST[:PORT] or an http(s) URL before the change and again after it; the "
                       "keep window grows by the measuring time"))
      ->type_name("TARGET");
  apply->add_option("--seconds", options->measureSeconds, Say("How long each measurement's stream runs (default 5)"))
      ->type_name("N");
  apply->add_flag("--keep-if-not-slower", options->keepIfNotSlower,
                  Say("Keep without asking unless throughput dropped by more than 10 % or the round trip rose by "
                      "more than 20 %"));
  CLI::App* status =
      add("status", Say("The managed settings with their originals, persistence and drift"),
          [options](CliContext& context, IRegistry& registry) { return RunStatus(context, registry, *options); });
  status->add_flag("--json", options->json, Say("Print the status as JSON"));
  status
      ->add_option("--format", options->statusFormat,
                   Say("text, or prometheus (drift gauges for node_exporter's textfile collector)"))
      ->type_name("FORMAT");
  add("revert", Say("Every managed setting back to its original, the persisted files removed"),
      [](CliContext& context, IRegistry& registry) { return RunRevert(context, registry); });
  add("export",
      Say("The same settings as a sysctl.d file, a TuneD profile, systemd .link files or an Ansible playbook"),
      [options](CliContext& context, IRegistry& registry) { return RunExport(context, registry, *options); })
      ->add_option("--format", options->format, Say("sysctl, tuned, networkd or ansible"))
      ->type_name("FORMAT")
      ->required();
}

}  // namespace zf::cli
