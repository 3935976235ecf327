// SPDX-License-Identifier: GPL-3.0-or-later
// What reg add, import and export do with names beyond the registry's limits, control
// characters, signed hex numbers, and what export does to whatever stands at its file's name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "CliRunner.h"

namespace zf {
namespace {

namespace fs = std::filesystem;
using test::CliResult;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "HKLM\T\k\k…" with depth names below T.
std::string DeepKey(int depth) {
  std::string key = "HKLM\\T";
  for (int i = 1; i < depth; ++i) key += "\\k";
  return key;
}

// This process's resident set in KiB, as ru_maxrss counts.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word)
    if (word == "VmRSS:" && status >> word) return std::stol(word);
  return 0;
}

class RegHostileInputTest : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) { return cli.Run(args); }
  bool KeyExists(const std::string& key) { return Run({"reg", "query", key}).exitStatus == 0; }
  test::CliRunner cli;
};

TEST_F(RegHostileInputTest, LineBreaksAndNulInNamesAreRefusedAndNothingIsWritten) {
  for (const std::string& key :
       {std::string("HKLM\\Bad\nKey"), std::string("HKLM\\Bad\rKey"), std::string("HKLM\\Bad\0Key", 12)}) {
    const CliResult added = Run({"reg", "add", key});
    EXPECT_EQ(added.exitStatus, 1) << key;
    EXPECT_NE(added.err.find("holds a line break or NUL"), std::string::npos) << added.err;
    EXPECT_EQ(added.err.find('\n'), added.err.size() - 1) << "the name is not echoed raw: " << added.err;
  }
  const CliResult value = Run({"reg", "add", "HKLM\\Good", "--value", "two\nlines", "--data", "x"});
  EXPECT_EQ(value.exitStatus, 1);
  EXPECT_NE(value.err.find("the value name \"two?lines\""), std::string::npos) << value.err;
  EXPECT_FALSE(KeyExists("HKLM\\Good"));
  EXPECT_FALSE(KeyExists("HKLM\\Bad"));
}

TEST_F(RegHostileInputTest, KeyNamesValueNamesAndDepthKeepTheRegistrysLimits) {
  EXPECT_EQ(Run({"reg", "add", "HKLM\\" + std::string(255, 'k')}).exitStatus, 0);
  const CliResult longKey = Run({"reg", "add", "HKLM\\" + std::string(256, 'k')});
  EXPECT_EQ(longKey.exitStatus, 1);
  EXPECT_NE(longKey.err.find("is 256 characters long; at most 255"), std::string::npos) << longKey.err;
  EXPECT_LT(longKey.err.size(), 200u) << "a long name is cut in the message";

  EXPECT_EQ(Run({"reg", "add", "HKLM\\V", "--value", std::string(16383, 'v'), "--data", "x"}).exitStatus, 0);
  const CliResult longValue = Run({"reg", "add", "HKLM\\V", "--value", std::string(16384, 'v'), "--data", "x"});
  EXPECT_EQ(longValue.exitStatus, 1);
  EXPECT_NE(longValue.err.find("at most 16383"), std::string::npos) << longValue.err.substr(0, 200);

  EXPECT_EQ(Run({"reg", "add", DeepKey(512)}).exitStatus, 0);
  const CliResult deep = Run({"reg", "add", DeepKey(513)});
  EXPECT_EQ(deep.exitStatus, 1);
  EXPECT_NE(deep.err.find("513 levels deep"), std::string::npos) << deep.err;
  EXPECT_FALSE(KeyExists(DeepKey(513)));
}

TEST_F(RegHostileInputTest, ImportRefusesNamesBeyondTheLimitsByLineAndWritesNothing) {
  const fs::path deep = cli.File("deep.reg");
  std::ofstream(deep, std::ios::binary) << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Fine]\n\"v\"=\"x\"\n\n[" << DeepKey(600)
                                        << "]\n";
  const CliResult tooDeep = Run({"reg", "import", deep.string()});
  EXPECT_EQ(tooDeep.exitStatus, 1);
  EXPECT_NE(tooDeep.err.find("line 6: the key"), std::string::npos) << tooDeep.err.substr(0, 300);
  EXPECT_FALSE(KeyExists("HKLM\\Fine"));
  EXPECT_FALSE(KeyExists("HKLM\\T"));

  const fs::path nul = cli.File("nul.reg");
  std::ofstream(nul, std::ios::binary) << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Fine]\n"
                                       << std::string("\"a\0b\"=\"x\"\n", 10);
  const CliResult withNul = Run({"reg", "import", nul.string()});
  EXPECT_EQ(withNul.exitStatus, 1);
  EXPECT_NE(withNul.err.find("line 4: the value name \"a?b\" holds a line break or NUL"), std::string::npos)
      << withNul.err;
  EXPECT_FALSE(KeyExists("HKLM\\Fine"));
}

