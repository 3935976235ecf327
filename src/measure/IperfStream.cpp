// SPDX-License-Identifier: GPL-3.0-or-later
// The iperf3 stream runs through libiperf on the calling thread; a watcher thread beside it
// samples the data socket's TCP_INFO, reports progress and, on cancel, shuts the test's sockets
// so libiperf returns at once and frees them itself.
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <iperf_api.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "measure/Streams.h"

namespace zf::measure {
namespace {

using SteadyClock = std::chrono::steady_clock;

bool SamePeer(int fd, const ResolvedAddress& server) {
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return false;
  return length == server.length && std::memcmp(&peer, &server.address, length) == 0;
}

// The TCP sockets of this process connected to the server, other than the control socket.
std::vector<int> DataSockets(const ResolvedAddress& server, int controlFd) {
  std::vector<int> found;
  DIR* folder = opendir("/proc/self/fd");
  if (!folder) return found;
  while (const dirent* entry = readdir(folder)) {
    const int fd = std::atoi(entry->d_name);
    if (entry->d_name[0] == '.' || fd == controlFd || fd == dirfd(folder)) continue;
    struct stat info {};
    int type = 0;
    socklen_t length = sizeof type;
    if (fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode)) continue;
    if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM) continue;
    if (SamePeer(fd, server)) found.push_back(fd);
  }
  closedir(folder);
  return found;
}

class Watcher {
 public:
  Watcher(iperf_test* test, const StreamRequest& request) : m_test(test), m_request(request) {
    m_thread = std::thread([this] { Run(); });
  }
  ~Watcher() { Stop(); }

  void Stop() {
    {
      std::lock_guard lock(m_mutex);
      m_done = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
  }

  void Fill(StreamResult& result) const { m_sampler.Fill(result); }

 private:
  void Run() {
    std::unique_lock lock(m_mutex);
    const auto start = SteadyClock::now();
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(50), [this] { return m_done; })) {
      const int control = iperf_get_control_socket(m_test);
      if (control < 0 || !SamePeer(control, m_request.address)) continue;
      const auto data = DataSockets(m_request.address, control);
      if (m_request.cancel.IsCancelled()) {
        for (int fd : data) shutdown(fd, SHUT_RDWR);
        shutdown(control, SHUT_RDWR);
        continue;
      }
      if (data.size() != 1) continue;
      m_sampler.Take(data.front());
      if (++m_ticks % 5 == 0 && m_request.progress) {
        const double elapsed = std::chrono::duration<double>(SteadyClock::now() - start).count();
        m_request.progress(std::min(elapsed / m_request.seconds, 1.0), m_sampler.BitsPerSecondSoFar().value_or(0));
      }
    }
  }

  iperf_test* m_test;
  const StreamRequest& m_request;
  SocketSampler m_sampler;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_done = false;
  int m_ticks = 0;
  std::thread m_thread;
};

FailureKind KindOfIperfError(int iperfError, int osError) {
  if (iperfError == IEACCESSDENIED) return FailureKind::ServerBusy;
  if (iperfError == IECONNECT) {
    if (osError == ECONNREFUSED) return FailureKind::Refused;
    if (osError == ENETUNREACH || osError == EHOSTUNREACH) return FailureKind::NoRoute;
    return FailureKind::Unreachable;
  }
  return FailureKind::Failed;
}

Phrase TextOfIperfError(FailureKind kind, const StreamRequest& request, const char* iperfText) {
  const Phrase host = request.address.text;
  const Phrase port = std::to_string(request.target.port);
  switch (kind) {
    case FailureKind::ServerBusy:
      return Phrase::Format(
          ZF_SHARED_TRANSLATABLE("zf::measure",
                                 "the iperf3 server at %1 port %2 is busy with another test; try again later"),
          {host, port});
    case FailureKind::Refused:
      return Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "nothing listens at %1 port %2 (connection refused)"),
                            {host, port});
    case FailureKind::NoRoute: return Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "no route to %1"), {host});
    case FailureKind::Unreachable:
      return Phrase::Format(
          ZF_SHARED_TRANSLATABLE("zf::measure", "the iperf3 server at %1 port %2 does not answer (%3)"),
          {host, port, iperfText});
    default: return Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the iperf3 test failed: %1"), {iperfText});
  }
}

