#pragma once
// Runs zentrofastctl command lines, in-process or as the real program, against a store in a
// temporary folder.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace zf::test {

struct CliResult {
  int exitStatus = -1;
  std::string out;
  std::string err;
};

class CliRunner {
 public:
  std::filesystem::path Store() const { return m_folder / "registry.sqlite3"; }
  std::filesystem::path File(const std::string& name) const { return m_folder / name; }

  // zentrofastctl --registry STORE args…, run by RunCli in this process.
  CliResult Run(const std::vector<std::string>& args) const;
  // The same through the built program found in $ZENTROFAST_BIN; beforeExec runs in the child.
  CliResult RunProgram(const std::vector<std::string>& args, const std::function<void()>& beforeExec = {}) const;

 private:
  TempDir m_folder;
};

}  // namespace zf::test
