// SPDX-License-Identifier: GPL-3.0-or-later
// The history file: bounds, batching, crashes in the middle of a write, two writers at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

#include "cli/CliContext.h"
#include "core/SqliteDb.h"
#include "history/HistoryRecorder.h"
#include "history/HistoryStore.h"
#include "support/FakeIcmp.h"
#include "support/FakeSystemInfo.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace zf {
namespace {

using namespace std::chrono_literals;
constexpr std::int64_t kDayMs = 86'400'000;

EchoRecord Echo(std::int64_t timeMs, std::optional<std::uint32_t> roundTrip = 20, std::string host = "h") {
  return {timeMs, std::move(host), roundTrip, roundTrip ? 0u : 11010u};
}

std::unique_ptr<HistoryStore> OpenStore(const std::filesystem::path& path, HistoryLimits limits = {}) {
  auto store = HistoryStore::Open(path, limits);
  EXPECT_TRUE(store.has_value()) << (store ? "" : store.error().text);
  return store ? std::move(*store) : nullptr;
}

std::vector<EchoRecord> All(HistoryStore& store) {
  auto echoes = store.ReadEchoes({});
  EXPECT_TRUE(echoes.has_value());
  return echoes ? *echoes : std::vector<EchoRecord>{};
}

// Forks a child running body; the child never returns into the test.
pid_t Spawn(const std::function<void()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    body();
    _exit(0);
  }
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(HistoryStoreTest, KeepsEveryFieldOfEchoesAndMeasurements) {
  test::TempDir folder;
  auto store = OpenStore(folder / "history.sqlite3");
  const std::vector<EchoRecord> echoes = {Echo(1000, 12, "one.one.one.one"),
                                          Echo(2000, std::nullopt, "dns.google"),
                                          {3000, "x", std::nullopt, kEchoHostNotFound}};
  ASSERT_TRUE(store->AppendEchoes(echoes, 3000));
  EXPECT_EQ(All(*store), echoes);
  auto only = store->ReadEchoes({0, INT64_MAX, "dns.google"});
  ASSERT_TRUE(only);
  EXPECT_EQ(*only, std::vector<EchoRecord>{echoes[1]});

  const MeasurementRecord measurement{5000, "speed.example", 9.5e7, 14.25, std::nullopt, "008.BCK"};
  ASSERT_TRUE(store->AppendMeasurement(measurement, 5000));
  auto measurements = store->ReadMeasurements(0);
  ASSERT_TRUE(measurements);
  EXPECT_EQ(*measurements, std::vector<MeasurementRecord>{measurement});
  EXPECT_EQ(std::filesystem::status(folder / "history.sqlite3").permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(HistoryStoreTest, RefusesAFileThatIsNotAHistoryAndLeavesItAlone) {
  test::TempDir folder;
  const auto path = folder / "history.sqlite3";
  {
    auto other = HistoryStore::Open(folder / "other.sqlite3");
    ASSERT_TRUE(other);
  }
  std::ofstream(path) << "not a database at all, just some text that is long enough to be a header........";
  const auto before = std::filesystem::file_size(path);
  auto store = HistoryStore::Open(path);
  ASSERT_FALSE(store);
  EXPECT_NE(store.error().text.find(path.string()), std::string::npos) << store.error().text;
  EXPECT_EQ(std::filesystem::file_size(path), before);
}

// The echoes of the first file format (a time column with its own index) survive the change to
// time-ordered keys, in time order and, within a millisecond, in the order they were written.
TEST(HistoryStoreTest, ConvertsAHistoryOfTheTimeIndexedFormat) {
  test::TempDir folder;
  const auto path = folder / "history.sqlite3";
  {
    SqliteDb old;
    ASSERT_EQ(old.Open(path.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), SQLITE_OK);
    ASSERT_EQ(old.Execute("PRAGMA application_id = 1514555465; PRAGMA user_version = 1;"
                          "CREATE TABLE echo(id INTEGER PRIMARY KEY, time_ms INTEGER NOT NULL, host TEXT NOT NULL,"
                          " round_trip_ms INTEGER, status INTEGER NOT NULL);"
                          "CREATE INDEX echo_time ON echo(time_ms);"
                          "CREATE TABLE measurement(id INTEGER PRIMARY KEY, time_ms INTEGER NOT NULL,"
                          " target TEXT NOT NULL, throughput_bps REAL, round_trip_ms REAL, loss_percent REAL,"
                          " live_settings TEXT NOT NULL);"
                          "CREATE INDEX measurement_time ON measurement(time_ms);"
                          "INSERT INTO echo(time_ms, host, round_trip_ms, status) VALUES"
                          " (2000, 'b', 7, 0), (1000, 'a', NULL, 11010), (2000, 'a', 9, 0);"
                          "INSERT INTO measurement(time_ms, target, throughput_bps, round_trip_ms, loss_percent,"
                          " live_settings) VALUES (1500, 't', 1e6, 3.5, 0, 'originals');"),
              SQLITE_OK)
        << old.Error();
  }
  auto store = OpenStore(path);
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(All(*store),
            (std::vector<EchoRecord>{Echo(1000, std::nullopt, "a"), Echo(2000, 7, "b"), Echo(2000, 9, "a")}));
  ASSERT_EQ(store->ReadMeasurements(0)->size(), 1u);
  ASSERT_TRUE(store->AppendEchoes(std::vector<EchoRecord>{Echo(2000, 5, "c")}, 3000));
  EXPECT_EQ(All(*store).back(), Echo(2000, 5, "c"));
  EXPECT_EQ(store->IntegrityCheck(), "ok");
}

// The row bound holds when another program wrote since this one last counted.
TEST(HistoryStoreTest, RowBoundCountsWhatTheOtherProgramWrote) {
  test::TempDir folder;
  const HistoryLimits limits{std::chrono::hours(24), 10};
  auto mine = OpenStore(folder / "history.sqlite3", limits);
  auto theirs = OpenStore(folder / "history.sqlite3", limits);
  const auto batch = [](std::int64_t from, int count) {
    std::vector<EchoRecord> echoes;
    for (int i = 0; i < count; ++i) echoes.push_back(Echo(from + i));
    return echoes;
  };
  ASSERT_TRUE(mine->AppendEchoes(batch(100, 8), 200));
  ASSERT_TRUE(theirs->AppendEchoes(batch(110, 8), 200));
  ASSERT_TRUE(mine->AppendEchoes(batch(120, 1), 200));
  const auto kept = All(*mine);
  ASSERT_EQ(kept.size(), 10u);
  EXPECT_EQ(kept.front().timeMs, 107);
}

// Days of one echo every 10 s through the recorder on a fake clock: what stays is the newest,
// within the age and the row bound, whichever is tighter.
TEST(HistoryStoreTest, DropsTheOldestBeyondTheBounds) {
  struct Case {
    const char* name;
    HistoryLimits limits;
    int days;
    std::size_t expectedRows;
  };
  const Case cases[] = {
      {"within both", {std::chrono::hours(24 * 90), 1'000'000}, 3, 3 * 8640},
      {"age bound", {std::chrono::hours(24), 1'000'000}, 3, 8640},
      {"row bound", {std::chrono::hours(24 * 90), 5000}, 3, 5000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir folder;
    auto store = OpenStore(folder / "history.sqlite3", c.limits);
    test::FakeClock clock;
    const std::int64_t start = EpochMs(clock.Now());
    {
      HistoryRecorder recorder(*store, clock, {512, 1h});
      for (int i = 0; i < c.days * 8640; ++i) {
        clock.Advance(10s);
        recorder.RecordEcho(Echo(EpochMs(clock.Now())));
      }
    }
    const auto kept = All(*store);
    ASSERT_EQ(kept.size(), c.expectedRows);
    const std::int64_t now = EpochMs(clock.Now());
    EXPECT_EQ(kept.back().timeMs, now);
    EXPECT_EQ(kept.front().timeMs, now - static_cast<std::int64_t>(c.expectedRows - 1) * 10'000);
    EXPECT_GE(kept.front().timeMs, std::max(start, now - c.limits.maxAge.count()));
  }
}

// One commit per batch: when maxEchoes wait, when the first has waited maxDelay, and at the end.
TEST(HistoryStoreTest, CommitsOnceABatchIsFullOrDue) {
  struct Case {
    const char* name;
    BatchPolicy policy;
    std::chrono::milliseconds spacing;
    int echoes;
    std::uint64_t commits;
  };
  const Case cases[] = {
      // 100 = 3 × 32 + 4 at the end.
      {"by count", {32, 1h}, 1s, 100, 4},
      // The first of each batch waits 60 s: 7 echoes 10 s apart, so 14 batches of 7, then 2 at the end.
      {"by delay", {1000, 60s}, 10s, 100, 15},
      {"one each", {1, 1h}, 1s, 5, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir folder;
    auto store = OpenStore(folder / "history.sqlite3");
    test::FakeClock clock;
    const std::uint64_t before = store->Commits();
    {
      HistoryRecorder recorder(*store, clock, c.policy);
      for (int i = 0; i < c.echoes; ++i) {
        recorder.RecordEcho(Echo(EpochMs(clock.Now())));
        clock.Advance(c.spacing);
      }
    }
    EXPECT_EQ(store->Commits() - before, c.commits);
    EXPECT_EQ(All(*store).size(), static_cast<std::size_t>(c.echoes));
  }
}

// A writer killed at random moments: every time the file is sound and holds whole batches, in
// the order they were written, with nothing missing in between.
TEST(HistoryStoreTest, AWriterKilledMidWriteLeavesASoundPrefix) {
  test::TempDir folder;
  const auto path = folder / "history.sqlite3";
  constexpr std::int64_t kBatch = 10;
  std::mt19937 random(7);
  std::int64_t previous = 0;
  for (int round = 0; round < 12; ++round) {
    const pid_t writer = Spawn([&] {
      auto store = HistoryStore::Open(path);
      if (!store) _exit(3);
      auto existing = (*store)->ReadEchoes({});
      std::int64_t next = existing ? static_cast<std::int64_t>(existing->size()) : 0;
      for (;;) {
        std::vector<EchoRecord> batch;
        for (std::int64_t i = 0; i < kBatch; ++i) batch.push_back(Echo(next + i));
        if (!(*store)->AppendEchoes(batch, next)) _exit(4);
        next += kBatch;
      }
    });
    usleep(20'000 + std::uniform_int_distribution<int>(0, 60'000)(random));
    kill(writer, SIGKILL);
    ASSERT_EQ(WaitFor(writer), 128 + SIGKILL);

    auto store = OpenStore(path);
    ASSERT_EQ(store->IntegrityCheck(), "ok");
    const auto kept = All(*store);
    ASSERT_EQ(kept.size() % kBatch, 0u);
    for (std::size_t i = 0; i < kept.size(); ++i) ASSERT_EQ(kept[i].timeMs, static_cast<std::int64_t>(i));
    EXPECT_GE(static_cast<std::int64_t>(kept.size()), previous);
    previous = static_cast<std::int64_t>(kept.size());
  }
  EXPECT_GT(previous, 0);
}

TEST(HistoryStoreTest, TwoProgramsWriteAtOnceAndLoseNothing) {
  test::TempDir folder;
  const auto path = folder / "history.sqlite3";
  OpenStore(path);  // made before the race, as the desktop program would have
  constexpr int kEchoes = 400;
  auto writer = [&](const std::string& host) {
    return Spawn([&path, host] {
      auto store = HistoryStore::Open(path);
      if (!store) _exit(3);
      for (int i = 0; i < kEchoes; i += 8) {
        std::vector<EchoRecord> batch;
        for (int j = i; j < i + 8; ++j) batch.push_back(Echo(j, 5, host));
        if (!(*store)->AppendEchoes(batch, kEchoes)) _exit(4);
      }
    });
  };
  const pid_t a = writer("a");
  const pid_t b = writer("b");
  ASSERT_EQ(WaitFor(a), 0);
  ASSERT_EQ(WaitFor(b), 0);
  auto store = OpenStore(path);
  for (const char* host : {"a", "b"}) {
    auto echoes = store->ReadEchoes({0, INT64_MAX, std::string(host)});
    ASSERT_TRUE(echoes);
    ASSERT_EQ(echoes->size(), static_cast<std::size_t>(kEchoes)) << host;
    for (int i = 0; i < kEchoes; ++i) EXPECT_EQ((*echoes)[i].timeMs, i);
  }
}

// The command line reads the file beside the store; its summary agrees with the rows.
TEST(HistoryStoreTest, CommandLinePrintsSummariesAndRows) {
  test::TempDir folder;
  const auto now =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
          .count();
  {
    auto store = OpenStore(folder / "history.sqlite3");
    ASSERT_TRUE(store->AppendEchoes(
        std::vector<EchoRecord>{Echo(now - 2 * kDayMs, 99, "old"), Echo(now - 60'000, 10, "a,b"),
                                Echo(now - 50'000, std::nullopt, "a,b"), Echo(now - 40'000, 30, "c")},
        now));
    ASSERT_TRUE(
        store->AppendMeasurement({now - 30'000, "iperf3://10.9.0.2", 8.5e7, 12.5, std::nullopt, "001.BCK"}, now));
  }
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string expected;  // a line the output holds
  };
  const Case cases[] = {
      {{"--since", "1h"}, 0, "total             echoes 3  lost 1  min 10 ms  median 10 ms  p95 30 ms  loss 33.3 %"},
      {{"--since", "1h", "--host", "c", "--json"},
       0,
       "\"host\": \"c\",\n      \"round_trip_ms\": 30,\n      \"status\": 0\n"},
      {{"--since", "3d", "--csv"}, 0, "\"a,b\",,11010"},
      {{"--since", "yesterday"}, 2, ""},
      {{"--csv", "--json"}, 2, ""},
      {{"--measurements", "--json"},
       0,
       "\"target\": \"iperf3://10.9.0.2\",\n      \"throughput_bps\": 85000000.0,\n      \"rtt_ms\": 12.5,\n      "
       "\"loss_percent\": null,\n      \"live_settings\": \"001.BCK\"\n"},
      {{"--measurements", "--csv"}, 0, ",iperf3://10.9.0.2,85000000,12.5,,001.BCK"},
      {{"--measurements"}, 0, "iperf3://10.9.0.2  85.0 Mbit/s  rtt 12.5 ms  loss - %  settings 001.BCK"},
      {{"--measurements", "--host", "c"}, 2, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--registry", (folder / "registry.sqlite3").string(), "history"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(args.back());
    std::ostringstream out, err;
    test::FakeSystemInfo systemInfo;
    test::FakeIcmp icmp;
    EXPECT_EQ(cli::RunCli(args, {systemInfo, icmp}, out, err), c.exit) << err.str();
    EXPECT_NE(out.str().find(c.expected), std::string::npos) << out.str();
    if (c.exit != 0) {
      EXPECT_FALSE(err.str().empty());
    }
  }
}

}  // namespace
}  // namespace zf
