// SPDX-License-Identifier: GPL-3.0-or-later
// zentrofastctl ping, run in this program's own network namespace.
#include <gtest/gtest.h>

#include <sstream>

#include "LinuxCliPlatform.h"
#include "cli/CliContext.h"
#include "support/NetNamespace.h"

namespace zf::cli {
namespace {

struct CtlRun {
  int status;
  std::string out;
  std::string err;
};

CtlRun Ctl(const Args& args) {
  std::ostringstream out;
  std::ostringstream err;
  test::LinuxCliPlatform platform;
  const int status = RunCli(args, platform.Services(), out, err);
  return {status, out.str(), err.str()};
}

class PingCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ZF_REQUIRE_OWN_NETWORK_NAMESPACE(); }
};

TEST_F(PingCommandTest, GoodReplyPrintsTheRoundTripAndSucceeds) {
  const CtlRun run = Ctl({"ping", "127.0.0.1"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_TRUE(run.out.starts_with("Reply from 127.0.0.1: bytes=9 time")) << run.out;
  const CtlRun byName = Ctl({"ping", "--timeout", "2000", "localhost"});
  EXPECT_EQ(byName.status, kExitOk) << byName.err;
  EXPECT_TRUE(byName.out.starts_with("Reply from localhost [127.")) << byName.out;
}

TEST_F(PingCommandTest, NoReplyWithinTheTimeoutFails) {
  test::ScopedNetSetting silent("ipv4/icmp_echo_ignore_all", "1");
  ASSERT_TRUE(silent.ok());
  const CtlRun run = Ctl({"ping", "127.0.0.1", "--timeout", "200"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "zentrofastctl: no reply from 127.0.0.1 within 200 ms\n");
}

TEST_F(PingCommandTest, UnknownNameAndBadAddressSayWhatFailed) {
  const CtlRun name = Ctl({"ping", "no-such-host.invalid"});
  EXPECT_EQ(name.status, kExitFailed);
  EXPECT_NE(name.err.find("cannot resolve the host name \"no-such-host.invalid\""), std::string::npos) << name.err;
  const CtlRun address = Ctl({"ping", "1.2.3.4.5"});
  EXPECT_EQ(address.status, kExitFailed);
  EXPECT_NE(address.err.find("not a usable IPv4 address"), std::string::npos) << address.err;
}

TEST_F(PingCommandTest, NoPermissionToSendExplainsHowToAllowIt) {
  test::ScopedFreshNetworkNamespace noDatagrams;
  test::ScopedNoRawSockets noRaw;
  ASSERT_TRUE(noDatagrams.ok() && noRaw.ok());
  const CtlRun run = Ctl({"ping", "127.0.0.1"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("net.ipv4.ping_group_range"), std::string::npos) << run.err;
  // Never the advice to give a program a capability: the desktop program must not carry one.
  EXPECT_EQ(run.err.find("setcap"), std::string::npos) << run.err;
}

TEST(PingCommandUsage, MissingHostOrBadTimeoutIsAUsageError) {
  for (const Args& args : {Args{"ping"}, Args{"ping", "  "}, Args{"ping", "127.0.0.1", "--timeout"},
                           Args{"ping", "127.0.0.1", "--timeout", "0"}, Args{"ping", "127.0.0.1", "--timeout", "5s"},
                           Args{"ping", "127.0.0.1", "127.0.0.2"}, Args{"ping", "127.0.0.1", "--count", "3"}}) {
    const CtlRun run = Ctl(args);
    EXPECT_EQ(run.status, kExitUsage) << args.size();
    EXPECT_FALSE(run.err.empty());
  }
}

}  // namespace
}  // namespace zf::cli
