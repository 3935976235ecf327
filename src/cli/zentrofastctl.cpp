// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tool: chooses the Linux services, then runs the command line.
#include <iostream>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "core/Config.h"
#include "platform/linux/LinuxIcmp.h"
#include "platform/linux/LinuxSystemInfo.h"
#include "platform/linux/PingProgramClient.h"

int main(int argc, char** argv) {
  zf::cli::UseMessageLanguage(zf::ExecutableFolder());
  const zf::cli::Args args(argv + 1, argv + argc);
  zf::LinuxSystemInfo systemInfo;
  // This tool never carries a capability: libraries it links read the environment before main()
  // runs. Where it may open no ICMP socket itself, the ping program sends the echo requests.
  zf::LinuxIcmp icmp(
      zf::IcmpOptions{zf::IcmpSocketKinds::DatagramThenRaw, -1, zf::PingProgramFor(zf::ExecutableFolder())});
  return zf::cli::RunCli(args, {systemInfo, icmp}, std::cout, std::cerr);
}
