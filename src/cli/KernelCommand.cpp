// zentrofastctl kernel: the kernel bridge from the command line.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <iomanip>
#include <ostream>

#include "core/BackupStore.h"
#include "cli/CliContext.h"
#include "cli/KernelOutput.h"
#include "kernel/HelperProcess.h"
#include "kernel/HelperProtocol.h"
#include "kernel/KernelBridge.h"
#include "kernel/Ledger.h"
#include "kernel/PersistTexts.h"

namespace zf::cli {
namespace {

using namespace zf::kernel;

constexpr int kExitReverted = 3;
constexpr const char* kUsage =
    "usage: zentrofastctl kernel plan [--check] | apply [--keep-within SECONDS] [--yes] [--allow-ipv6-loss]\n"
    "                            | status | revert | export --format sysctl|tuned|networkd\n";

struct KernelOptions {
  bool check = false;
  bool yes = false;
  bool allowIpv6Loss = false;
  int keepWithin = 30;
  std::string format;
};

// Parsed apart from the commands so that each stays a few lines.
std::optional<KernelOptions> ParseOptions(const Args& args, std::ostream& err) {
  KernelOptions options;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& option = args[i];
    const bool hasValue = i + 1 < args.size();
    if (option == "--check")
      options.check = true;
    else if (option == "--yes")
      options.yes = true;
    else if (option == "--allow-ipv6-loss")
      options.allowIpv6Loss = true;
    else if (option == "--format" && hasValue)
      options.format = args[++i];
    else if (option == "--keep-within" && hasValue) {
      try {
        options.keepWithin = std::stoi(args[++i]);
      } catch (...) {
        options.keepWithin = 0;
      }
      if (options.keepWithin < 1 || options.keepWithin > kMaxKeepWithinSeconds) {
        err << "zentrofastctl: --keep-within wants 1 to 600 seconds\n";
        return std::nullopt;
      }
    } else {
      err << "zentrofastctl: unknown kernel option " << option << "\n" << kUsage;
      return std::nullopt;
    }
  }
  return options;
}

std::string NewestBackup(const Config& config) {
  const BackupList list = ListBackups(BackupsFolder(config));
  return list.entries.empty() ? std::string() : list.entries.back().fileName;
}

// Waits for the answer to "Keep these settings? [y/N]" until the deadline; true for yes.
bool AskToKeep(const IKernelSession& session, std::ostream& out) {
  const bool terminal = ::isatty(STDIN_FILENO);
  std::string answer;
  for (bool first = true;; first = false) {
    const auto left =
        std::chrono::duration_cast<std::chrono::seconds>(session.Deadline() - std::chrono::system_clock::now());
    if (left.count() <= 0) break;
    if (terminal || first)
      out << (terminal ? "\r" : "") << "Keep these settings? [y/N] (reverting in " << std::setw(3) << left.count()
          << " s) " << std::flush;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&input, 1, 1000);
    if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
    char c = 0;
    if (ready < 0 || ::read(STDIN_FILENO, &c, 1) != 1 || c == '\n') break;
    answer += c;
  }
  out << "\n";
  return answer == "y" || answer == "Y" || answer == "yes";
}

KernelBridge MakeBridge(CliContext& context, IRegistry& registry) {
  return KernelBridge(
      {registry, DetectOSFamily(context.config.osVersion), ThisMachine(), kLedgerPath, HelperCommandLine()});
}

int RunPlan(CliContext& context, IRegistry& registry, const KernelOptions& options) {
  auto plan = MakeBridge(context, registry).Plan();
  if (!plan) {
    context.err << "zentrofastctl: " << plan.error() << "\n";
    return kExitFailed;
  }
  PrintPlan(plan.value(), context.out);
  return options.check && plan->ChangesAnything() ? kExitReverted : kExitOk;
}

