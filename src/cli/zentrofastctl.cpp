// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tool: chooses the Linux services, then runs the command line.
#include <fcntl.h>

#include <iostream>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "core/Config.h"
#include "platform/linux/LinuxIcmp.h"
#include "platform/linux/LinuxSystemInfo.h"
#include "platform/linux/PingProgramClient.h"

namespace {

// Started with standard input, output or error closed, the next file the tool opens (an export,
// the ledger) would take that descriptor and receive the tool's messages. /dev/null opened for
// reading fills the gap: input reads as empty, and output still fails as on a closed descriptor.
void HoldClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) continue;
    const int opened = ::open("/dev/null", O_RDONLY);
    if (opened != fd && opened >= 0) ::close(opened);
  }
}

}  // namespace

int main(int argc, char** argv) {
  HoldClosedStandardDescriptors();
  zf::cli::UseMessageLanguage(zf::ExecutableFolder());
  const zf::cli::Args args(argv + 1, argv + argc);
  zf::LinuxSystemInfo systemInfo;
  // This tool never carries a capability: libraries it links read the environment before main()
  // runs. Where it may open no ICMP socket itself, the ping program sends the echo requests.
  zf::LinuxIcmp icmp(
      zf::IcmpOptions{zf::IcmpSocketKinds::DatagramThenRaw, -1, zf::PingProgramFor(zf::ExecutableFolder())});
  const int status = zf::cli::RunCli(args, {systemInfo, icmp}, std::cout, std::cerr);
  // Output that never arrived (a full disk, a closed descriptor) fails the command, whatever it
  // made of its own work: a script must not take a half-written answer for a whole one.
  if (std::cout.flush() || status != zf::cli::kExitOk) return status;
  std::cerr << "zentrofastctl: cannot write to standard output\n";
  return zf::cli::kExitFailed;
}
