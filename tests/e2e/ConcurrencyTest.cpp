// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program and four command-line tools share one store: the program is started again
// and again (each start reads its settings and rewrites the auto-start value) while four tools
// write values of their own, for 30 seconds. Nothing may fail and no write may be lost.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/RegistrySettings.h"
#include "core/RegistryStore.h"
#include "support/TempDir.h"

extern char** environ;

namespace zf {
namespace {

constexpr auto kDuration = std::chrono::seconds(30);
constexpr int kWriters = 4;
const std::string kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string Bin(const char* program) {
  const char* bin = std::getenv("ZENTROFAST_BIN");
  return std::string(bin ? bin : ".") + "/" + program;
}

struct Child {
  pid_t pid = -1;
  FILE* output = nullptr;
};

Child Spawn(const std::vector<std::string>& argv) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  Child child;
  if (posix_spawn(&child.pid, args[0], &actions, nullptr, args.data(), environ) != 0) child.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  child.output = fdopen(pipeFds[0], "r");
  return child;
}

int Wait(Child& child) {
  int status = 0;
  waitpid(child.pid, &status, 0);
  if (child.output) fclose(child.output);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Reads the program's reports until the one given; false when it ended first.
bool WaitUntilReported(Child& child, const std::string& report) {
  char line[512];
  while (fgets(line, sizeof line, child.output) != nullptr)
    if (std::string(line).starts_with(report)) return true;
  return false;
}

TEST(ConcurrencyTest, DesktopProgramAndFourToolsShareTheStoreWithoutLosingAWrite) {
  test::TempDir dir;
  const auto store = dir / "registry.sqlite3";
  std::filesystem::create_directories(dir / "run");
  std::filesystem::permissions(dir / "run", std::filesystem::perms::owner_all);
  setenv("ZENTROFAST_REGISTRY", store.c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("ZENTROFAST_STARTUP_PROBE", "1", 1);
  {
    std::string error;
    auto registry = OpenRegistryStore(store, &error);
    ASSERT_TRUE(registry) << error;
    RegistrySettings(*registry).SaveMachineSetting(SettingsSection(kSectionMainSettings), "chkRunMainProgram", "1");
  }

  const auto until = std::chrono::steady_clock::now() + kDuration;
  std::atomic<int> failures{0};
  std::vector<int> written(kWriters, 0);
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      const std::string key = "HKCU\\Software\\ConcurrencyTest\\Writer" + std::to_string(w);
      for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
        Child tool = Spawn({Bin("zentrofastctl"), "reg", "add", key, "--value", "v" + std::to_string(i), "--type",
                            "REG_DWORD", "--data", std::to_string(i * 7 + w)});
        if (tool.pid < 0 || Wait(tool) != 0) ++failures;
        written[w] = i + 1;
      }
    });
  }
  int starts = 0;
  while (std::chrono::steady_clock::now() < until) {
    Child program = Spawn({Bin("zentrofast")});
    ASSERT_GE(program.pid, 0);
    // The start-up screens, the main settings among them, load before the window shows.
    const bool loaded = WaitUntilReported(program, "loaded");
    const bool shown = loaded && WaitUntilReported(program, "shown");
    kill(program.pid, SIGTERM);
    Wait(program);
    EXPECT_TRUE(shown) << "start " << starts << " never showed its window";
    EXPECT_TRUE(loaded) << "start " << starts << " never finished loading";
    ++starts;
  }
  for (std::thread& writer : writers) writer.join();

  EXPECT_EQ(failures, 0) << "tool runs that failed";
  EXPECT_GE(starts, 5);
  std::string error;
  auto registry = OpenRegistryStore(store, &error);
  ASSERT_TRUE(registry) << error;
  for (int w = 0; w < kWriters; ++w) {
    EXPECT_GE(written[w], 10) << "writer " << w << " hardly ran";
    HKEY key = 0;
    ASSERT_EQ(
        registry->OpenKey(HKEY_CURRENT_USER, "Software\\ConcurrencyTest\\Writer" + std::to_string(w), KEY_READ, &key),
        ERROR_SUCCESS);
    for (int i = 0; i < written[w]; ++i) {
      std::vector<std::uint8_t> data;
      ASSERT_EQ(registry->QueryValue(key, "v" + std::to_string(i), nullptr, &data), ERROR_SUCCESS)
          << "writer " << w << " lost v" << i;
      EXPECT_EQ(data, DwordValueBytes(i * 7 + w));
    }
    registry->CloseKey(key);
  }
  EXPECT_EQ(RegistrySettings(*registry).GetStringValue(HKEY_CURRENT_USER, kRunKey, "Zentrofast", "").empty(), false)
      << "the program's starts did not write the auto-start value";
  std::cout << starts << " program starts; tool writes: " << written[0] << ", " << written[1] << ", " << written[2]
            << ", " << written[3] << "\n";
}

}  // namespace
}  // namespace zf
