// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A network namespace of the test program's own, so echo tests can switch replies off and
// change socket permissions without touching the machine: nothing sent there leaves it.
#include <string>

namespace zf::test {

// Moves the whole process into a new network namespace (inside a new user namespace when not
// root) with loopback up and ICMP datagram sockets allowed for its group. Call before any
// thread starts. Empty when it worked, otherwise the reason.
std::string EnterOwnNetworkNamespace();

// The reason the test program's main could not enter its namespace; empty when it did.
const std::string& NetworkNamespaceProblem();
void SetNetworkNamespaceProblem(std::string problem);

// Writes /proc/sys/net/<name> ("ipv4/icmp_echo_ignore_all") and puts the old value back.
class ScopedNetSetting {
 public:
  ScopedNetSetting(std::string name, const std::string& value);
  ~ScopedNetSetting();
  ScopedNetSetting(const ScopedNetSetting&) = delete;
  ScopedNetSetting& operator=(const ScopedNetSetting&) = delete;
  bool ok() const { return m_ok; }

 private:
  std::string m_name;
  std::string m_previous;
  bool m_ok = false;
};

// Moves the process into yet another new network namespace for a scope, loopback up and every
// setting at the system's defaults (so ICMP datagram sockets are refused); back afterwards.
class ScopedFreshNetworkNamespace {
 public:
  ScopedFreshNetworkNamespace();
  ~ScopedFreshNetworkNamespace();
  ScopedFreshNetworkNamespace(const ScopedFreshNetworkNamespace&) = delete;
  ScopedFreshNetworkNamespace& operator=(const ScopedFreshNetworkNamespace&) = delete;
  bool ok() const { return m_ok; }

 private:
  int m_previous = -1;
  bool m_ok = false;
};

// Takes CAP_NET_RAW out of the effective capabilities for a scope (the permitted set keeps it).
class ScopedNoRawSockets {
 public:
  ScopedNoRawSockets();
  ~ScopedNoRawSockets();
  ScopedNoRawSockets(const ScopedNoRawSockets&) = delete;
  ScopedNoRawSockets& operator=(const ScopedNoRawSockets&) = delete;
  bool ok() const { return m_ok; }

 private:
  bool m_ok = false;
};

}  // namespace zf::test

// First line of every test that needs the namespace.
#define ZF_REQUIRE_OWN_NETWORK_NAMESPACE()                                                                            \
  do {                                                                                                                \
    if (!::zf::test::NetworkNamespaceProblem().empty())                                                               \
      GTEST_SKIP() << "no network namespace of our own could be made here (" << ::zf::test::NetworkNamespaceProblem() \
                   << "); echo tests need one";                                                                       \
  } while (false)
