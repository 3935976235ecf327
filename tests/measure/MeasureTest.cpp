// SPDX-License-Identifier: GPL-3.0-or-later
// The connection test on an emulated 100 Mbit/s path with a 40 ms round trip (namespaces only).
#include <arpa/inet.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>

#include "measure/Measure.h"
#include "support/EmulatedPath.h"
#include "support/NetNamespace.h"
#include "support/PythonJson.h"
#include "support/TempDir.h"

namespace zf::measure {
namespace {

using test::EmulatedPath;

class MeasureOnPath : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (test::NetworkNamespaceProblem().empty()) s_path = std::make_unique<EmulatedPath>();
  }
  static void TearDownTestSuite() { s_path.reset(); }
  void SetUp() override {
    ZF_REQUIRE_OWN_NETWORK_NAMESPACE();
    if (!s_path->problem().empty()) GTEST_SKIP() << s_path->problem();
  }

  static MeasureOutcome Measure(const std::string& target, int seconds = 2) {
    MeasureRequest request;
    request.target = target;
    request.seconds = seconds;
    request.probeTimeout = std::chrono::milliseconds(1000);
    CancelFlag never;
    return MeasureConnection(request, {}, never);
  }

  static std::unique_ptr<EmulatedPath> s_path;
};

std::unique_ptr<EmulatedPath> MeasureOnPath::s_path;

// What iperf3's own client measures downloading on the same path.
double IperfClientBitsPerSecond(int seconds) {
  std::string json;
  test::RunProgram({"iperf3", "-c", EmulatedPath::kServer, "-R", "-t", std::to_string(seconds), "-J"}, &json);
  const auto at = json.find("\"sum_received\"");
  const auto rate = json.find("\"bits_per_second\":", at);
  return at == std::string::npos || rate == std::string::npos ? 0 : std::stod(json.substr(rate + 18));
}

std::size_t Threads() {
  std::size_t count = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

std::size_t Sockets() {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (std::filesystem::read_symlink(entry.path(), error).string().rfind("socket:", 0) == 0) ++count;
  }
  return count;
}

TEST_F(MeasureOnPath, FiguresAgreeWithIperfsOwnClientForBothKindsOfTarget) {
  const double reference = IperfClientBitsPerSecond(2);
  ASSERT_GT(reference, 50e6) << "the emulated path is far slower than its 100 Mbit/s";
  for (const std::string& target : {s_path->IperfTarget(), s_path->FileUrl()}) {
    SCOPED_TRACE(target);
    const auto outcome = Measure(target);
    ASSERT_TRUE(outcome.result.has_value()) << outcome.result.error().text;
    const Measurement& m = outcome.result.value();
    EXPECT_NEAR(m.throughput.value / reference, 1.0, 0.15);
    EXPECT_EQ(m.throughput.unit, "bit/s");
    // The path's 40 ms, plus a little for scheduling the delay line on a busy machine.
    EXPECT_GE(m.rtt.value, 39);
    EXPECT_LE(m.rtt.value, 52);
    EXPECT_EQ(m.loss.value, 0);
    ASSERT_TRUE(m.pathMtu.has_value());
    EXPECT_EQ(m.pathMtu->value, 1500);
    ASSERT_TRUE(m.socket.receiveSpace.has_value());
    // The receive space grew well past its start to hold the path's 500 kB in flight.
    EXPECT_GT(m.socket.receiveSpace->value, 200000);
    ASSERT_TRUE(m.socket.smoothedRtt.has_value());
    EXPECT_GT(m.socket.smoothedRtt->value, 35);
    EXPECT_GT(m.rtt.takenAt.time_since_epoch().count(), 0);
  }
}

