#pragma once
// What every zentrofastctl command gets: the configuration, the output streams and the store.
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Config.h"
#include "platform/icmp.h"
#include "platform/memory.h"
#include "platform/registry.h"

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

  // Opens the registry store on first use; null after printing the reason to err.
  IRegistry* Registry();

 private:
  std::unique_ptr<IRegistry> m_registry;
};

using Args = std::vector<std::string>;

// Each command group lives in its own file; args start after the command word.
int RunRegCommand(CliContext& context, const Args& args);
int RunProfilesCommand(CliContext& context, const Args& args);
int RunApplyCommand(CliContext& context, const Args& args);
int RunBackupCommand(CliContext& context, const Args& args);
int RunPingCommand(CliContext& context, const Args& args);
int RunMemCommand(CliContext& context, const Args& args);
int RunCpuCommand(CliContext& context, const Args& args);
int RunFreeMemoryCommand(CliContext& context, const Args& args);
int RunKernelCommand(CliContext& context, const Args& args);

// Runs one command line (without the program name); the tool's main and the tests use it.
int RunCli(const Args& argv, CliPlatform platform, std::ostream& out, std::ostream& err);

}  // namespace zf::cli
