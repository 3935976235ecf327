// SPDX-License-Identifier: GPL-3.0-or-later
// --json of reg query, backup list, mem, cpu and history, read by python3's json module: one
// object each, every field by name and type, numbers as numbers.
#include <gtest/gtest.h>

#include "CliRunner.h"
#include "core/Config.h"
#include "core/RegistryStore.h"
#include "history/HistoryStore.h"
#include "support/BackupFiles.h"
#include "support/PythonJson.h"
#include "support/TempDir.h"

namespace zf {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 2021-03-04T05:06:07.089Z and ten seconds on: days after the --since the rows use, in any zone.
constexpr std::int64_t kEchoMs = 1614834367089;
constexpr const char* kSince = "2021-03-01";

class JsonOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    auto store = OpenRegistryStore(cli.Store(), &error);
    ASSERT_TRUE(store) << error;
    HKEY key = 0;
    ASSERT_EQ(store->CreateKey(HKEY_CURRENT_USER, "J\\Sub", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    store->CloseKey(key);
    ASSERT_EQ(store->CreateKey(HKEY_CURRENT_USER, "J", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const std::vector<std::tuple<std::string, std::uint32_t, Bytes>> values{
        {"", REG_SZ, {'d', 0}},
        {"n", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"multi", REG_MULTI_SZ, {'a', 0, 0, 0xC3, 0xBC, 0, 0}},
        {"bin", REG_BINARY, {0, 1, 0xFE}},
        {"not utf-8", REG_EXPAND_SZ, {0xE9, 0}},
    };
    for (const auto& [name, type, data] : values) ASSERT_EQ(store->SetValue(key, name, type, data), ERROR_SUCCESS);
    store->CloseKey(key);

    Config config;
    config.registryFile = cli.Store();
    auto history = HistoryStore::Open(HistoryFileFor(config));
    ASSERT_TRUE(history) << history.error().text;
    const std::vector<EchoRecord> echoes{{kEchoMs, "a", 12, 0}, {kEchoMs + 10'000, "c,\"d\"", std::nullopt, 11010}};
    ASSERT_TRUE((*history)->AppendEchoes(echoes, kEchoMs + 20'000));
    ASSERT_TRUE((*history)->AppendMeasurement({kEchoMs, "iperf3://10.9.0.2", 8.5e7, 12.5, std::nullopt, "001.BCK"},
                                              kEchoMs + 20'000));

    ASSERT_EQ(cli.RunProgram({"--home", home.path().string(), "apply", "--profile", "2"}).exitStatus, 0);
    test::WriteBytes(home / "Backups" / "002.BCK", "no header");
  }

  test::CliRunner cli;
  test::TempDir home;
};

TEST_F(JsonOutputTest, EachCommandPrintsOneObjectWithEveryFieldTyped) {
  const test::CliResult listed = cli.RunProgram({"--home", home.path().string(), "backup", "list"});
  ASSERT_EQ(listed.out.substr(0, 9), "001.BCK  ") << listed.out;
  const std::string taken = listed.out.substr(9, 10) + "T" + listed.out.substr(21, 8);  // "DATE  TIME"
  struct Case {
    std::vector<std::string> args;
    std::string checks;  // Python over j
  };
  const std::vector<Case> cases{
      {{"reg", "query", "HKCU\\J", "--json"},
       R"(strict_types(j, {"key": str, "values": list, "subkeys": list})
assert j["key"] == "HKEY_CURRENT_USER\\J" and j["subkeys"] == ["Sub"]
for v in j["values"]:
    strict_types(v, {"name": str, "type": str, "type_code": int, "data": (str, int, list), "data_hex": str})
assert {v["name"]: v for v in j["values"]} == {
    "": {"name": "", "type": "REG_SZ", "type_code": 1, "data": "d", "data_hex": "6400"},
    "n": {"name": "n", "type": "REG_DWORD", "type_code": 4, "data": 4294967295, "data_hex": "ffffffff"},
    "multi": {"name": "multi", "type": "REG_MULTI_SZ", "type_code": 7, "data": ["a", "", "\u00fc"],
              "data_hex": "610000c3bc0000"},
    "bin": {"name": "bin", "type": "REG_BINARY", "type_code": 3, "data": "0001fe", "data_hex": "0001fe"},
    "not utf-8": {"name": "not utf-8", "type": "REG_EXPAND_SZ", "type_code": 2, "data": "\ufffd",
                  "data_hex": "e900"}}
assert len(j["values"]) == 5)"},
      {{"reg", "query", "HKCU\\J", "--value", "n", "--json"},
       R"(assert j == {"key": "HKEY_CURRENT_USER\\J", "subkeys": [], "values": [
    {"name": "n", "type": "REG_DWORD", "type_code": 4, "data": 4294967295, "data_hex": "ffffffff"}]}
assert type(j["values"][0]["data"]) is int)"},
      {{"--home", home.path().string(), "backup", "list", "--json"},
       R"(strict_types(j, {"folder": str, "backups": list})
assert j["backups"] == [{"name": "001.BCK", "number": 1, "taken": ")" +
           taken + R"("},
                        {"name": "002.BCK", "number": 2, "taken": None}]
for b in j["backups"]:
    strict_types(b, {"name": str, "number": int, "taken": (str, type(None))})
    assert os.path.isfile(os.path.join(j["folder"], b["name"])))"},
      {{"mem", "--json"},
       R"(names = ["memory_load_percent", "total_physical_bytes", "free_physical_bytes", "total_virtual_bytes",
         "free_virtual_bytes"]
strict_types(j, {name: int for name in names})
meminfo = dict(line.split(":") for line in open("/proc/meminfo"))
assert j["total_physical_bytes"] == int(meminfo["MemTotal"].split()[0]) * 1024
assert 0 <= j["memory_load_percent"] <= 100
assert 0 < j["free_physical_bytes"] <= j["total_physical_bytes"]
assert 0 < j["free_virtual_bytes"] <= j["total_virtual_bytes"])"},
      {{"cpu", "--interval", "50", "--json"},
       R"(strict_types(j, {"usage_percent": int, "interval_ms": int})
assert j["interval_ms"] == 50 and 0 <= j["usage_percent"] <= 100)"},
      {{"history", "--since", kSince, "--json"},
       R"(strict_types(j, {"since": str, "until": str, "host": type(None), "echoes": list})
utc = r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z"
assert re.fullmatch(utc, j["since"]) and re.fullmatch(utc, j["until"]) and j["since"] < j["until"]
assert j["since"].startswith(("2021-02-28", "2021-03-01"))
assert j["echoes"] == [
    {"time": "2021-03-04T05:06:07.089Z", "host": "a", "round_trip_ms": 12, "status": 0},
    {"time": "2021-03-04T05:06:17.089Z", "host": "c,\"d\"", "round_trip_ms": None, "status": 11010}]
for e in j["echoes"]:
    strict_types(e, {"time": str, "host": str, "round_trip_ms": (int, type(None)), "status": int}))"},
      {{"history", "--since", kSince, "--host", "a", "--json"},
       R"(strict_types(j, {"since": str, "until": str, "host": str, "echoes": list})
assert j["host"] == "a" and [e["host"] for e in j["echoes"]] == ["a"])"},
      {{"history", "--since", kSince, "--measurements", "--json"},
       R"(strict_types(j, {"since": str, "until": str, "measurements": list})
assert j["measurements"] == [{"time": "2021-03-04T05:06:07.089Z", "target": "iperf3://10.9.0.2",
    "throughput_bps": 85000000, "rtt_ms": 12.5, "loss_percent": None, "live_settings": "001.BCK"}]
strict_types(j["measurements"][0], {"time": str, "target": str, "throughput_bps": (int, float),
    "rtt_ms": (int, float), "loss_percent": (int, float, type(None)), "live_settings": str}))"},
  };
  for (const Case& c : cases) {
    const test::CliResult run = cli.RunProgram(c.args);
    SCOPED_TRACE(c.args[c.args.size() - 2] + " " + c.args.back());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    if (run.exitStatus != 0) continue;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(test::CheckJsonWithPython(run.out, c.checks), "") << run.out;
  }
}

}  // namespace
}  // namespace zf
