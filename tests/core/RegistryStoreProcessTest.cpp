// SPDX-License-Identifier: GPL-3.0-or-later
// Several processes on one store file: writers that overlap, and a writer killed mid-batch.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>

#include "core/CRegister.h"
#include "core/RegistrySettings.h"
#include "core/RegistryStore.h"
#include "support/TempDir.h"

namespace zf {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kValuesPerBatch = 50;

// A child process running body; the child never returns into the test.
class Child {
 public:
  explicit Child(const std::function<int()>& body) : m_pid(fork()) {
    if (m_pid == 0) _exit(body());
  }
  ~Child() {
    if (m_pid > 0 && !m_waited) {
      kill(m_pid, SIGKILL);
      Wait();
    }
  }
  void Kill() { kill(m_pid, SIGKILL); }
  // The exit status, or 128 + the signal that ended it.
  int Wait() {
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_waited = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t m_pid;
  bool m_waited = false;
};

class Pipe {
 public:
  Pipe() {
    if (pipe(m_fds) != 0) m_fds[0] = m_fds[1] = -1;
  }
  ~Pipe() {
    CloseWriteEnd();
    close(m_fds[0]);
  }
  void Signal() { (void)!write(m_fds[1], "x", 1); }
  void CloseWriteEnd() {
    if (m_fds[1] >= 0) close(m_fds[1]);
    m_fds[1] = -1;
  }
  // True when a byte came; false at end of file.
  bool Await() {
    char byte = 0;
    return read(m_fds[0], &byte, 1) == 1;
  }

 private:
  int m_fds[2];
};

std::string ValueName(int i) { return "v" + std::to_string(i); }

std::unique_ptr<IRegistry> OpenOrReport(const fs::path& file) {
  std::string error;
  auto store = OpenRegistryStore(file, &error);
  if (!store) std::fprintf(stderr, "%s\n", error.c_str());
  return store;
}

// Writes own values and raises a shared counter until the time is up; 0 when every write
// succeeded.
int WriteAlongside(const fs::path& file, int child, Pipe& start, Clock::duration duration) {
  start.CloseWriteEnd();
  start.Await();
  auto store = OpenOrReport(file);
  if (!store) return 2;
  RegFunctions functions(*store);
  CRegister reg(*store);
  const std::string own = "Race\\Child" + std::to_string(child);
  int rounds = 0;
  for (const auto end = Clock::now() + duration; Clock::now() < end; ++rounds) {
    if (functions.SetRegistryValue(HKEY_LOCAL_MACHINE, own, ValueName(rounds), REG_DWORD, rounds, false) != 0) return 3;
    RegistryBatch batch(*store);
    if (!batch.isOpen()) return 4;
    const auto counter = static_cast<std::int32_t>(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "Race", "Counter"));
    if (functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "Race", "Counter", REG_DWORD, counter + 1, false) != 0) return 5;
    if (batch.commit() != ERROR_SUCCESS) return 6;
  }
  return functions.SetRegistryValue(HKEY_LOCAL_MACHINE, own, "rounds", REG_DWORD, rounds, false) == 0 ? 0 : 7;
}

TEST(RegistryStoreProcesses, TwoWritersAtOnceLoseNothingAndNeverFail) {
  test::TempDir folder;
  const fs::path file = folder / "registry.sqlite3";  // both create it at the same moment
  Pipe start;
  Child first([&] { return WriteAlongside(file, 0, start, std::chrono::milliseconds(2500)); });
  Child second([&] { return WriteAlongside(file, 1, start, std::chrono::milliseconds(2500)); });
  start.CloseWriteEnd();
  ASSERT_EQ(first.Wait(), 0);
  ASSERT_EQ(second.Wait(), 0);

  auto store = OpenOrReport(file);
  ASSERT_TRUE(store);
  CRegister reg(*store);
  int rounds[2];
  for (int child = 0; child < 2; ++child) {
    const std::string own = "Race\\Child" + std::to_string(child);
    rounds[child] = static_cast<int>(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, own, "rounds"));
    for (int i = 0; i < rounds[child]; ++i)
      ASSERT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, own, ValueName(i)), i) << "child " << child << " value " << i;
  }
  EXPECT_EQ(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "Race", "Counter"), rounds[0] + rounds[1]);
  // They took turns: neither kept the lock to itself.
  EXPECT_GT(rounds[0], 10);
  EXPECT_GT(rounds[0], rounds[1] / 4);
  EXPECT_GT(rounds[1], rounds[0] / 4);
}

// Commits batches numbered 0, 1, 2, … of kValuesPerBatch values each holding the batch number;
// signals after the first commit, and, when pauseInBatch is given, stops in the middle of that
// batch after signalling again.
int WriteBatches(const fs::path& file, Pipe& progress, int pauseInBatch) {
  auto store = OpenOrReport(file);
  if (!store) return 2;
  RegFunctions functions(*store);
  for (int batchNumber = 0;; ++batchNumber) {
    RegistryBatch batch(*store);
    for (int i = 0; i < kValuesPerBatch; ++i) {
      if (batchNumber == pauseInBatch && i == kValuesPerBatch / 2) {
        progress.Signal();
        pause();
      }
      if (functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "Crash", ValueName(i), REG_DWORD, batchNumber, false) != 0)
        return 3;
    }
    if (batch.commit() != ERROR_SUCCESS) return 4;
    if (batchNumber == 0) progress.Signal();
  }
}

// The batch number every value holds; -1 when they disagree.
int CommonBatchNumber(IRegistry& store) {
  CRegister reg(store);
  const double first = reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "Crash", ValueName(0));
  for (int i = 1; i < kValuesPerBatch; ++i)
    if (reg.myREGGetSetting(HKEY_LOCAL_MACHINE, "Crash", ValueName(i)) != first) return -1;
  return static_cast<int>(first);
}

TEST(RegistryStoreProcesses, WriterKilledInTheMiddleOfABatchLeavesTheLastWholeBatch) {
  test::TempDir folder;
  const fs::path file = folder / "registry.sqlite3";
  Pipe progress;
  Child writer([&] { return WriteBatches(file, progress, 3); });
  progress.CloseWriteEnd();
  ASSERT_TRUE(progress.Await());  // batch 0 committed
  ASSERT_TRUE(progress.Await());  // half of batch 3 written
  writer.Kill();
  EXPECT_EQ(writer.Wait(), 128 + SIGKILL);
  auto store = OpenOrReport(file);
  ASSERT_TRUE(store);
  EXPECT_EQ(CommonBatchNumber(*store), 2);
}

TEST(RegistryStoreProcesses, WriterKilledAtAnyMomentLeavesWholeBatchesOnly) {
  test::TempDir folder;
  const fs::path file = folder / "registry.sqlite3";
  std::mt19937 random(std::random_device{}());
  for (int round = 0; round < 4; ++round) {
    Pipe progress;
    Child writer([&] { return WriteBatches(file, progress, -1); });
    progress.CloseWriteEnd();
    ASSERT_TRUE(progress.Await());
    std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(5, 120)(random)));
    writer.Kill();
    ASSERT_EQ(writer.Wait(), 128 + SIGKILL);
    auto store = OpenOrReport(file);
    ASSERT_TRUE(store) << "round " << round;
    EXPECT_GE(CommonBatchNumber(*store), 0) << "round " << round << ": a batch was cut in half";
  }
}

}  // namespace
}  // namespace zf
