// SPDX-License-Identifier: GPL-3.0-or-later
// The store in a folder someone else prepared: links, named pipes, a folder that cannot be
// written, a full disk. Each check that could hang runs in a child that is killed on time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "core/RegistryStore.h"
#include "support/TempDir.h"

namespace zf {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
constexpr std::string_view kSkip = "SKIP: ";

// Runs body in a child; what it returned (empty: all was well), or nothing when it did not end
// within the time.
std::optional<std::string> InChild(const std::function<std::string()>& body, int timeoutMs = 5000) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    const std::string report = body();
    (void)!write(ends[1], report.data(), report.size());
    _exit(0);
  }
  close(ends[1]);
  std::string report;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool ended = false;
  while (!ended && std::chrono::steady_clock::now() < deadline) {
    pollfd waitFor{ends[0], POLLIN, 0};
    if (poll(&waitFor, 1, 50) <= 0) continue;
    char buffer[512];
    const ssize_t got = read(ends[0], buffer, sizeof buffer);
    if (got <= 0)
      ended = true;
    else
      report.append(buffer, static_cast<std::size_t>(got));
  }
  close(ends[0]);
  if (!ended) kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  if (!ended) return std::nullopt;
  return report;
}

#define EXPECT_CHILD_OK(result)                                                       \
  do {                                                                                \
    const std::optional<std::string> zfReport = (result);                             \
    ASSERT_TRUE(zfReport.has_value()) << "did not end within its time";               \
    if (zfReport->starts_with(kSkip)) GTEST_SKIP() << zfReport->substr(kSkip.size()); \
    EXPECT_EQ(*zfReport, "");                                                         \
  } while (false)

// Opens file; empty when the store opened, else the reason.
std::string OpenError(const fs::path& file) {
  std::string error;
  return OpenRegistryStore(file, &error) ? std::string() : error;
}

std::string Expect(bool holds, const std::string& what) { return holds ? std::string() : what + "; "; }

class StoreFolderTest : public ::testing::Test {
 protected:
  test::TempDir folder;
  fs::path file = folder / "registry.sqlite3";
};

TEST_F(StoreFolderTest, NamedPipeOrFolderAtTheStorePathIsRefusedAtOnce) {
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  EXPECT_CHILD_OK(InChild([&] {
    const std::string error = OpenError(file);
    return Expect(error.find(file.string() + "\" is a named pipe") != std::string::npos, "refused as: " + error);
  }));
  fs::remove(file);
  fs::create_directory(file);
  EXPECT_NE(OpenError(file).find("is a folder"), std::string::npos) << OpenError(file);
}

TEST_F(StoreFolderTest, LinkAtTheStorePathIsRefusedAndItsTargetLeftAlone) {
  const fs::path real = folder / "real.sqlite3";
  ASSERT_EQ(OpenError(real), "");
  const auto before = fs::last_write_time(real);
  fs::create_symlink(real, file);
  EXPECT_NE(OpenError(file).find("is a symbolic link"), std::string::npos) << OpenError(file);
  EXPECT_EQ(fs::last_write_time(real), before);
}

TEST_F(StoreFolderTest, LinkPlantedAsTheTurnsFileIsNotFollowed) {
  const fs::path target = folder / "created-through-the-link";
  fs::create_symlink(target, file.string() + "-turns");
  std::string error;
  auto store = OpenRegistryStore(file, &error);
  ASSERT_NE(store, nullptr) << error;
  EXPECT_EQ(store->SetValue(HKEY_LOCAL_MACHINE, "v", REG_SZ, {'x', 0}), ERROR_SUCCESS);
  store.reset();
  EXPECT_FALSE(fs::exists(target));
  EXPECT_TRUE(fs::is_symlink(file.string() + "-turns"));
}

TEST_F(StoreFolderTest, NamedPipeAsTheTurnsFileHangsNothing) {
  ASSERT_EQ(mkfifo((file.string() + "-turns").c_str(), 0600), 0);
  EXPECT_CHILD_OK(InChild([&] {
    std::string error;
    auto store = OpenRegistryStore(file, &error);
    if (!store) return "not opened: " + error;
    return Expect(store->SetValue(HKEY_LOCAL_MACHINE, "v", REG_SZ, {'x', 0}) == ERROR_SUCCESS, "not written");
  }));
}

TEST_F(StoreFolderTest, StoreInAFolderThatCannotBeWrittenNamesTheFolder) {
  if (getuid() != 0) GTEST_SKIP() << "needs root to become another user";
  ASSERT_EQ(OpenError(file), "");
  chmod(folder.path().c_str(), 0755);
  ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);  // nobody's store in root's folder
  EXPECT_CHILD_OK(InChild([&] {
    if (setgid(65534) != 0 || setuid(65534) != 0) return std::string("cannot become nobody");
    const std::string error = OpenError(file);
    return Expect(error.find("its folder \"" + folder.path().string() + "\" cannot be written") != std::string::npos,
                  "refused as: " + error);
  }));
}

// Mounts a 1 MiB file system over folder in a mount namespace of the child's own.
std::string MountSmallFileSystem(const fs::path& folder) {
  if (getuid() != 0) return std::string(kSkip) + "needs root to mount a file system";
  if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    return std::string(kSkip) + "no mount namespace of our own could be made here";
  if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m,mode=0700") != 0) return "cannot mount a tmpfs";
  return {};
}

void FillDisk(const fs::path& file) {
  std::ofstream filler(file, std::ios::binary);
  const std::string block(4096, 'f');
  while (filler.write(block.data(), block.size())) filler.flush();
}

TEST_F(StoreFolderTest, FullDiskStillReadsAndRefusesWritesAsDiskFull) {
  EXPECT_CHILD_OK(InChild(
      [&] {
        if (std::string problem = MountSmallFileSystem(folder.path()); !problem.empty()) return problem;
        std::string error;
        auto store = OpenRegistryStore(file, &error);
        if (!store) return "not created: " + error;
        if (store->SetValue(HKEY_LOCAL_MACHINE, "kept", REG_SZ, {'k', 0}) != ERROR_SUCCESS)
          return std::string("not written");
        store.reset();
        FillDisk(folder / "filler");

        store = OpenRegistryStore(file, &error);
        if (!store) return "a full disk stops the store from opening: " + error;
        Bytes data;
        std::string report = Expect(
            store->QueryValue(HKEY_LOCAL_MACHINE, "kept", nullptr, &data) == ERROR_SUCCESS && data == Bytes{'k', 0},
            "not read");
        HKEY key = 0;
        report += Expect(store->CreateKey(HKEY_LOCAL_MACHINE, "New", KEY_ALL_ACCESS, &key) == ERROR_DISK_FULL,
                         "creating a key is not refused as disk full");
        report += Expect(store->SetValue(HKEY_LOCAL_MACHINE, "v", REG_SZ, {'x', 0}) == ERROR_DISK_FULL,
                         "writing a value is not refused as disk full");
        return report;
      },
      20000));
}

}  // namespace
}  // namespace zf