TEST_F(RegHostileInputTest, HexNumbersCarryNoSign) {
  const CliResult signedHex = Run({"reg", "add", "HKLM\\N", "--value", "v", "--type", "REG_DWORD", "--data", "0x-1"});
  EXPECT_EQ(signedHex.exitStatus, 2);
  EXPECT_NE(signedHex.err.find("not a 32-bit number"), std::string::npos) << signedHex.err;
  EXPECT_EQ(Run({"reg", "add", "HKLM\\N", "--value", "v", "--type", "REG_DWORD", "--data", "0xFFFFFFFF"}).exitStatus,
            0);
  EXPECT_EQ(Run({"reg", "add", "HKLM\\N", "--value", "w", "--type", "REG_DWORD", "--data", "-1"}).exitStatus, 0);
  EXPECT_EQ(Run({"reg", "query", "HKLM\\N", "--value", "w"}).out,
            "HKEY_LOCAL_MACHINE\\N\n    w    REG_DWORD    0xffffffff\n");
}

constexpr const char* kExported = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\E]\r\n\"v\"=\"x\"\r\n\r\n";

struct NodeState {
  mode_t mode = 0;
  dev_t rdev = 0;
  ino_t ino = 0;
  bool operator==(const NodeState&) const = default;
};

NodeState StateOf(const char* path) {
  struct stat info {};
  if (::lstat(path, &info) != 0) return {};
  return {info.st_mode, info.st_rdev, info.st_ino};
}

std::string ReadFd(int fd) {
  std::string bytes(4096, '\0');
  const ssize_t got = ::read(fd, bytes.data(), bytes.size());
  bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return bytes;
}

