// SPDX-License-Identifier: GPL-3.0-or-later
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
  // From now on RunProgram runs a copy of the program in the store's folder, which other users
  // can reach when that folder lets them (a checkout may sit in a folder only its owner enters).
  void UseProgramCopy();

 private:
  TempDir m_folder;
  std::filesystem::path m_program;
};

}  // namespace zf::test
