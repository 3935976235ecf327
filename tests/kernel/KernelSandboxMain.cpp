// SPDX-License-Identifier: GPL-3.0-or-later
// main() of the tests that run the kernel helper for real: all of them inside namespaces of their
// own, and the host's values and files compared before and after.
#include <gtest/gtest.h>

#include <iostream>

#include "kernel/KernelSandbox.h"
#include "support/KernelNamespace.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const std::string before = zf::test::HostKernelSnapshot();
  zf::test::SetKernelSandboxProblem(zf::test::EnterKernelSandbox());
  const bool sandboxed = zf::test::KernelSandboxProblem().empty();
  const int status = RUN_ALL_TESTS();
  if (!sandboxed) return status;
  const std::string after = zf::test::HostSnapshotAfterSandbox();
  if (after != before) {
    std::cerr << "THE HOST CHANGED\nbefore:\n" << before << "\nafter:\n" << after;
    return 1;
  }
  std::cout << "The host's sysctls, MTUs and helper folders are unchanged.\n";
  return status;
}
