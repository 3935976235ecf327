// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/KernelSandbox.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "kernel/NetlinkLinks.h"
#include "support/KernelNamespace.h"

namespace zf::test {
namespace {
std::string g_problem = "the sandbox was never entered";
}

const std::string& KernelSandboxProblem() { return g_problem; }
void SetKernelSandboxProblem(std::string problem) { g_problem = std::move(problem); }

std::vector<std::string> HelperCommand() {
  const char* bin = std::getenv("ZENTROFAST_BIN");
  return {std::string(bin ? bin : ".") + "/zentrofast-kernel-helper"};
}

std::string ReadText(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

const kernel::ILiveSystem& SandboxLive() {
  static const kernel::ProcLiveSystem live(
      "/proc/sys", [] { return kernel::ListLinks(); }, kernel::ListLinksNamed);
  return live;
}

void KernelSandboxTest::SetUp() {
  if (!g_problem.empty()) GTEST_SKIP() << "no sandbox for the kernel helper here: " << g_problem;
  const std::string problem = FreshKernelMachine();
  ASSERT_EQ(problem, "");
}

}  // namespace zf::test
