// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every zentrofastctl command gets: the configuration, the output streams and the store.
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Config.h"
#include "core/TcpSettings.h"
#include "platform/icmp.h"
#include "platform/memory.h"
#include "platform/registry.h"

namespace CLI {
class App;
}

namespace zf::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The platform services the commands use, chosen by the tool's main (tests choose their own).
struct CliPlatform {
  ISystemInfo& systemInfo;
  IIcmp& icmp;
};

struct CliContext {
  CliContext(Config configuration, CliPlatform services, std::ostream& output, std::ostream& errors)
      : config(std::move(configuration)), platform(services), out(output), err(errors) {}

  Config config;
  CliPlatform platform;
  std::ostream& out;
  std::ostream& err;

  // Prints "zentrofastctl: message" to err and returns the usage status.
  int UsageError(const std::string& message);

  // Opens the registry store on first use; null after printing the reason to err.
  IRegistry* Registry();

 private:
  std::unique_ptr<IRegistry> m_registry;
};

using Args = std::vector<std::string>;

// What runs once the command line has been read into the options bound to the command.
using CommandRun = std::function<int(CliContext&)>;
using CommandTable = std::map<const CLI::App*, CommandRun>;

// Each command group lives in its own file and adds its commands, their options and help here.
void AddRegCommands(CLI::App& app, CommandTable& table);
void AddProfilesCommand(CLI::App& app, CommandTable& table);
void AddApplyCommand(CLI::App& app, CommandTable& table);
void AddBackupCommands(CLI::App& app, CommandTable& table);
void AddPingCommand(CLI::App& app, CommandTable& table);
void AddMemCommands(CLI::App& app, CommandTable& table);
void AddKernelCommands(CLI::App& app, CommandTable& table);
void AddMeasureCommand(CLI::App& app, CommandTable& table);
void AddHistoryCommand(CLI::App& app, CommandTable& table);

// Writes a tuning record like `apply` does (a backup first) and reports it; start names where the
// values came from. The exit status.
int ApplyTuning(CliContext& context, const TcpSettings& settings, const std::string& start);

// Runs one command line (without the program name); the tool's main and the tests use it.
int RunCli(const Args& argv, CliPlatform platform, std::ostream& out, std::ostream& err);

}  // namespace zf::cli
