// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/HelperProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/fdio.h"

extern char** environ;

namespace zf::kernel {

// One object with a name of its own, so the path stays whole in the program and a look at an
// installed binary can find it (the prefix test does).
extern const char kInstalledHelperPath[];
const char kInstalledHelperPath[] = ZENTROFAST_HELPER_PATH;

std::string InstalledHelperPath() { return kInstalledHelperPath; }

std::vector<std::string> HelperCommandLine() {
  if (::geteuid() != 0) return {"/usr/bin/pkexec", InstalledHelperPath()};
  std::error_code error;
  const auto beside = std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / "zentrofast-kernel-helper";
  if (!error && ::access(beside.c_str(), X_OK) == 0) return {beside.string()};
  return {InstalledHelperPath()};
}

HelperProcess::~HelperProcess() {
  if (m_pid > 0 && m_status < 0) Finish();
  if (m_err >= 0) ::close(m_err);
}

std::string HelperProcess::ErrorOutput() const {
  constexpr off_t kKept = 4096;
  if (m_err < 0) return {};
  const off_t size = ::lseek(m_err, 0, SEEK_END);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(std::min(size, kKept)), '\0');
  const ssize_t n = ::pread(m_err, text.data(), text.size(), size - static_cast<off_t>(text.size()));
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return text;
}

Result<Done> HelperProcess::Start(const std::vector<std::string>& commandLine) {
  // Its input is a socket, so that writing to a helper that is gone is EPIPE for this call alone.
  int in[2], out[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0)
    return Error{std::string("cannot make a socket pair: ") + std::strerror(errno)};
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]);
    ::close(in[1]);
    return Error{std::string("cannot make a pipe: ") + std::strerror(errno)};
  }
  m_err = ::memfd_create("zentrofast-helper-stderr", MFD_CLOEXEC);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (m_err >= 0) posix_spawn_file_actions_adddup2(&actions, m_err, STDERR_FILENO);
  std::vector<std::string> arguments = commandLine;
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[1]);
  ::close(out[1]);
  m_in = in[0];
  m_out = out[0];
  if (spawned != 0) {
    m_pid = -1;
    return Error{"cannot start " + commandLine.front() + ": " + std::strerror(spawned), ErrorKindOf(spawned)};
  }
  return Done{};
}

bool HelperProcess::Send(const std::string& text) { return m_in >= 0 && fdio::SendAll(m_in, text) == 0; }

ReadOutcome HelperProcess::ReadLine(int timeoutMs, std::string& line) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (const auto end = m_buffer.find('\n'); end != std::string::npos) {
      line = m_buffer.substr(0, end);
      m_buffer.erase(0, end + 1);
      return ReadOutcome::Line;
    }
    if (m_out < 0) return ReadOutcome::Closed;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd fd{m_out, POLLIN, 0};
    const int ready = ::poll(&fd, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (ready == 0) return ReadOutcome::Timeout;
    if (ready < 0 && errno == EINTR) continue;
    char buffer[1024];
    const ssize_t n = ready < 0 ? -1 : ::read(m_out, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || m_buffer.size() > 65536) {
      ::close(m_out);
      m_out = -1;
      continue;
    }
    m_buffer.append(buffer, static_cast<std::size_t>(n));
  }
}

int HelperProcess::Finish() {
  if (m_in >= 0) ::close(m_in);
  m_in = -1;
  if (m_pid > 0 && m_status < 0) {
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  if (m_out >= 0) ::close(m_out);
  m_out = -1;
  return m_status;
}

namespace {

std::string FromATerminal(std::string_view command) {
  return "in a terminal run \"sudo zentrofastctl kernel " + std::string(command) + "\"";
}

bool Says(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// pkexec's last words, for the causes it has no sentence of ours for.
std::string LastLine(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
  const auto start = text.rfind('\n');
  return std::string(start == std::string_view::npos ? text : text.substr(start + 1));
}

// pkexec ends with 127 for every refusal but the dismissed dialog; its standard error says which.
Error PkexecRefusal(std::string_view said, std::string_view command) {
  const std::string terminal = FromATerminal(command);
  if (Says(said, "No authentication agent") || Says(said, "authentication agent:") ||
      Says(said, "no authentication was found"))
    return Error{"no polkit authentication agent answered, so nothing was changed; " + terminal +
                     " (or start pkttyagent and try again)",
                 ErrorKind::NoAuthenticationAgent};
  if (Says(said, "Error accessing ") || Says(said, "Cannot run program") || Says(said, "Error executing /"))
    return Error{"the kernel helper is not installed at " + InstalledHelperPath() +
                     ", so nothing was changed; reinstall the zentrofast package",
                 ErrorKind::HelperNotInstalled};
  if (Says(said, "Error getting authority") || Says(said, "Error checking for authorization"))
    return Error{
        "polkit does not answer (is polkitd running?), so nothing was changed; start it with "
        "\"systemctl start polkit\", or " +
            terminal,
        ErrorKind::PolkitUnavailable};
  if (Says(said, "Not authorized"))
    return Error{
        "a polkit rule does not allow this user to change the network settings, so nothing was changed; "
        "ask an administrator, or " +
            terminal,
        ErrorKind::PolkitRuleRefused};
  const std::string last = LastLine(said);
  return Error{"pkexec could not start the kernel helper" + (last.empty() ? std::string() : " (" + last + ")") +
               ", so nothing was changed; " + terminal};
}

}  // namespace

Error EndedHelperError(int exitStatus, bool throughPkexec, std::string_view pkexecSaid, std::string_view command) {
  if (throughPkexec && exitStatus == 127) return PkexecRefusal(pkexecSaid, command);
  if (throughPkexec && exitStatus == 126)
    return Error{"authorisation was refused or cancelled; nothing was changed", ErrorKind::AuthorisationRefused};
  return Error{"the kernel helper ended without an answer (exit status " + std::to_string(exitStatus) + ")"};
}

Error MissingPkexecError(std::string_view command) {
  return Error{"pkexec (the Debian package \"pkexec\") is not installed, so nothing was changed; install it, or " +
                   FromATerminal(command),
               ErrorKind::NoPkexec};
}

}  // namespace zf::kernel
