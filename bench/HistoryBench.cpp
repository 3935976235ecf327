// SPDX-License-Identifier: GPL-3.0-or-later
// The connection history's two costs: recording an echo (batched, into the real file) against a
// bare prepared INSERT into an in-memory table committed in the same batches, measured in turns
// so both see the same machine; and reading a week of one-per-minute echoes and drawing the graph.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdlib>

#include "history/HistoryGraph.h"
#include "history/HistoryRecorder.h"
#include "history/HistoryStore.h"
#include "history/HistoryView.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace {

using namespace zf;
using Clock = std::chrono::steady_clock;
constexpr int kEchoesPerTurn = 1024;

double Nanoseconds(Clock::duration duration) { return std::chrono::duration<double, std::nano>(duration).count(); }

// The yardstick: the same row into an in-memory table, BEGIN/COMMIT around every batch.
class BareInserts {
 public:
  explicit BareInserts(bool timeIndex) {
    sqlite3_open(":memory:", &m_db);
    sqlite3_exec(m_db,
                 "CREATE TABLE echo(id INTEGER PRIMARY KEY, time_ms INTEGER, host TEXT, rtt INTEGER, status INTEGER)",
                 nullptr, nullptr, nullptr);
    // The history's own table is read by time and so carries this index: a yardstick with it
    // shows what the recorder adds, the one without what the row's shape adds too.
    if (timeIndex) sqlite3_exec(m_db, "CREATE INDEX echo_time ON echo(time_ms)", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(m_db, "INSERT INTO echo(time_ms, host, rtt, status) VALUES(?1, ?2, ?3, ?4)", -1, &m_insert,
                       nullptr);
  }
  ~BareInserts() {
    sqlite3_finalize(m_insert);
    sqlite3_close(m_db);
  }
  void Insert(const EchoRecord& echo, bool begin, bool commit) {
    if (begin) sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_bind_int64(m_insert, 1, echo.timeMs);
    sqlite3_bind_text(m_insert, 2, echo.host.c_str(), static_cast<int>(echo.host.size()), SQLITE_STATIC);
    sqlite3_bind_int64(m_insert, 3, *echo.roundTripMs);
    sqlite3_bind_int64(m_insert, 4, echo.status);
    sqlite3_step(m_insert);
    sqlite3_reset(m_insert);
    if (commit) sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
  }

 private:
  sqlite3* m_db = nullptr;
  sqlite3_stmt* m_insert = nullptr;
};

void BM_RecordEchoAgainstBareInsert(benchmark::State& state) {
  // Below the build folder, on the file system the program's data folder usually shares.
  test::TempDir folder;
  auto store = HistoryStore::Open(folder / "history.sqlite3");
  if (!store) {
    state.SkipWithError(store.error().text.c_str());
    return;
  }
  test::FakeClock clock;
  const BatchPolicy policy;
  HistoryRecorder recorder(**store, clock, policy);
  BareInserts bare(false);
  BareInserts indexed(true);
  double recorded = 0, inserted = 0, insertedIndexed = 0;
  std::int64_t time = EpochMs(clock.Now());
  // One echo a second, as the pinger sends them; each turn's echoes are made before the clocks run.
  std::vector<EchoRecord> turn(kEchoesPerTurn, EchoRecord{0, "one.one.one.one", 23, 0});
  for (auto _ : state) {
    for (EchoRecord& echo : turn) echo.timeMs = time += 1000;
    auto start = Clock::now();
    for (const EchoRecord& echo : turn) recorder.RecordEcho(echo);
    recorded += Nanoseconds(Clock::now() - start);
    start = Clock::now();
    for (int i = 0; i < kEchoesPerTurn; ++i)
      bare.Insert(turn[i], i % policy.maxEchoes == 0, (i + 1) % policy.maxEchoes == 0);
    inserted += Nanoseconds(Clock::now() - start);
    start = Clock::now();
    for (int i = 0; i < kEchoesPerTurn; ++i)
      indexed.Insert(turn[i], i % policy.maxEchoes == 0, (i + 1) % policy.maxEchoes == 0);
    insertedIndexed += Nanoseconds(Clock::now() - start);
  }
  const double echoes = static_cast<double>(state.iterations()) * kEchoesPerTurn;
  state.counters["record_ns"] = recorded / echoes;
  state.counters["bare_insert_ns"] = inserted / echoes;
  state.counters["ratio"] = recorded / inserted;
  state.counters["indexed_insert_ns"] = insertedIndexed / echoes;
  state.counters["ratio_indexed"] = recorded / insertedIndexed;
}
BENCHMARK(BM_RecordEchoAgainstBareInsert)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadWeekAndDraw(benchmark::State& state) {
  test::TempDir folder;
  auto store = HistoryStore::Open(folder / "history.sqlite3");
  if (!store) {
    state.SkipWithError(store.error().text.c_str());
    return;
  }
  constexpr std::int64_t kNow = 1'700'000'000'000;
  const std::int64_t week = WindowLengthMs(HistoryWindow::Week);
  std::vector<EchoRecord> echoes;
  for (std::int64_t t = kNow - week; t < kNow; t += 60'000)
    echoes.push_back({t, "one.one.one.one",
                      t % 7'000'000 < 60'000 ? std::nullopt : std::optional<std::uint32_t>(t / 60'000 % 80 + 5), 0});
  (void)(*store)->AppendEchoes(echoes, kNow);
  HistoryGraph graph;
  graph.resize(480, 200);
  QImage image(graph.size(), QImage::Format_RGB32);
  const std::vector<TuningMark> tunings = {{kNow - week / 2, "004.BCK"}};
  for (auto _ : state) {
    auto read = (*store)->ReadEchoes({kNow - week, kNow, std::nullopt});
    graph.SetData(BuildGraphData(*read, tunings, HistoryWindow::Week, kNow));
    QPainter painter(&image);
    graph.render(&painter);
    benchmark::DoNotOptimize(image.bits());
  }
  state.counters["echoes"] = static_cast<double>(echoes.size());
}
BENCHMARK(BM_ReadWeekAndDraw)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
