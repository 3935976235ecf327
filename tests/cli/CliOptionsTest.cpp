// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line conventions: --help and --version on stdout, help for every command, unknown
// options and commands refused with status 2.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "CliRunner.h"

namespace zf {
namespace {

using test::CliResult;
using Args = std::vector<std::string>;

const std::vector<Args> kCommands{
    {"reg"},
    {"reg", "query"},
    {"reg", "add"},
    {"reg", "delete"},
    {"reg", "export"},
    {"reg", "import"},
    {"profiles"},
    {"apply"},
    {"backup"},
    {"backup", "list"},
    {"backup", "restore"},
    {"backup", "delete"},
    {"ping"},
    {"mem"},
    {"cpu"},
    {"free-memory"},
    {"kernel"},
    {"kernel", "plan"},
    {"kernel", "apply"},
    {"kernel", "status"},
    {"kernel", "revert"},
    {"kernel", "export"},
};

std::string Joined(const Args& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

TEST(CliOptions, HelpAndVersionGoToStdoutWithStatus0) {
  test::CliRunner cli;
  const std::string version = "zentrofastctl " + std::to_string(ZENTROFAST_VERSION_MAJOR) + "." +
                              std::to_string(ZENTROFAST_VERSION_MINOR) + ".0." +
                              std::to_string(ZENTROFAST_VERSION_REVISION) + "\n";
  for (const auto& run : {cli.Run({"--version"}), cli.RunProgram({"--version"})}) {
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, version);
    EXPECT_EQ(run.err, "");
  }
  for (const auto& run : {cli.Run({"--help"}), cli.RunProgram({"--help"}), cli.RunProgram({"-h"})}) {
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("Usage: zentrofastctl [OPTIONS]"), std::string::npos) << run.out;
    for (const Args& command : kCommands) {
      if (command.size() == 1) {
        EXPECT_NE(run.out.find("\n  " + command[0] + " "), std::string::npos) << command[0];
      }
    }
  }
  EXPECT_FALSE(std::filesystem::exists(cli.Store())) << "help opened the store";
}

TEST(CliOptions, EveryCommandExplainsItself) {
  test::CliRunner cli;
  for (Args command : kCommands) {
    const std::string usage = "Usage: zentrofastctl " + Joined(command);
    command.push_back("--help");
    const CliResult run = cli.Run(command);
    EXPECT_EQ(run.exitStatus, 0) << Joined(command);
    EXPECT_NE(run.out.find(usage), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "");
  }
  // Help wins over what else is wrong on the line.
  EXPECT_EQ(cli.Run({"reg", "export", "--help"}).exitStatus, 0);
  EXPECT_NE(cli.Run({"reg", "export", "--help"}).out.find("--regedit4"), std::string::npos);
  EXPECT_NE(cli.Run({"apply", "--help"}).out.find("IcmpRedirects"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(cli.Store()));
}

TEST(CliOptions, UnknownOptionsAndCommandsSaySoWithStatus2) {
  test::CliRunner cli;
  struct Case {
    Args args;
    std::string said;
  };
  const std::vector<Case> cases{
      {{"--bogus"}, "unknown option --bogus"},
      {{"--bogus", "profiles"}, "unknown option --bogus"},
      {{"frobnicate"}, "unknown command \"frobnicate\""},
      {{"backup", "copy"}, "unknown backup subcommand \"copy\""},
      {{"reg", "import", "x.reg", "--regedit4"}, "reg import does not take --regedit4"},
      {{"mem", "--interval", "5"}, "mem does not take --interval"},
      {{}, "a command is missing"},
      {{"--home"}, "--home needs a value"},
      {{"--os-version", "2.5", "profiles"}, "--os-version wants PLATFORM.MAJOR.MINOR"},
  };
  for (const Case& c : cases) {
    for (const CliResult& run : {cli.Run(c.args), cli.RunProgram(c.args)}) {
      EXPECT_EQ(run.exitStatus, 2) << Joined(c.args);
      EXPECT_EQ(run.out, "");
      EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
      EXPECT_NE(run.err.find("--help\" for its usage"), std::string::npos) << run.err;
    }
  }
}

// After --, words that begin with a dash are operands, as getopt and every shell tool take them.
TEST(CliOptions, DoubleDashEndsTheOptions) {
  test::CliRunner cli;
  const std::string dashFile = cli.File("-dash.reg").string();
  struct Case {
    Args args;
    int exitStatus;
  };
  const std::vector<Case> cases{
      {{"reg", "add", "--", "HKCU\\T"}, 0},
      {{"reg", "query", "--", "HKCU\\T"}, 0},
      {{"reg", "query", "HKCU\\T", "--"}, 0},
      {{"reg", "query", "--value", "v", "--", "HKCU\\T"}, 1},  // the value is not there
      {{"reg", "export", "--", "HKCU\\T", dashFile}, 0},
      {{"reg", "import", "--", dashFile}, 0},
      {{"reg", "delete", "--", "HKCU\\T"}, 0},
      {{"reg", "query", "--", "--value"}, 2},  // an operand now: no hive of that name
      {{"free-memory", "--", "0"}, 0},
  };
  for (const Case& c : cases) {
    const CliResult run = cli.RunProgram(c.args);
    EXPECT_EQ(run.exitStatus, c.exitStatus) << Joined(c.args) << ": " << run.err;
    EXPECT_EQ(run.err.find("does not take --\n"), std::string::npos) << run.err;
  }
  EXPECT_TRUE(std::filesystem::exists(dashFile));
}

// A script reads the exit status: output lost on a full device is a failure, not a success.
TEST(CliOptions, OutputThatCannotBeWrittenFailsTheCommand) {
  test::CliRunner cli;
  ASSERT_EQ(cli.Run({"reg", "add", "HKCU\\T", "--value", "v", "--data", "x"}).exitStatus, 0);
  for (const Args& args : {Args{"reg", "query", "HKCU\\T", "--json"}, Args{"reg", "query", "HKCU\\T"},
                           Args{"mem", "--json"}, Args{"profiles"}, Args{"reg", "export", "HKCU\\T", "-"}}) {
    const CliResult run = cli.RunProgram(args, [] {
      const int full = ::open("/dev/full", O_WRONLY);
      if (full < 0 || ::dup2(full, 1) < 0) ::_exit(126);
    });
    EXPECT_EQ(run.exitStatus, 1) << Joined(args);
    EXPECT_NE(run.err.find("cannot write to standard output"), std::string::npos) << run.err;
  }
}

TEST(CliOptions, GlobalOptionsStillComeBeforeTheCommand) {
  test::CliRunner cli;
  test::TempDir home;
  const CliResult run = cli.Run({"--home", home.path().string(), "--os-version", "1.4.10", "backup", "list"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
}

TEST(CliOptions, DataThatBeginsWithADashGoesAfterAnEqualsSign) {
  test::CliRunner cli;
  EXPECT_EQ(cli.Run({"reg", "add", "HKCU\\T", "--value", "w", "--data=-text"}).exitStatus, 0);
  EXPECT_EQ(cli.Run({"reg", "add", "HKCU\\T", "--value", "n", "--type", "REG_DWORD", "--data", "-2"}).exitStatus, 0);
  const CliResult query = cli.Run({"reg", "query", "HKCU\\T"});
  EXPECT_NE(query.out.find("    w    REG_SZ    -text\n"), std::string::npos) << query.out;
  EXPECT_NE(query.out.find("    n    REG_DWORD    0xfffffffe\n"), std::string::npos) << query.out;
}

}  // namespace
}  // namespace zf
