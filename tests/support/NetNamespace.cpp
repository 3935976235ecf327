// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/NetNamespace.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace zf::test {
namespace {

std::string g_problem = "the namespace was never entered";

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream file(path);
  file << text;
  file.close();
  return !file.fail();
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Failure(const std::string& step) { return step + ": " + std::strerror(errno); }

std::string EnterNamespaces() {
  const uid_t uid = ::getuid();
  const gid_t gid = ::getgid();
  if (uid == 0) return ::unshare(CLONE_NEWNET) == 0 ? std::string() : Failure("unshare(CLONE_NEWNET)");
  if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return Failure("unshare(CLONE_NEWUSER | CLONE_NEWNET)");
  if (!WriteFile("/proc/self/setgroups", "deny") ||
      !WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
      !WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
    return "cannot map our user into the new user namespace";
  return {};
}

std::string BringLoopbackUp() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Failure("socket");
  ifreq request{};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  request.ifr_flags |= IFF_UP;
  up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  const std::string problem = up ? std::string() : Failure("bringing up lo");
  ::close(fd);
  return problem;
}

struct Capabilities {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
};

bool ReadCapabilities(Capabilities& caps) { return ::syscall(SYS_capget, &caps.header, caps.data) == 0; }
bool WriteCapabilities(Capabilities& caps) { return ::syscall(SYS_capset, &caps.header, caps.data) == 0; }

}  // namespace

std::string EnterOwnNetworkNamespace() {
  if (auto problem = EnterNamespaces(); !problem.empty()) return problem;
  if (auto problem = BringLoopbackUp(); !problem.empty()) return problem;
  const std::string group = std::to_string(::getgid());
  if (!WriteFile("/proc/sys/net/ipv4/ping_group_range", group + " " + group))
    return "cannot allow ICMP datagram sockets in the namespace";
  return {};
}

const std::string& NetworkNamespaceProblem() { return g_problem; }
void SetNetworkNamespaceProblem(std::string problem) { g_problem = std::move(problem); }

ScopedNetSetting::ScopedNetSetting(std::string name, const std::string& value)
    : m_name("/proc/sys/net/" + std::move(name)) {
  m_previous = ReadFile(m_name);
  m_ok = !m_previous.empty() && WriteFile(m_name, value);
}

ScopedNetSetting::~ScopedNetSetting() {
  if (m_ok) WriteFile(m_name, m_previous);
}

ScopedFreshNetworkNamespace::ScopedFreshNetworkNamespace() {
  m_previous = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
  m_ok = m_previous >= 0 && ::unshare(CLONE_NEWNET) == 0 && BringLoopbackUp().empty();
}

ScopedFreshNetworkNamespace::~ScopedFreshNetworkNamespace() {
  if (m_previous < 0) return;
  ::setns(m_previous, CLONE_NEWNET);
  ::close(m_previous);
}

ScopedNoRawSockets::ScopedNoRawSockets() {
  Capabilities caps;
  if (!ReadCapabilities(caps)) return;
  caps.data[CAP_NET_RAW / 32].effective &= ~(1U << (CAP_NET_RAW % 32));
  m_ok = WriteCapabilities(caps);
}

ScopedNoRawSockets::~ScopedNoRawSockets() {
  Capabilities caps;
  if (!m_ok || !ReadCapabilities(caps)) return;
  caps.data[CAP_NET_RAW / 32].effective |= 1U << (CAP_NET_RAW % 32);
  WriteCapabilities(caps);
}

}  // namespace zf::test
