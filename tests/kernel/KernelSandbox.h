// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every helper test shares: the sandbox state, a fresh machine per test, the helper's path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/LiveSystem.h"

namespace zf::test {

const std::string& KernelSandboxProblem();
void SetKernelSandboxProblem(std::string problem);

std::vector<std::string> HelperCommand();
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
const kernel::ILiveSystem& SandboxLive();

class KernelSandboxTest : public ::testing::Test {
 protected:
  void SetUp() override;
};

}  // namespace zf::test
