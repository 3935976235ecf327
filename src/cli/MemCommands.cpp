// SPDX-License-Identifier: GPL-3.0-or-later
#include <CLI/CLI.hpp>
#include <chrono>
#include <iomanip>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <thread>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "cli/JsonOutput.h"
#include "core/WholeNumber.h"
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

int RunMem(CliContext& context, bool json) {
  ISystemInfo& info = context.platform.systemInfo;
  MemoryStatus check;
  if (!info.ReadMemoryStatus(&check)) {
    context.err << "zentrofastctl: " << Say("cannot read the memory figures from /proc/meminfo") << "\n";
    return kExitFailed;
  }
  HeadlessDesktop desktop;
  FreeRAM ram(info, desktop, desktop);
  if (json) {
    PrintJson(context.out, JsonObject{{"memory_load_percent", ram.GetMemoryLoad()},
                                      {"total_physical_bytes", ram.GetTotalPhysical()},
                                      {"free_physical_bytes", ram.GetFreePhysical()},
                                      {"total_virtual_bytes", ram.GetTotalVirtual()},
                                      {"free_virtual_bytes", ram.GetFreeVirtual()}});
    return kExitOk;
  }
  context.out << std::left << std::setw(16) << "Memory load:" << ram.GetMemoryLoad() << " %\n";
  PrintBytes(context.out, "Total physical:", ram.GetTotalPhysical());
  PrintBytes(context.out, "Free physical:", ram.GetFreePhysical());
  PrintBytes(context.out, "Total virtual:", ram.GetTotalVirtual());
  PrintBytes(context.out, "Free virtual:", ram.GetFreeVirtual());
  return kExitOk;
}

int RunCpu(CliContext& context, const std::optional<std::string>& intervalText, bool json) {
  std::int64_t interval = kDefaultCpuIntervalMs;
  if (intervalText) {
    const auto parsed = ParseWholeNumber(*intervalText, WholeNumberForm::Digits, 1, kMaxCpuIntervalMs);
    if (!parsed)
      return context.UsageError(
          Say("--interval wants whole milliseconds from 1 to 3600000, not \"%1\"", *intervalText));
    interval = *parsed;
  }
  ISystemInfo& info = context.platform.systemInfo;
  clsCPUUsageNT probe(info);
  probe.Initialize();
  std::this_thread::sleep_for(std::chrono::milliseconds(interval));
  const std::int32_t usage = probe.Query();
  if (usage < 0) {
    context.err << "zentrofastctl: " << Say("cannot read the processor times from /proc/stat") << "\n";
    return kExitFailed;
  }
  if (json)
    PrintJson(context.out, JsonObject{{"usage_percent", usage}, {"interval_ms", interval}});
  else
    context.out << "Processor usage: " << usage << " % over " << interval << " ms\n";
  return kExitOk;
}

int RunFreeMemory(CliContext& context, const std::string& text) {
  constexpr std::int64_t kMaxMB = std::numeric_limits<std::int64_t>::max() / kBytesPerMB;
  const auto megabytes = ParseWholeNumber(text, WholeNumberForm::Digits, 0, kMaxMB);
  if (!megabytes) return context.UsageError(Say("free-memory wants MB, a whole number of megabytes, not \"%1\"", text));
  ISystemInfo& info = context.platform.systemInfo;
  HeadlessDesktop desktop;
  FreeRAM ram(info, desktop, desktop);
  const std::int64_t asked = *megabytes * kBytesPerMB;
  const auto allocated = ram.FreeUpMemory(asked);
  if (!allocated) {
    context.err << "zentrofastctl: " << Say("the system supplied neither %1 characters nor half of them", asked)
                << "\n";
    return kExitFailed;
  }
  context.out << Say("Allocated and wrote %1 characters (%2 bytes, %3 MB), then gave them back.", *allocated,
                     2 * *allocated, BytesToMB(2 * *allocated))
              << "\n";
  if (*allocated < asked)
    context.out << Say("Asked for %1 characters: a block never takes more than the memory available now, less a "
                       "safety margin.",
                       asked)
                << "\n";
  return kExitOk;
}

}  // namespace

void AddMemCommands(CLI::App& app, CommandTable& table) {
  CLI::App* mem = app.add_subcommand("mem", Say("Show the memory load and the physical and virtual memory figures"));
  mem->allow_extras();
  auto memJson = std::make_shared<bool>(false);
  mem->add_flag("--json", *memJson, Say("Print the figures as one JSON object (docs/JSON.md)"));
  table[mem] = [memJson](CliContext& context) { return RunMem(context, *memJson); };

  auto interval = std::make_shared<std::optional<std::string>>();
  auto cpuJson = std::make_shared<bool>(false);
  CLI::App* cpu = app.add_subcommand("cpu", Say("Measure the processor usage over an interval"));
  cpu->allow_extras();
  cpu->add_option("--interval", *interval, Say("How long to measure (default 1000)"))->type_name("MS");
  cpu->add_flag("--json", *cpuJson, Say("Print the usage as one JSON object (docs/JSON.md)"));
  table[cpu] = [interval, cpuJson](CliContext& context) { return RunCpu(context, *interval, *cpuJson); };

  auto megabytes = std::make_shared<std::string>();
  CLI::App* freeMemory =
      app.add_subcommand("free-memory", Say("Free memory the way the RAM booster does: allocate, write and give back"));
  freeMemory->allow_extras();
  freeMemory->add_option("MB", *megabytes, Say("How many megabytes"))->required();
  table[freeMemory] = [megabytes](CliContext& context) { return RunFreeMemory(context, *megabytes); };
}

}  // namespace zf::cli