TEST_F(MeasureOnPath, FailuresSayWhatWentWrong) {
  const std::string server = EmulatedPath::kServer;
  // A second client keeps the iperf3 server busy with a slow test of its own.
  auto busy = std::async(std::launch::async, [] {
    return test::RunProgram({"iperf3", "-c", EmulatedPath::kServer, "-R", "-b", "1M", "-t", "4"});
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  struct Case {
    std::string target;
    FailureKind kind;
    std::string words;
  } const cases[] = {
      {s_path->IperfTarget(), FailureKind::ServerBusy, "busy"},
      {std::string("iperf3://") + EmulatedPath::kSilentHost, FailureKind::Unreachable, "does not answer"},
      {"iperf3://" + server + ":5999", FailureKind::Refused, "connection refused"},
      {"http://" + server + ":8080/missing.bin", FailureKind::HttpStatus, "HTTP status 404"},
      {"iperf3://10.78.0.1", FailureKind::NoRoute, "no route"},
      {"ftp://" + server, FailureKind::BadTarget, "iperf3://HOST[:PORT]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    const auto outcome = Measure(c.target, 1);
    ASSERT_FALSE(outcome.result.has_value());
    EXPECT_EQ(static_cast<int>(outcome.failure), static_cast<int>(c.kind)) << outcome.result.error().text;
    EXPECT_NE(outcome.result.error().text.find(c.words), std::string::npos) << outcome.result.error().text;
  }
  busy.wait();
}

TEST_F(MeasureOnPath, PathMtuFindsTheNarrowHop) {
  s_path.reset();
  s_path = std::make_unique<EmulatedPath>(test::PathShape{100, 40, 1400});
  ASSERT_EQ(s_path->problem(), "");
  const auto outcome = Measure(s_path->IperfTarget(), 1);
  ASSERT_TRUE(outcome.result.has_value()) << outcome.result.error().text;
  ASSERT_TRUE(outcome.result->pathMtu.has_value());
  EXPECT_EQ(outcome.result->pathMtu->value, 1400);
  s_path.reset();
  s_path = std::make_unique<EmulatedPath>();
}

TEST_F(MeasureOnPath, ACancelledMeasurementLeavesNoSocketOrThreadBehind) {
  for (const std::string& target : {s_path->IperfTarget(), s_path->FileUrl()}) {
    SCOPED_TRACE(target);
    const std::size_t socketsBefore = Sockets(), threadsBefore = Threads();
    MeasureRequest request;
    request.target = target;
    request.seconds = 10;
    CancelFlag cancel;
    std::atomic<bool> streaming{false};
    auto running = std::async(std::launch::async, [&] {
      return MeasureConnection(
          request, [&](const Progress& p) { streaming = p.stage == Stage::Throughput; }, cancel);
    });
    while (!streaming) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto cancelledAt = std::chrono::steady_clock::now();
    cancel.Cancel();
    const auto outcome = running.get();
    EXPECT_LT(std::chrono::steady_clock::now() - cancelledAt, std::chrono::seconds(1));
    EXPECT_EQ(outcome.failure, FailureKind::Cancelled);
    EXPECT_EQ(Sockets(), socketsBefore);
    EXPECT_EQ(Threads(), threadsBefore);
  }
}

// zentrofastctl measure: JSON with the unit in each name and numbers as numbers; a failure
// says what failed with exit 1, a bad target is a usage error.
TEST_F(MeasureOnPath, CommandLinePrintsFiguresOrSaysWhatFailed) {
  const std::string program = std::string(getenv("ZENTROFAST_BIN")) + "/zentrofastctl";
  // The tool keeps each measurement in the history beside its store: a store of the test's own.
  const test::TempDir data;
  setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  setenv("ZENTROFAST_REGISTRY", (data.path() / "registry.sqlite3").c_str(), 1);
  std::string json;
  ASSERT_TRUE(test::RunProgram({program, "measure", s_path->IperfTarget(), "--seconds", "2", "--json"}, &json));
  if (getenv("ZF_SHOW_OUTPUT")) std::fprintf(stderr, "%s", json.c_str());
  const std::string checked = test::CheckJsonWithPython(json, R"(number = (int, float)
strict_types(j, {"target": str, "address": str, "port": int, "method": str, "measured_at": str, "rtt_ms": number,
                 "loss_percent": number, "throughput_bps": number, "stream_seconds": number,
                 "path_mtu_bytes": (int, type(None)), "tcp": dict})
strict_types(j["tcp"], {"smoothed_rtt_ms": (int, float, type(None)), "delivery_rate_bps": (int, float, type(None)),
                        "retransmissions": (int, type(None)), "receive_space_bytes": (int, type(None))})
assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ", j["measured_at"]))");
  EXPECT_EQ(checked, "") << json;
  const auto figures = nlohmann::json::parse(json);
  EXPECT_GT(figures.at("throughput_bps").get<double>(), 50e6);
  EXPECT_GT(figures.at("rtt_ms").get<double>(), 39);
  EXPECT_EQ(figures.at("path_mtu_bytes").get<int>(), 1500);
  EXPECT_GT(figures.at("tcp").at("receive_space_bytes").get<double>(), 0);

  struct Case {
    std::string target;
    int status;
  } const cases[] = {{"http://" + std::string(EmulatedPath::kServer) + ":8080/missing.bin", 1},
                     {"gopher://" + std::string(EmulatedPath::kServer), 2}};
  for (const Case& c : cases) {
    const std::string command = program + " measure " + c.target + " --seconds 1 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.target;
  }
}

// A loopback listener on a free port; the port 0 when none could be made.
int Listen(std::uint16_t port, std::uint16_t* chosen) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  *chosen = ntohs(address.sin_port);
  return fd;
}

// As an iperf3 server does while it resets after a test (another client's, or a bare connect such
// as a round-trip probe), the listener is away for a moment; the measurement waits for it, but
// still calls a port where nothing comes to listen refused within about a second.
TEST(ServerBetweenTests, ARefusalIsWaitedOutForAWhile) {
  using std::chrono::milliseconds;
  struct Case {
    const char* what;
    milliseconds awayAtFirst;     // before the first connection
    milliseconds awayAfterFirst;  // after the first connection; negative: for good
    bool refused;
  } const cases[] = {
      {"between two of our probes", milliseconds(0), milliseconds(400), false},
      {"after another client's test", milliseconds(300), milliseconds(0), false},
      {"never listening again", milliseconds(0), milliseconds(-1), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::uint16_t port = 0;
    int listener = Listen(0, &port);
    ASSERT_GE(listener, 0);
    if (c.awayAtFirst.count() > 0) close(listener);
    std::atomic<bool> done{false};
    std::thread server([&] {
      if (c.awayAtFirst.count() > 0) {
        std::this_thread::sleep_for(c.awayAtFirst);
        listener = Listen(port, &port);
      }
      // The first connection, unless the measurement has given up before it.
      pollfd first{listener, POLLIN, 0};
      while (!done && poll(&first, 1, 50) <= 0) {
      }
      if (done) return;
      close(accept(listener, nullptr, nullptr));
      close(listener);
      listener = -1;
      if (c.awayAfterFirst.count() < 0) return;
      std::this_thread::sleep_for(c.awayAfterFirst);
      listener = Listen(port, &port);
      // Every later connection is closed at once, so the stream fails for another reason.
      pollfd ready{listener, POLLIN, 0};
      while (!done && listener >= 0)
        if (poll(&ready, 1, 50) > 0) close(accept(listener, nullptr, nullptr));
    });
    MeasureRequest request;
    request.target = "iperf3://127.0.0.1:" + std::to_string(port);
    request.seconds = 1;
    request.rttProbes = 3;
    request.probeTimeout = milliseconds(1000);
    CancelFlag never;
    const auto start = std::chrono::steady_clock::now();
    const MeasureOutcome outcome = MeasureConnection(request, {}, never);
    const auto took = std::chrono::steady_clock::now() - start;
    done = true;
    server.join();
    if (listener >= 0) close(listener);
    ASSERT_FALSE(outcome.result.has_value());
    EXPECT_EQ(outcome.failure == FailureKind::Refused, c.refused) << outcome.result.error().text;
    if (c.refused) EXPECT_LT(took, std::chrono::seconds(4));
  }
}

}  // namespace
}  // namespace zf::measure
