// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A live system from a recorded /proc/sys tree (copied, so a test may change it) and scripted links.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kernel/LiveSystem.h"
#include "support/TempDir.h"

namespace zf::test {

inline std::vector<kernel::LinkInfo> RecordedLinks() {
  return {{"lo", 1, 65536, 0, true, ""}, {"eth0", 2, 1500, 9000, false, "52:54:00:12:34:56"}};
}

class RecordedLiveSystem {
 public:
  explicit RecordedLiveSystem(const std::string& tree = "debian12")
      : m_links(RecordedLinks()),
        m_live(m_dir.path().string(), [this] { return Result<std::vector<kernel::LinkInfo>>(m_links); }) {
    std::filesystem::copy(std::filesystem::path(ZF_KERNEL_TEST_DATA) / "procsys" / tree, m_dir.path(),
                          std::filesystem::copy_options::recursive);
  }
  const kernel::ILiveSystem& live() const { return m_live; }
  std::vector<kernel::LinkInfo>& links() { return m_links; }
  void Write(const std::string& key, const std::string& value) { std::ofstream(m_dir.path() / key) << value << "\n"; }

 private:
  TempDir m_dir;
  std::vector<kernel::LinkInfo> m_links;
  kernel::ProcLiveSystem m_live;
};

}  // namespace zf::test
