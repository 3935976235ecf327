// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tool: chooses the Linux services, then runs the command line.
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <iostream>
#include <string_view>

#include "cli/CliContext.h"
#include "platform/linux/Capabilities.h"
#include "platform/linux/LinuxIcmp.h"
#include "platform/linux/LinuxSystemInfo.h"

int main(int argc, char** argv) {
  const zf::cli::Args args(argv + 1, argv + argc);
  // Where the package gives this tool cap_net_raw, it serves one raw socket for ping and nothing
  // else: the socket is opened first, then every capability goes before anything reads the input.
  // (New privileges stay possible: a command may start a privileged helper through pkexec.)
  const bool pings = std::find(args.begin(), args.end(), std::string_view("ping")) != args.end();
  const int rawIcmpSocket = pings ? ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMP) : -1;
  if (!zf::DropAllCapabilities()) {
    std::cerr << "zentrofastctl: cannot give up the privileges it was started with\n";
    return zf::cli::kExitFailed;
  }
  zf::LinuxSystemInfo systemInfo;
  zf::LinuxIcmp icmp(zf::IcmpOptions{zf::IcmpSocketKinds::DatagramThenRaw, rawIcmpSocket, {}});
  return zf::cli::RunCli(args, {systemInfo, icmp}, std::cout, std::cerr);
}