// The figures iperf3's own client reports for the receiving end, and the sender's retransmissions.
Result<StreamResult> ReadIperfJson(const char* text) {
  if (!text) return Failure("the iperf3 test gave no results");
  const auto json = nlohmann::json::parse(text, nullptr, false);
  if (json.is_discarded()) return Failure("the iperf3 results cannot be read");
  if (json.contains("error") && json["error"].is_string()) {
    // A busy server answers with libiperf's own text for that refusal; compare it whole.
    const auto error = json["error"].get<std::string>();
    const bool busy = error == iperf_strerror(IEACCESSDENIED);
    return Failure(Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the iperf3 test failed: %1"), {error}),
                   busy ? ErrorKind::Refused : ErrorKind::Failed);
  }
  if (!json.contains("end")) return Failure("the iperf3 results hold no summary");
  const auto& end = json["end"];
  if (!end.is_object() || !end.contains("sum_received")) return Failure("the iperf3 results hold no received sum");
  StreamResult result;
  result.bitsPerSecond = end["sum_received"].value("bits_per_second", 0.0);
  result.seconds = end["sum_received"].value("seconds", 0.0);
  if (end.contains("sum_sent") && end["sum_sent"].contains("retransmits"))
    result.senderRetransmissions = end["sum_sent"]["retransmits"].get<long long>();
  return result;
}

// libiperf writes its control socket with write(): after a cancel shut it, that raises SIGPIPE,
// which would end the whole program. Held back on this thread and dropped afterwards.
class SigpipeHeldBack {
 public:
  SigpipeHeldBack() {
    sigemptyset(&m_pipe);
    sigaddset(&m_pipe, SIGPIPE);
    sigpending(&m_pendingBefore);
    pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
  }
  ~SigpipeHeldBack() {
    sigset_t pending;
    sigpending(&pending);
    if (sigismember(&pending, SIGPIPE) && !sigismember(&m_pendingBefore, SIGPIPE)) {
      const timespec none{0, 0};
      sigtimedwait(&m_pipe, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
  }
  SigpipeHeldBack(const SigpipeHeldBack&) = delete;
  SigpipeHeldBack& operator=(const SigpipeHeldBack&) = delete;

 private:
  sigset_t m_pipe{}, m_previous{}, m_pendingBefore{};
};

// libiperf 3.12 leaves the control socket open when a test fails; closed here once the test is freed.
class IperfTest {
 public:
  explicit IperfTest(const ResolvedAddress& server) : m_server(server) {}
  ~IperfTest() {
    if (!m_test) return;
    const int control = iperf_get_control_socket(m_test);
    iperf_close_logfile(m_test);
    iperf_free_test(m_test);
    if (control >= 0 && fcntl(control, F_GETFD) >= 0 && SamePeer(control, m_server)) close(control);
  }
  IperfTest(const IperfTest&) = delete;
  IperfTest& operator=(const IperfTest&) = delete;
  iperf_test* get() const { return m_test; }

 private:
  iperf_test* m_test = iperf_new_test();
  const ResolvedAddress& m_server;
};

}  // namespace

Result<StreamResult> RunIperfStream(const StreamRequest& request, StreamFailure& failure) {
  IperfTest owner(request.address);
  iperf_test* test = owner.get();
  if (!test || iperf_defaults(test) != 0) return Failure("libiperf cannot make a test");
  iperf_set_test_role(test, 'c');
  iperf_set_test_server_hostname(test, request.address.text.c_str());
  iperf_set_test_server_port(test, request.target.port);
  iperf_set_test_duration(test, request.seconds);
  iperf_set_test_reverse(test, 1);
  iperf_set_test_num_streams(test, 1);
  iperf_set_test_json_output(test, 1);
  iperf_set_test_connect_timeout(test, static_cast<int>(request.connectTimeout.count()));
  // libiperf prints its JSON as well; the program reads it from memory instead.
  iperf_set_test_logfile(test, "/dev/null");
  if (iperf_open_logfile(test) != 0) return Failure("libiperf cannot open its output");

  int status = 0;
  SigpipeHeldBack quietPipes;
  {
    Watcher watcher(test, request);
    i_errno = IENONE;
    errno = 0;
    status = iperf_run_client(test);
    const int osError = errno;
    watcher.Stop();
    if (request.cancel.IsCancelled()) {
      failure = {FailureKind::Cancelled,
                 Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the measurement was cancelled"))};
      return Failure(failure.text);
    }
    // libiperf 3.12 returns success for some refusals and leaves the reason in its JSON.
    if (status < 0 || i_errno != IENONE) {
      failure.kind = KindOfIperfError(i_errno, osError);
      failure.text = TextOfIperfError(failure.kind, request, iperf_strerror(i_errno));
      return Failure(failure.text);
    }
    auto result = ReadIperfJson(iperf_get_test_json_output_string(test));
    if (!result) {
      const bool busy = result.error().kind == ErrorKind::Refused;
      failure.kind = busy ? FailureKind::ServerBusy : FailureKind::Failed;
      failure.text = busy ? TextOfIperfError(failure.kind, request, "") : result.error().Message();
      result = Failure(failure.text);
      return result;
    }
    watcher.Fill(result.value());
    return result;
  }
}

}  // namespace zf::measure
