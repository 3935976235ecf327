// SPDX-License-Identifier: GPL-3.0-or-later
// Measurements of the connection test reach the history with the settings then live.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/MeasurementHistory.h"
#include "history/HistoryRecorder.h"
#include "support/TempDir.h"

namespace zf {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Recent: the history drops what is older than its bounds.
const auto kMeasuredAt =
    std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now()) - 1min;

measure::Measurement Measured() {
  measure::Measurement measured;
  measured.target = "iperf3://10.9.0.2";
  measured.rtt = {12.5, "ms", kMeasuredAt - 6s};
  measured.loss = {25, "%", kMeasuredAt - 6s};
  measured.throughput = {8.5e7, "bit/s", kMeasuredAt};
  return measured;
}

struct Backup {
  std::string name;
  std::chrono::system_clock::duration beforeMeasurement;  // negative: written after it
};

struct Case {
  std::string name;
  std::vector<Backup> backups;
  bool succeeded;
  std::vector<MeasurementRecord> expected;
};

void WriteBackup(const fs::path& folder, const Backup& backup) {
  fs::create_directories(folder);
  std::ofstream(folder / backup.name) << "backup";
  const auto written = kMeasuredAt - backup.beforeMeasurement;
  fs::last_write_time(folder / backup.name, std::chrono::file_clock::from_sys(written));
}

Config ConfigIn(const fs::path& folder) {
  Config config;
  config.programFolder = folder;
  config.registryFile = folder / "registry.sqlite3";
  return config;
}

TEST(MeasurementHistoryTest, RecordsASuccessfulMeasurementWithTheSettingsLiveAtItsTime) {
  const MeasurementRecord measuredRow{EpochMs(kMeasuredAt), "iperf3://10.9.0.2", 8.5e7, 12.5, 25, ""};
  const auto with = [&](const char* live) {
    MeasurementRecord row = measuredRow;
    row.liveSettings = live;
    return row;
  };
  const std::vector<Case> cases = {
      {"before any tuning run", {}, true, {with("originals")}},
      {"after a tuning run", {{"001.BCK", 1h}}, true, {with("001.BCK")}},
      {"the later run not yet made", {{"001.BCK", 2h}, {"002.BCK", -1min}, {"notes.txt", 1h}}, true, {with("001.BCK")}},
      {"a failed measurement", {{"001.BCK", 1h}}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir folder;
    const Config config = ConfigIn(folder.path());
    for (const Backup& backup : c.backups) WriteBackup(BackupsFolder(config), backup);
    measure::MeasureOutcome outcome{Measured()};
    if (!c.succeeded) outcome = {Failure("no answer from 10.9.0.2"), measure::FailureKind::NoRoute};
    std::ostringstream err;
    cli::RecordInHistory(config, outcome, err);
    EXPECT_EQ(err.str(), "");
    std::vector<MeasurementRecord> recorded;
    if (fs::exists(HistoryFileFor(config))) {
      auto store = HistoryStore::Open(HistoryFileFor(config));
      ASSERT_TRUE(store.has_value());
      recorded = (*store)->ReadMeasurements(0).value();
    }
    EXPECT_EQ(recorded, c.expected);
  }
}

TEST(MeasurementHistoryTest, AHistoryThatCannotBeWrittenIsAWarningOnly) {
  test::TempDir folder;
  const Config config = ConfigIn(folder.path());
  fs::create_directories(HistoryFileFor(config));  // a folder where the file belongs
  std::ostringstream err;
  cli::RecordInHistory(config, {Measured()}, err);
  EXPECT_NE(err.str().find("warning: the measurement was not kept in the history"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace zf
