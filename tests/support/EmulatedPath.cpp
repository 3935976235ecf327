// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EmulatedPath.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/TempDir.h"

namespace zf::test {
namespace {

std::vector<char*> Argv(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  return argv;
}

// Starts a program with its standard output on a pipe (or /dev/null); its pid.
pid_t Start(const std::vector<std::string>& command, int* output = nullptr) {
  int pipeFds[2] = {-1, -1};
  if (output && pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = output ? pipeFds[1] : open("/dev/null", O_WRONLY);
    dup2(out, STDOUT_FILENO);
    const int quiet = open("/dev/null", O_WRONLY);
    if (!getenv("ZF_PATH_VERBOSE")) dup2(quiet, STDERR_FILENO);
    setpgid(0, 0);
    auto argv = Argv(command);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  if (output) {
    close(pipeFds[1]);
    *output = pipeFds[0];
  }
  return pid;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(-pid, SIGKILL);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

std::string InNamespace(pid_t pid) { return "--net=/proc/" + std::to_string(pid) + "/ns/net"; }

bool Ip(const std::vector<std::string>& words, pid_t in = -1) {
  std::vector<std::string> command;
  if (in > 0) command = {"nsenter", InNamespace(in), "--"};
  command.push_back("ip");
  command.insert(command.end(), words.begin(), words.end());
  return RunProgram(command);
}

bool Answers(const char* address, int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address, &to.sin_addr);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
  close(fd);
  return ok;
}

bool WaitUntilAnswers(const char* address, int port) {
  for (int i = 0; i < 100; ++i) {
    if (Answers(address, port)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

std::string ProgramFolder() {
  const char* bin = getenv("ZENTROFAST_BIN");
  return bin ? bin : ".";
}

}  // namespace

bool RunProgram(const std::vector<std::string>& command, std::string* output) {
  int out = -1;
  const pid_t pid = Start(command, output ? &out : nullptr);
  if (pid < 0) return false;
  if (output) {
    char buffer[4096];
    for (ssize_t n; (n = read(out, buffer, sizeof buffer)) > 0;) output->append(buffer, static_cast<std::size_t>(n));
    close(out);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

EmulatedPath::EmulatedPath(PathShape shape) { m_problem = Build(shape); }

EmulatedPath::~EmulatedPath() {
  for (pid_t server : m_servers) Stop(server);
  // Taken down at once: a dying namespace frees its half of the pair only later.
  Ip({"link", "del", "zfc0"});
  Stop(m_delayLine);
  Stop(m_serverHolder);
}

std::string EmulatedPath::Build(const PathShape& shape) {
  if (geteuid() != 0) return "the emulated path needs root inside the test's namespace";
  m_serverHolder = Start({"unshare", "--net", "sleep", "3600"});
  int ready = -1;
  m_delayLine = Start(
      {"unshare", "--net", ProgramFolder() + "/zf-delay-line", std::to_string(shape.roundTripMs / 2), "zfd0", "zfd1"},
      &ready);
  char word[16] = {};
  const bool started = m_delayLine > 0 && read(ready, word, sizeof word - 1) > 0;
  if (ready >= 0) close(ready);
  if (!started || std::string(word).rfind("ready", 0) != 0) return "zf-delay-line did not start";
  const pid_t router = m_delayLine, server = m_serverHolder;
  const std::string rate = std::to_string(shape.rateMbit) + "mbit";
  // The bottleneck queue holds about one bandwidth-delay product, as a well-sized router would.
  const std::string limit = std::to_string(std::max(shape.rateMbit * 125 * shape.roundTripMs, 64000));
  const bool built =
      Ip({"link", "add", "zfc0", "type", "veth", "peer", "name", "zfr0", "netns", std::to_string(router)}) &&
      Ip({"addr", "add", "10.77.1.1/24", "dev", "zfc0"}) && Ip({"link", "set", "zfc0", "up"}) &&
      Ip({"route", "add", "10.77.2.0/24", "via", "10.77.1.2"}) && Ip({"link", "set", "lo", "up"}, router) &&
      Ip({"addr", "add", "10.77.1.2/24", "dev", "zfr0"}, router) && Ip({"link", "set", "zfr0", "up"}, router) &&
      Ip({"link", "set", "zfd0", "up"}, router) &&
      (shape.narrowMtu == 0 || Ip({"link", "set", "zfd0", "mtu", std::to_string(shape.narrowMtu)}, router)) &&
      Ip({"route", "add", "10.77.2.0/24", "dev", "zfd0"}, router) &&
      Ip({"link", "set", "zfd1", "netns", std::to_string(server)}, router) &&
      RunProgram({"nsenter", InNamespace(router), "--", "sysctl", "-q", "-w", "net.ipv4.ip_forward=1"}) &&
      RunProgram({"nsenter", InNamespace(router), "--", "tc", "qdisc", "add", "dev", "zfr0", "root", "tbf", "rate",
                  rate, "burst", "64kb", "limit", limit}) &&
      Ip({"link", "set", "lo", "up"}, server) &&
      Ip({"addr", "add", std::string(kServer) + "/24", "dev", "zfd1"}, server) &&
      Ip({"link", "set", "zfd1", "up"}, server) && Ip({"route", "add", "default", "dev", "zfd1"}, server);
  if (!built) return "the namespaces of the emulated path could not be joined (ip, tc, nsenter)";

  m_folder = std::make_unique<TempDir>();
  const std::string folder = m_folder->path().string();
  if (!RunProgram({"truncate", "-s", "256M", folder + "/large.bin"}))
    return "the large file for the web server could not be made";
  m_servers.push_back(Start({"nsenter", InNamespace(server), "--", "iperf3", "-s", "-p", std::to_string(kIperfPort)}));
  m_servers.push_back(Start({"nsenter", InNamespace(server), "--", "python3", "-m", "http.server",
                             std::to_string(kHttpPort), "--bind", kServer, "--directory", folder}));
  if (!WaitUntilAnswers(kServer, kIperfPort) || !WaitUntilAnswers(kServer, kHttpPort))
    return "iperf3 -s or the web server did not start in the server namespace";
  return {};
}

std::string EmulatedPath::IperfTarget() const { return std::string("iperf3://") + kServer; }
std::string EmulatedPath::FileUrl() const {
  return "http://" + std::string(kServer) + ":" + std::to_string(kHttpPort) + "/large.bin";
}

std::string EmulatedPath::RunInServer(const std::vector<std::string>& command) const {
  std::vector<std::string> full = {"nsenter", InNamespace(m_serverHolder), "--"};
  full.insert(full.end(), command.begin(), command.end());
  std::string output;
  RunProgram(full, &output);
  return output;
}

}  // namespace zf::test
