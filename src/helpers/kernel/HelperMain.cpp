// SPDX-License-Identifier: GPL-3.0-or-later
// zentrofast-kernel-helper: the one privileged part of the kernel bridge. It reads one request on
// standard input (see kernel/HelperProtocol.h), trusts nothing in its environment and takes no
// options.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "helpers/kernel/HelperPaths.h"
#include "helpers/kernel/Transaction.h"
#include "kernel/LiveSystem.h"

namespace {

using namespace zf::kernel;
using zf::Error;
using zf::Result;

// The caller's user, read before the environment is cleared: pkexec names it in PKEXEC_UID; started
// by root without pkexec, it is our real user. (Asking our parent later names whoever inherits us
// once the caller has exited.)
uid_t CallerUid() {
  const char* named = std::getenv("PKEXEC_UID");
  if (named == nullptr || *named == '\0') return ::getuid();
  char* end = nullptr;
  errno = 0;
  const unsigned long uid = std::strtoul(named, &end, 10);
  if (errno != 0 || *end != '\0' || !std::isdigit(static_cast<unsigned char>(*named)) ||
      uid >= static_cast<unsigned long>(static_cast<uid_t>(-1)))
    return ::getuid();
  return static_cast<uid_t>(uid);
}

std::string UserName(uid_t uid) {
  passwd entry{};
  passwd* found = nullptr;
  char buffer[1024];
  if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found) return found->pw_name;
  return std::to_string(uid);
}

bool MakeRootFolder(const char* path) {
  ::mkdir(path, 0755);
  struct stat info {};
  return ::lstat(path, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == 0 && (info.st_mode & 022) == 0;
}

int SignalDescriptor() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaddset(&signals, signal);
  ::sigprocmask(SIG_BLOCK, &signals, nullptr);
  return ::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
}

Result<HelperRequest> ReadRequest(Channel& channel) {
  RequestParser parser;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (std::string line;;) {
    const ChannelEvent event = channel.Next(deadline, line);
    if (event != ChannelEvent::Line) return Error{"no whole request came"};
    auto ended = parser.Line(line);
    if (!ended) return ended.error();
    if (ended.value()) return parser.request();
  }
}

int Refuse(Channel& channel, const std::string& reason) {
  channel.Answer("refused " + reason);
  return 1;
}

}  // namespace

int main() {
  ::signal(SIGPIPE, SIG_IGN);
  const uid_t caller = CallerUid();
  ::clearenv();
  ::umask(022);
  Channel channel(STDIN_FILENO, STDOUT_FILENO, SignalDescriptor());
  if (::geteuid() != 0) return Refuse(channel, "the helper must run as root");
  if (!MakeRootFolder(paths::kRunFolder) || !MakeRootFolder(paths::kStateFolder))
    return Refuse(channel, "cannot prepare /run/zentrofast and /var/lib/zentrofast");
  const int lock = ::open(paths::kLock, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) != 0)
    return Refuse(channel, "another change is waiting for confirmation");
  auto recovered = RecoverJournal();
  if (!recovered) return Refuse(channel, recovered.error().text);
  auto request = ReadRequest(channel);
  if (!request) {
    if (!recovered->report.empty()) channel.Answer("note " + recovered->report);
    return Refuse(channel, request.error().text);
  }
  return RunRequest(request.value(), UserName(caller), recovered.value(), channel);
}
