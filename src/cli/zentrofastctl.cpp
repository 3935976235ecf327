// The command-line tool: chooses the Linux services, then runs the command line.
#include <iostream>

#include "cli/CliContext.h"
#include "platform/linux/LinuxIcmp.h"
#include "platform/linux/LinuxSystemInfo.h"

int main(int argc, char** argv) {
  zf::LinuxSystemInfo systemInfo;
  zf::LinuxIcmp icmp;
  return zf::cli::RunCli(zf::cli::Args(argv + 1, argv + argc), {systemInfo, icmp}, std::cout, std::cerr);
}
