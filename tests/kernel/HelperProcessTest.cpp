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

// A stand-in for pkexec that ends as pkexec does, saying on its standard error what pkexec says.
std::string FakePkexec(const test::TempDir& dir, int status, const std::string& said = "") {
  const std::string path = (dir / "pkexec").string();
  std::string quoted;
  for (char c : said) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  std::ofstream(path) << "#!/bin/sh\nprintf '%s' '" << quoted << "' >&2\nexit " << status << "\n";
  ::chmod(path.c_str(), 0755);
  return path;
}

HelperRequest AnyApply() {
  HelperRequest request;
  request.settings = {{"net/ipv4/ip_default_ttl", "64"}};
  request.planHash = "0123456789abcdef";
  return request;
}

// pkexec ends with 127 for each of these; only its standard error tells them apart.
TEST(HelperProcessTest, EachCauseOfPkexecs127HasItsKindAndWords) {
  const std::string helper = "/usr/libexec/zentrofast/zentrofast-kernel-helper";
  const struct {
    std::string said;
    ErrorKind kind;
    std::string words;
    bool fromATerminal;
  } cases[] = {
      {"Error executing command as another user: No authentication agent found.\n", ErrorKind::NoAuthenticationAgent,
       "no polkit authentication agent answered", true},
      {"Error creating textual authentication agent: Error opening current controlling terminal for the process "
       "(`/dev/tty'): No such device or address\n",
       ErrorKind::NoAuthenticationAgent, "no polkit authentication agent answered", true},
      {"Error accessing " + helper + ": No such file or directory\n", ErrorKind::HelperNotInstalled,
       "the kernel helper is not installed at", false},
      {"Error getting authority: Error initializing authority: Could not connect: No such file or directory\n",
       ErrorKind::PolkitUnavailable, "polkit does not answer", true},
      {"Error checking for authorization org.zentrofast.kernel.apply: GDBus.Error:org.freedesktop.DBus.Error."
       "ServiceUnknown: The name is not activatable\n",
       ErrorKind::PolkitUnavailable, "polkit does not answer", true},
      {"Error executing command as another user: Not authorized\n\nThis incident has been reported.\n",
       ErrorKind::PolkitRuleRefused, "a polkit rule does not allow this user", true},
      {"Refusing to render service to dead parents.\n", ErrorKind::Failed,
       "pkexec could not start the kernel helper (Refusing to render service to dead parents.)", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    test::TempDir dir;
    HelperSession session({FakePkexec(dir, 127, c.said), helper}, AnyApply());
    EXPECT_EQ(session.Poll(10000), SessionState::Failed);
    EXPECT_EQ(session.FailureKind(), c.kind) << session.Message();
    EXPECT_NE(session.Message().find(c.words), std::string::npos) << session.Message();
    EXPECT_EQ(session.Message().find("sudo zentrofastctl kernel apply") != std::string::npos, c.fromATerminal)
        << session.Message();
  }
  test::TempDir dir;
  HelperRequest revert;
  revert.kind = RequestKind::Revert;
  const auto reverted = RunHelperRequest({FakePkexec(dir, 127, cases[0].said), helper}, revert);
  ASSERT_FALSE(reverted.has_value());
  EXPECT_EQ(reverted.error().kind, ErrorKind::NoAuthenticationAgent);
  EXPECT_NE(reverted.error().text.find("sudo zentrofastctl kernel revert"), std::string::npos) << reverted.error().text;
}

TEST(HelperProcessTest, WithoutPkexecItSaysHowToDoItFromATerminal) {
  test::TempDir dir;
  HelperSession session({(dir / "pkexec").string(), "/usr/libexec/zentrofast/zentrofast-kernel-helper"}, AnyApply());
  EXPECT_EQ(session.Poll(1000), SessionState::Failed);
  EXPECT_EQ(session.FailureKind(), ErrorKind::NoPkexec) << session.Message();
  EXPECT_NE(session.Message().find("pkexec (the Debian package \"pkexec\") is not installed"), std::string::npos)
      << session.Message();
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
  // The configured prefix decides the rest (install_prefix_test.sh checks it against the install).
  EXPECT_TRUE(InstalledHelperPath().starts_with('/')) << InstalledHelperPath();
  EXPECT_TRUE(InstalledHelperPath().ends_with("/libexec/zentrofast/zentrofast-kernel-helper")) << InstalledHelperPath();
}

}  // namespace
}  // namespace zf::kernel
