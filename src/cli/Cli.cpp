#include <iostream>
#include <map>
#include <ostream>

#include "cli/CliContext.h"

namespace zf::cli {
namespace {

constexpr const char* kUsage =
    "usage: zentrofastctl [--home DIR] [--registry FILE] [--os-version P.MAJ.MIN] COMMAND\n"
    "  reg query KEY [--value NAME | --default]\n"
    "  reg add KEY [--value NAME | --default] --type REG_SZ|REG_DWORD --data DATA\n"
    "  reg delete KEY [--value NAME | --default]\n"
    "  reg export KEY FILE | reg import FILE\n"
    "  profiles\n"
    "  apply (--profile N | --connection-type T) [--set FIELD=VALUE ...]\n"
    "  backup list | backup restore NAME.BCK | backup delete NAME.BCK\n"
    "  ping HOST [--timeout MS]\n"
    "  mem | cpu [--interval MS] | free-memory MB\n"
    "  kernel plan [--check] | kernel apply [--keep-within S] [--yes] [--allow-ipv6-loss]\n"
    "  kernel status | kernel revert | kernel export --format sysctl|tuned|networkd\n";

using CommandFn = int (*)(CliContext&, const Args&);

const std::map<std::string, CommandFn>& Commands() {
  static const std::map<std::string, CommandFn> commands{
      {"reg", RunRegCommand},   {"profiles", RunProfilesCommand}, {"apply", RunApplyCommand},
      {"backup", RunBackupCommand}, {"ping", RunPingCommand},     {"mem", RunMemCommand},
      {"cpu", RunCpuCommand},   {"free-memory", RunFreeMemoryCommand}, {"kernel", RunKernelCommand},
  };
  return commands;
}

}  // namespace

int RunCli(const Args& argv, CliPlatform platform, std::ostream& out, std::ostream& err) {
  CliContext context{LoadConfig(), platform, out, err};
  std::size_t i = 0;
  for (; i < argv.size() && argv[i].starts_with("--"); i += 2) {
    const std::string& option = argv[i];
    if (option == "--help") {
      out << kUsage;
      return kExitOk;
    }
    if (i + 1 >= argv.size()) {
      err << "zentrofastctl: " << option << " needs a value\n" << kUsage;
      return kExitUsage;
    }
    const std::string& value = argv[i + 1];
    if (option == "--home") {
      context.config.programFolder = value;
      context.config.installed = false;
    } else if (option == "--registry") {
      context.config.registryFile = value;
    } else if (option == "--os-version") {
      auto version = ParseOSVersion(value);
      if (!version) {
        err << "zentrofastctl: --os-version wants PLATFORM.MAJOR.MINOR, not \"" << value << "\"\n";
        return kExitUsage;
      }
      context.config.osVersion = *version;
      context.config.warning.clear();
    } else {
      err << "zentrofastctl: unknown option " << option << "\n" << kUsage;
      return kExitUsage;
    }
  }
  if (i >= argv.size()) {
    err << kUsage;
    return kExitUsage;
  }
  auto command = Commands().find(argv[i]);
  if (command == Commands().end()) {
    err << "zentrofastctl: unknown command \"" << argv[i] << "\"\n" << kUsage;
    return kExitUsage;
  }
  if (!context.config.warning.empty()) err << "zentrofastctl: " << context.config.warning << "\n";
  return command->second(context, Args(argv.begin() + static_cast<long>(i) + 1, argv.end()));
}

}  // namespace zf::cli
