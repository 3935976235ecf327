// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An emulated network path for connection tests, built only of namespaces this test makes:
//
//   this process's namespace ── veth (tbf rate on the far end's egress) ── router namespace
//   ── zf-delay-line (two TUN devices, each packet held D/2 each way) ── server namespace
//
// The server namespace runs `iperf3 -s` and a plain HTTP server over a large file.
// The test program must already sit in a network namespace of its own (zf_add_netns_gtest).
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace zf::test {

class TempDir;

struct PathShape {
  int rateMbit = 100;
  int roundTripMs = 40;
  int narrowMtu = 0;  // when set, the router's hop towards the server has this MTU
};

class EmulatedPath {
 public:
  static constexpr const char* kServer = "10.77.2.2";
  static constexpr const char* kSilentHost = "10.77.2.9";  // routed, but nobody answers
  static constexpr int kIperfPort = 5201;
  static constexpr int kHttpPort = 8080;

  explicit EmulatedPath(PathShape shape = {});
  ~EmulatedPath();
  EmulatedPath(const EmulatedPath&) = delete;
  EmulatedPath& operator=(const EmulatedPath&) = delete;

  // Empty when the path stands, otherwise why not.
  const std::string& problem() const { return m_problem; }
  std::string IperfTarget() const;
  std::string FileUrl() const;  // a large file
  // Runs a command in the server's namespace and waits for it; its standard output.
  std::string RunInServer(const std::vector<std::string>& command) const;
  pid_t serverPid() const { return m_serverHolder; }

 private:
  std::string Build(const PathShape& shape);

  std::string m_problem;
  std::unique_ptr<TempDir> m_folder;
  pid_t m_serverHolder = -1;
  pid_t m_delayLine = -1;
  std::vector<pid_t> m_servers;
};

// Runs a program (no shell) and waits; its standard output, or nothing when it failed.
bool RunProgram(const std::vector<std::string>& command, std::string* output = nullptr);

}  // namespace zf::test
