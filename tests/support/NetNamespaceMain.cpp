// SPDX-License-Identifier: GPL-3.0-or-later
// main() of the test programs that run in a network namespace of their own.
#include <gtest/gtest.h>

#include "support/NetNamespace.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  zf::test::SetNetworkNamespaceProblem(zf::test::EnterOwnNetworkNamespace());
  return RUN_ALL_TESTS();
}
