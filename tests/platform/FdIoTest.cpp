// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/fdio.h"

namespace zf::fdio {
namespace {

constexpr int kAll = 1 << 20;  // a step that takes whatever is left

struct PutCase {
  const char* name;
  std::vector<int> steps;  // bytes taken, or a negated errno
  int expected;
  std::string delivered;
};

TEST(FdIo, PutAllRetriesInterruptionsAndShortCountsAndStopsAtTheFirstError) {
  const std::string data = "0123456789";
  const PutCase cases[] = {
      {"whole at once", {kAll}, 0, data},
      {"short counts", {3, 1, 4, kAll}, 0, data},
      {"interrupted between", {-EINTR, 4, -EINTR, -EINTR, kAll}, 0, data},
      {"disk full half-way", {5, -ENOSPC}, ENOSPC, "01234"},
      {"peer gone", {-EPIPE}, EPIPE, ""},
      {"takes nothing", {2, 0}, EIO, "01"},
  };
  for (const PutCase& c : cases) {
    std::string delivered;
    std::size_t step = 0;
    const int result = PutAll(
        [&](const char* bytes, std::size_t size) -> ssize_t {
          const int take = step < c.steps.size() ? c.steps[step++] : -EBADE;
          if (take < 0) {
            errno = -take;
            return -1;
          }
          const std::size_t taken = std::min<std::size_t>(take, size);
          delivered.append(bytes, taken);
          return static_cast<ssize_t>(taken);
        },
        data);
    EXPECT_EQ(result, c.expected) << c.name;
    EXPECT_EQ(delivered, c.delivered) << c.name;
  }
}

// Fails the flush or the close as told, and notes what it was given.
class ScriptedCalls final : public DurableCalls {
 public:
  ScriptedCalls(int syncErrno, int closeErrno) : m_syncErrno(syncErrno), m_closeErrno(closeErrno) {}
  int Sync(int fd) override {
    struct stat info {};
    syncedFolder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    ++syncs;
    return Fail(m_syncErrno);
  }
  int Close(int fd) override {
    ::close(fd);
    ++closes;
    return Fail(m_closeErrno);
  }
  int syncs = 0;
  int closes = 0;
  bool syncedFolder = false;

 private:
  static int Fail(int errorNumber) {
    errno = errorNumber;
    return errorNumber == 0 ? 0 : -1;
  }
  int m_syncErrno;
  int m_closeErrno;
};

struct DurableCase {
  const char* name;
  int syncErrno;
  int closeErrno;
  int expectedFile;
  int expectedFolder;
};

TEST(FdIo, FileAndFolderFlushesReportTheFlushAndCloseErrorsAndAlwaysClose) {
  char folder[] = "/tmp/zf-fdio-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const DurableCase cases[] = {
      {"all well", 0, 0, 0, 0},
      {"flush fails", EIO, 0, EIO, EIO},
      {"close reports a late write error", 0, EIO, EIO, EIO},
      {"flush error wins over close error", ENOSPC, EIO, ENOSPC, ENOSPC},
      {"interrupted close has closed", 0, EINTR, 0, 0},
      {"a folder that cannot be flushed", EINVAL, 0, EINVAL, 0},
  };
  for (const DurableCase& c : cases) {
    const std::string path = std::string(folder) + "/file";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ScriptedCalls fileCalls(c.syncErrno, c.closeErrno);
    EXPECT_EQ(FinishFile(fd, "bytes", fileCalls), c.expectedFile) << c.name;
    EXPECT_EQ(fileCalls.closes, 1) << c.name << ": the file must be closed whatever happened";
    EXPECT_FALSE(fileCalls.syncedFolder) << c.name;

    ScriptedCalls folderCalls(c.syncErrno, c.closeErrno);
    EXPECT_EQ(SyncFolder(FolderOf(path), folderCalls), c.expectedFolder) << c.name;
    EXPECT_TRUE(folderCalls.syncedFolder) << c.name;
    EXPECT_EQ(folderCalls.closes, 1) << c.name;
  }
  EXPECT_EQ(SyncFolder(std::string(folder) + "/missing"), ENOENT);
  std::filesystem::remove_all(folder);
}

TEST(FdIo, FolderOfNamesTheContainingFolder) {
  EXPECT_EQ(FolderOf("/run/zentrofast/journal"), "/run/zentrofast");
  EXPECT_EQ(FolderOf("/journal"), "/");
  EXPECT_EQ(FolderOf("journal"), ".");
}

TEST(FdIo, SendingToAPeerThatWentAwayIsAnErrorNotADeadProcess) {
  int ends[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
  ASSERT_EQ(SendAll(ends[0], "before"), 0);
  std::uint8_t got[6];
  ASSERT_EQ(ReadExactly(ends[1], got), 0);
  EXPECT_EQ(Bytes(got), "before");
  ::close(ends[1]);
  // SIGPIPE keeps its default action here: without MSG_NOSIGNAL this would end the test program.
  EXPECT_EQ(SendAll(ends[0], "after"), EPIPE);
  ::close(ends[0]);
}

TEST(FdIo, ReadingPastTheEndOfInputIsNoData) {
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  ASSERT_EQ(WriteAll(ends[1], "abc"), 0);
  ::close(ends[1]);
  std::uint8_t got[4];
  EXPECT_EQ(ReadExactly(ends[0], got), ENODATA);
  ::close(ends[0]);
}

}  // namespace
}  // namespace zf::fdio
