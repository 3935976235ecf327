// SPDX-License-Identifier: GPL-3.0-or-later
// Starting the helper: pkexec's own failures become clear messages, and the pipes never leak
// into programs started later.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "kernel/HelperSession.h"
#include "support/TempDir.h"

namespace zf::kernel {
namespace {

// A stand-in for pkexec that ends as pkexec does without an agent or without authorisation.
std::string FakePkexec(const test::TempDir& dir, int status) {
  const std::string path = (dir / "pkexec").string();
  std::ofstream(path) << "#!/bin/sh\nexit " << status << "\n";
  ::chmod(path.c_str(), 0755);
  return path;
}

HelperRequest AnyApply() {
  HelperRequest request;
  request.settings = {{"net/ipv4/ip_default_ttl", "64"}};
  request.planHash = "0123456789abcdef";
  return request;
}

TEST(HelperProcessTest, NoAuthenticationAgentSaysHowToDoItFromATerminal) {
  test::TempDir dir;
  HelperSession session({FakePkexec(dir, 127), "/usr/libexec/zentrofast/zentrofast-kernel-helper"}, AnyApply());
  EXPECT_EQ(session.Poll(10000), SessionState::Failed);
  EXPECT_EQ(session.FailureKind(), ErrorKind::NoAuthenticationAgent) << session.Message();
  EXPECT_NE(session.Message().find("sudo zentrofastctl kernel apply"), std::string::npos) << session.Message();
}

TEST(HelperProcessTest, RefusedAuthorisationChangesNothingAndSaysSo) {
  test::TempDir dir;
  HelperSession session({FakePkexec(dir, 126), "/usr/libexec/zentrofast/zentrofast-kernel-helper"}, AnyApply());
  EXPECT_EQ(session.Poll(10000), SessionState::Failed);
  EXPECT_EQ(session.FailureKind(), ErrorKind::AuthorisationRefused) << session.Message();
  EXPECT_NE(session.Message().find("nothing was changed"), std::string::npos) << session.Message();
  EXPECT_FALSE(session.Keep().has_value());
}

TEST(HelperProcessTest, AMissingHelperIsAFailureNotACrash) {
  HelperSession session({"/nonexistent/zentrofast-kernel-helper"}, AnyApply());
  EXPECT_EQ(session.Poll(1000), SessionState::Failed);
  EXPECT_NE(session.Message().find("cannot start"), std::string::npos) << session.Message();
}

TEST(HelperProcessTest, ThePipesAreCloseOnExec) {
  HelperProcess process;
  ASSERT_TRUE(process.Start({"/bin/cat"}).has_value());
  const int fd = process.OutputFd();
  EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
  // A program started afterwards must not hold the helper's pipe.
  const std::string check = "test ! -e /proc/$$/fd/" + std::to_string(fd);
  EXPECT_EQ(::system(check.c_str()), 0);
  EXPECT_EQ(process.Finish(), 0) << "cat ends when its input is closed";
}

TEST(HelperProcessTest, RootStartsTheHelperDirectlyOthersThroughPkexec) {
  const auto command = HelperCommandLine();
  if (::geteuid() == 0) {
    ASSERT_EQ(command.size(), 1u);
    EXPECT_TRUE(command[0].ends_with("/zentrofast-kernel-helper"));
  } else {
    EXPECT_EQ(command, (std::vector<std::string>{"/usr/bin/pkexec", InstalledHelperPath()}));
  }
  EXPECT_EQ(InstalledHelperPath(), "/usr/libexec/zentrofast/zentrofast-kernel-helper");
}

}  // namespace
}  // namespace zf::kernel