// Runs check in a child with a mount namespace of its own and a tmpfs over /dev holding null
// (1,3), a FIFO and the stdout link; returns what check reported ("" when all held), or "skip: …".
std::string InPrivateDev(const std::function<std::string()>& check) {
  int report[2];
  if (::pipe(report) != 0) return "skip: no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(report[0]);
    std::string said;
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", "/dev", "tmpfs", 0, "mode=755") != 0 ||
        ::mknod("/dev/null", S_IFCHR | 0666, makedev(1, 3)) != 0 || ::chmod("/dev/null", 0666) != 0 ||
        ::mkfifo("/dev/fifo", 0600) != 0 || ::symlink("/proc/self/fd/1", "/dev/stdout") != 0)
      said = std::string("skip: no private /dev: ") + std::strerror(errno);
    else
      said = check();
    (void)!::write(report[1], said.data(), said.size());
    ::_exit(0);
  }
  ::close(report[1]);
  std::string said, part;
  while (!(part = ReadFd(report[0])).empty()) said += part;
  ::close(report[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? said : "the check did not finish";
}

TEST_F(RegHostileInputTest, ExportWritesThroughDevicesFifosAndStdoutWithoutReplacingThem) {
  if (::getuid() != 0) GTEST_SKIP() << "a private /dev needs root";
  ASSERT_EQ(Run({"reg", "add", "HKLM\\E", "--value", "v", "--data", "x"}).exitStatus, 0);
  const NodeState hostNull = StateOf("/dev/null");
  const std::string said = InPrivateDev([this] {
    std::string problems;
    const auto expect = [&](bool held, const std::string& what) { problems += held ? "" : what + "; "; };
    const NodeState null = StateOf("/dev/null");
    const CliResult toNull = Run({"reg", "export", "HKLM\\E", "/dev/null", "--regedit4"});
    expect(toNull.exitStatus == 0, "/dev/null: " + toNull.err);
    expect(StateOf("/dev/null") == null && S_ISCHR(null.mode), "/dev/null is no longer the device");

    const int reader = ::open("/dev/fifo", O_RDONLY | O_NONBLOCK);
    const CliResult toFifo = Run({"reg", "export", "HKLM\\E", "/dev/fifo", "--regedit4"});
    expect(toFifo.exitStatus == 0, "FIFO: " + toFifo.err);
    expect(ReadFd(reader) == kExported, "the FIFO's reader did not get the export");
    expect(S_ISFIFO(StateOf("/dev/fifo").mode), "the FIFO was replaced");

    int stdoutPipe[2];
    if (::pipe2(stdoutPipe, O_NONBLOCK) != 0 || ::dup2(stdoutPipe[1], 1) < 0) return std::string("skip: no pipe");
    const CliResult toStdout = Run({"reg", "export", "HKLM\\E", "/dev/stdout", "--regedit4"});
    expect(toStdout.exitStatus == 0, "/dev/stdout: " + toStdout.err);
    expect(ReadFd(stdoutPipe[0]) == kExported, "standard output did not get the export");
    expect(S_ISLNK(StateOf("/dev/stdout").mode), "the /dev/stdout link was replaced");
    return problems;
  });
  if (said.starts_with("skip: ")) GTEST_SKIP() << said;
  EXPECT_EQ(said, "");
  EXPECT_EQ(StateOf("/dev/null"), hostNull) << "the host's /dev/null is untouched";
}

TEST_F(RegHostileInputTest, ExportReplacesOnlyARegularFileAndNeverFollowsALinkToOne) {
  ASSERT_EQ(Run({"reg", "add", "HKLM\\E", "--value", "v", "--data", "x"}).exitStatus, 0);
  const CliResult toStdout = Run({"reg", "export", "HKLM\\E", "-", "--regedit4"});
  EXPECT_EQ(toStdout.exitStatus, 0) << toStdout.err;
  EXPECT_EQ(toStdout.out, kExported) << "- is standard output, with nothing else on it";

  const fs::path old = cli.File("old.reg");
  std::ofstream(old) << "an older export";
  fs::permissions(old, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_EQ(Run({"reg", "export", "HKLM\\E", old.string(), "--regedit4"}).exitStatus, 0);
  EXPECT_EQ(ReadAll(old), kExported);
  EXPECT_EQ(fs::status(old).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  const fs::path victim = cli.File("victim"), link = cli.File("link.reg");
  std::ofstream(victim) << "precious";
  fs::create_symlink(victim, link);
  const CliResult throughLink = Run({"reg", "export", "HKLM\\E", link.string()});
  EXPECT_EQ(throughLink.exitStatus, 1);
  EXPECT_NE(throughLink.err.find("is a symbolic link"), std::string::npos) << throughLink.err;
  EXPECT_EQ(ReadAll(victim), "precious");
  EXPECT_TRUE(fs::is_symlink(link)) << "the link stays as it was";
}

// A new export is made as cp or a shell's > makes a file: 0666 less the umask.
TEST_F(RegHostileInputTest, ExportCreatesItsFileAsTheShellWouldUnderTheUmask) {
  ASSERT_EQ(Run({"reg", "add", "HKLM\\E", "--value", "v", "--data", "x"}).exitStatus, 0);
  for (const mode_t mask : {022, 027, 077, 002, 0}) {
    const fs::path exported = cli.File("export.reg"), byShell = cli.File("shell");
    fs::remove(exported);
    fs::remove(byShell);
    const CliResult run = cli.RunProgram({"reg", "export", "HKLM\\E", exported.string()}, [mask] { ::umask(mask); });
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string shell = "umask " + std::to_string(mask / 64) + std::to_string(mask / 8 % 8) +
                              std::to_string(mask % 8) + " && : > '" + byShell.string() + "'";
    ASSERT_EQ(std::system(shell.c_str()), 0) << shell;
    EXPECT_EQ(fs::status(exported).permissions(), fs::status(byShell).permissions()) << "umask " << mask;
  }
}

// - is standard output for export and standard input for import, in both formats, for the
// program itself: one's output is the other's input.
TEST_F(RegHostileInputTest, ExportToStandardOutputImportsFromStandardInput) {
  ASSERT_EQ(Run({"reg", "add", "HKLM\\E", "--value", "v", "--data", "x"}).exitStatus, 0);
  for (const std::vector<std::string>& format : {std::vector<std::string>{}, {"--regedit4"}}) {
    std::vector<std::string> line{"reg", "export", "HKLM\\E", "-"};
    line.insert(line.end(), format.begin(), format.end());
    const CliResult exported = cli.RunProgram(line);
    ASSERT_EQ(exported.exitStatus, 0) << exported.err;
    std::string fileExport = cli.File("file.reg").string();
    line[3] = fileExport;
    ASSERT_EQ(cli.RunProgram(line).exitStatus, 0);
    EXPECT_EQ(exported.out, ReadAll(fileExport)) << "standard output gets the file's bytes and nothing else";

    const fs::path piped = cli.File("piped.reg");
    std::ofstream(piped, std::ios::binary) << exported.out;
    ASSERT_EQ(Run({"reg", "delete", "HKLM\\E"}).exitStatus, 0);
    const CliResult imported = cli.RunProgram({"reg", "import", "-"}, [&piped] {
      const int fd = ::open(piped.c_str(), O_RDONLY);
      if (fd < 0 || ::dup2(fd, 0) < 0) ::_exit(126);
    });
    EXPECT_EQ(imported.exitStatus, 0) << imported.err;
    EXPECT_NE(Run({"reg", "query", "HKLM\\E", "--value", "v"}).out.find("REG_SZ    x"), std::string::npos);
  }
}

TEST_F(RegHostileInputTest, ImportReadsStandardInputAndRefusesAFolderAndEndlessInput) {
  const fs::path file = cli.File("in.reg");
  std::ofstream(file, std::ios::binary) << kExported;
  const CliResult fromStdin = cli.RunProgram({"reg", "import", "-"}, [&file] {
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0 || ::dup2(fd, 0) < 0) ::_exit(126);
  });
  EXPECT_EQ(fromStdin.exitStatus, 0) << fromStdin.err;
  EXPECT_TRUE(KeyExists("HKLM\\E"));

  // An endless input stops at the bound on a line, in little memory (AddressSanitizer reserves
  // terabytes of shadow address space, so there the bound alone is checked).
  const CliResult zeros = cli.RunProgram({"reg", "import", "/dev/zero"}, [] {
#if !defined(__SANITIZE_ADDRESS__)
    const rlimit memory{512 << 20, 512 << 20};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
  });
  EXPECT_EQ(zeros.exitStatus, 1);
  EXPECT_NE(zeros.err.find("line 1: the line is longer than 8 MiB"), std::string::npos) << zeros.err.substr(0, 300);

  const CliResult folder = cli.RunProgram({"reg", "import", cli.File("").string()});
  EXPECT_EQ(folder.exitStatus, 1) << "no abort";
  EXPECT_NE(folder.err.find("is a folder; nothing was imported"), std::string::npos) << folder.err;
}

TEST_F(RegHostileInputTest, FailedExportLeavesNoTemporaryFile) {
  ASSERT_EQ(Run({"reg", "add", "HKLM\\E", "--value", "v", "--data", "x"}).exitStatus, 0);
  const fs::path file = cli.File("out.reg");
  fs::create_directory(file);  // the finished export cannot take this name
  EXPECT_EQ(Run({"reg", "export", "HKLM\\E", file.string()}).exitStatus, 1);
  EXPECT_EQ(Run({"reg", "export", "HKLM\\Missing", cli.File("other.reg").string()}).exitStatus, 1);
  for (const auto& entry : fs::directory_iterator(file.parent_path()))
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();
  EXPECT_FALSE(fs::exists(cli.File("other.reg")));
}

TEST_F(RegHostileInputTest, DeepestKeysExportInOrder) {
  ASSERT_EQ(Run({"reg", "add", DeepKey(512), "--value", "bottom", "--data", "x"}).exitStatus, 0);
  ASSERT_EQ(Run({"reg", "add", "HKLM\\T\\z"}).exitStatus, 0);
  const fs::path file = cli.File("deep.reg");
  const CliResult exported = Run({"reg", "export", "HKLM\\T", file.string(), "--regedit4"});
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  std::string expected = "REGEDIT4\r\n";
  std::string key = "HKEY_LOCAL_MACHINE\\T";
  for (int depth = 1; depth <= 512; ++depth, key += "\\k") expected += "\r\n[" + key + "]\r\n";
  expected += "\"bottom\"=\"x\"\r\n\r\n[HKEY_LOCAL_MACHINE\\T\\z]\r\n\r\n";
  EXPECT_EQ(ReadAll(file), expected);
}

// Keys this deep with the longest names make an export of 67 MB; it is written key by key, so the
// exporting process holds little more than one key's lines at a time.
TEST_F(RegHostileInputTest, ExportOfDeepLongKeysKeepsItsMemoryFlat) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine, so resident memory says nothing here";
#endif
  std::string reg = "REGEDIT4\r\n";
  for (char chain : {'a', 'b', 'c', 'd'}) {
    reg += "\r\n[HKEY_LOCAL_MACHINE";
    for (int level = 0; level < 256; ++level) reg += "\\" + std::string(255, chain);
    reg += "]\r\n";
  }
  std::ofstream(cli.File("deep.reg"), std::ios::binary) << reg;
  ASSERT_EQ(Run({"reg", "import", cli.File("deep.reg").string()}).exitStatus, 0);
  const long before = ResidentKiB();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(Run({"reg", "export", "HKLM", cli.File("out.reg").string()}).exitStatus);
  int status = 0;
  rusage usage{};
  ASSERT_EQ(wait4(child, &status, 0, &usage), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_GT(fs::file_size(cli.File("out.reg")), 64u << 20);
  EXPECT_LT(usage.ru_maxrss - before, 24L << 10) << "KiB more than the test process held";
}

}  // namespace
}  // namespace zf