int Conclude(IKernelSession& session, CliContext& context, const KernelOptions& options) {
  const bool keep = options.yes || AskToKeep(session, context.out);
  if (keep) {
    auto kept = session.Keep();
    if (kept) {
      context.out << "Kept: " << kept.value() << "\n";
      return kExitOk;
    }
    context.err << "zentrofastctl: not kept: " << kept.error() << "\n";
    return kExitReverted;
  }
  auto reverted = session.Revert();
  context.out << "Reverted: " << (reverted ? session.Message() : reverted.error()) << "\n";
  return kExitReverted;
}

int RunApply(CliContext& context, IRegistry& registry, const KernelOptions& options) {
  KernelBridge bridge = MakeBridge(context, registry);
  auto plan = bridge.Plan();
  if (!plan) {
    context.err << "zentrofastctl: " << plan.error() << "\n";
    return kExitFailed;
  }
  PrintPlan(plan.value(), context.out);
  if (!plan->ChangesAnything() && plan->desired.empty()) {
    context.out << "Nothing to apply.\n";
    return kExitOk;
  }
  if (plan->NeedsIpv6Acceptance() && !options.allowIpv6Loss) {
    context.err << "zentrofastctl: an MTU below 1280 removes IPv6 addresses; nothing was changed "
                   "(accept it with --allow-ipv6-loss)\n";
    return kExitFailed;
  }
  auto session = bridge.Apply(plan.value(), {options.keepWithin, options.allowIpv6Loss, NewestBackup(context.config)});
  while (session->Poll(1000) == SessionState::Starting) {
  }
  for (const auto& note : session->Notes()) context.out << "note: " << note << "\n";
  if (session->State() != SessionState::Applied) {
    context.err << "zentrofastctl: " << session->Message() << "\n";
    return kExitFailed;
  }
  return Conclude(*session, context, options);
}

int RunStatus(CliContext& context, IRegistry& registry) {
  auto status = MakeBridge(context, registry).Status();
  if (!status) {
    context.err << "zentrofastctl: " << status.error() << "\n";
    return kExitFailed;
  }
  PrintStatus(status.value(), context.out);
  return kExitOk;
}

int RunRevert(CliContext& context, IRegistry& registry) {
  auto reverted = MakeBridge(context, registry).Revert();
  if (!reverted) {
    context.err << "zentrofastctl: " << reverted.error() << "\n";
    return kExitFailed;
  }
  context.out << reverted.value() << "\n";
  return kExitOk;
}

int RunExport(CliContext& context, IRegistry& registry, const KernelOptions& options) {
  auto plan = MakeBridge(context, registry).Plan();
  if (!plan) {
    context.err << "zentrofastctl: " << plan.error() << "\n";
    return kExitFailed;
  }
  auto text = ExportDesiredState(plan->desired, ThisMachine().Links(), options.format);
  if (!text) {
    context.err << "zentrofastctl: " << text.error() << "\n" << kUsage;
    return kExitUsage;
  }
  context.out << text.value();
  return kExitOk;
}

}  // namespace

int RunKernelCommand(CliContext& context, const Args& args) {
  const auto options = args.empty() ? std::nullopt : ParseOptions(args, context.err);
  if (!options) {
    if (args.empty()) context.err << kUsage;
    return kExitUsage;
  }
  const std::string& command = args[0];
  if (command != "plan" && command != "apply" && command != "status" && command != "revert" && command != "export") {
    context.err << "zentrofastctl: unknown kernel command \"" << command << "\"\n" << kUsage;
    return kExitUsage;
  }
  IRegistry* registry = context.Registry();
  if (!registry) return kExitFailed;
  if (command == "plan") return RunPlan(context, *registry, *options);
  if (command == "apply") return RunApply(context, *registry, *options);
  if (command == "status") return RunStatus(context, *registry);
  if (command == "revert") return RunRevert(context, *registry);
  return RunExport(context, *registry, *options);
}

}  // namespace zf::cli
