// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "LinuxCliPlatform.h"
#include "cli/CliContext.h"

namespace zf::test {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::filesystem::path BuiltProgram() {
  const char* bin = std::getenv("ZENTROFAST_BIN");
  return std::filesystem::path(bin ? bin : "build/bin") / "zentrofastctl";
}

}  // namespace

CliResult CliRunner::Run(const std::vector<std::string>& args) const {
  std::vector<std::string> argv{"--registry", Store().string()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::ostringstream out, err;
  CliResult result;
  test::LinuxCliPlatform platform;
  result.exitStatus = cli::RunCli(argv, platform.Services(), out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

void CliRunner::UseProgramCopy() {
  m_program = m_folder / "zentrofastctl";
  std::filesystem::copy_file(BuiltProgram(), m_program, std::filesystem::copy_options::overwrite_existing);
}

CliResult CliRunner::RunProgram(const std::vector<std::string>& args, const std::function<void()>& beforeExec) const {
  const std::string program = (m_program.empty() ? BuiltProgram() : m_program).string();
  std::vector<std::string> argv{program, "--registry", Store().string()};
  argv.insert(argv.end(), args.begin(), args.end());
  const auto outFile = m_folder / "program.out", errFile = m_folder / "program.err";
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    if (beforeExec) beforeExec();
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    execv(program.c_str(), pointers.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(outFile), ReadAll(errFile)};
}

}  // namespace zf::test
