#include <chrono>
#include <iomanip>
#include <limits>
#include <ostream>
#include <thread>

#include "cli/CliContext.h"
#include "memory/FreeRAM.h"
#include "memory/Rounding.h"
#include "memory/clsCPUUsageNT.h"
#include "platform/headless.h"

namespace zf::cli {
namespace {

constexpr std::int64_t kDefaultCpuIntervalMs = 1000;
constexpr std::int64_t kMaxCpuIntervalMs = 3'600'000;

void PrintBytes(std::ostream& out, const char* label, std::int64_t bytes) {
  out << std::left << std::setw(16) << label << bytes << " bytes (" << BytesToMB(bytes) << " MB)\n";
}

int Usage(CliContext& context, const std::string& message) {
  context.err << "zentrofastctl: " << message << "\n";
  return kExitUsage;
}

}  // namespace

int RunMemCommand(CliContext& context, const Args& args) {
  if (!args.empty()) return Usage(context, "mem takes no arguments");
  ISystemInfo& info = context.platform.systemInfo;
  MemoryStatus check;
  if (!info.ReadMemoryStatus(&check)) {
    context.err << "zentrofastctl: cannot read the memory figures from /proc/meminfo\n";
    return kExitFailed;
  }
  HeadlessDesktop desktop;
  FreeRAM ram(info, desktop, desktop);
  context.out << std::left << std::setw(16) << "Memory load:" << ram.GetMemoryLoad() << " %\n";
  PrintBytes(context.out, "Total physical:", ram.GetTotalPhysical());
  PrintBytes(context.out, "Free physical:", ram.GetFreePhysical());
  PrintBytes(context.out, "Total virtual:", ram.GetTotalVirtual());
  PrintBytes(context.out, "Free virtual:", ram.GetFreeVirtual());
  return kExitOk;
}

int RunCpuCommand(CliContext& context, const Args& args) {
  std::int64_t interval = kDefaultCpuIntervalMs;
  if (args.size() == 2 && args[0] == "--interval") {
    const auto parsed = ParseWholeNumberIn(args[1], 1, kMaxCpuIntervalMs);
    if (!parsed || args[1].find_first_not_of("0123456789") != std::string::npos)
      return Usage(context, "--interval wants whole milliseconds from 1 to 3600000, not \"" + args[1] + "\"");
    interval = *parsed;
  } else if (!args.empty()) {
    return Usage(context, "usage: cpu [--interval MS]");
  }
  ISystemInfo& info = context.platform.systemInfo;
  clsCPUUsageNT probe(info);
  probe.Initialize();
  std::this_thread::sleep_for(std::chrono::milliseconds(interval));
  const std::int32_t usage = probe.Query();
  if (usage < 0) {
    context.err << "zentrofastctl: cannot read the processor times from /proc/stat\n";
    return kExitFailed;
  }
  context.out << "Processor usage: " << usage << " % over " << interval << " ms\n";
  return kExitOk;
}

int RunFreeMemoryCommand(CliContext& context, const Args& args) {
  constexpr std::int64_t kMaxMB = std::numeric_limits<std::int64_t>::max() / kBytesPerMB;
  const auto megabytes = args.size() == 1 && args[0].find_first_not_of("0123456789") == std::string::npos
                             ? ParseWholeNumberIn(args[0], 0, kMaxMB)
                             : std::nullopt;
  if (!megabytes) return Usage(context, "usage: free-memory MB (a whole number of megabytes)");
  ISystemInfo& info = context.platform.systemInfo;
  HeadlessDesktop desktop;
  FreeRAM ram(info, desktop, desktop);
  const std::int64_t asked = *megabytes * kBytesPerMB;
  const auto allocated = ram.FreeUpMemory(asked);
  if (!allocated) {
    context.err << "zentrofastctl: the system supplied neither " << asked << " characters nor half of them\n";
    return kExitFailed;
  }
  context.out << "Allocated and wrote " << *allocated << " characters (" << 2 * *allocated << " bytes, "
              << BytesToMB(2 * *allocated) << " MB), then gave them back.\n";
  if (*allocated < asked)
    context.out << "Asked for " << asked << " characters: a block never takes more than the memory available now, "
                << "less a safety margin.\n";
  return kExitOk;
}

}  // namespace zf::cli
