// SPDX-License-Identifier: GPL-3.0-or-later
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/account.h"

namespace zf {
namespace {

std::optional<std::filesystem::path> Absolute(const char* path) {
  if (path == nullptr || path[0] != '/') return std::nullopt;
  return std::filesystem::path(path);
}

std::optional<std::filesystem::path> AccountHome() {
  std::vector<char> buffer(1024);
  for (;;) {
    passwd entry{};
    passwd* found = nullptr;
    const int error = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found);
    if (error == ERANGE && buffer.size() < (1U << 20)) {
      buffer.resize(buffer.size() * 4);
      continue;
    }
    if (error != 0 || found == nullptr) return std::nullopt;
    return Absolute(found->pw_dir);
  }
}

}  // namespace

std::optional<std::filesystem::path> UserHomeFolder() {
  if (auto home = Absolute(std::getenv("HOME"))) return home;
  return AccountHome();
}

}  // namespace zf
