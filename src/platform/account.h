// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's home folder, for files that must never land in the current or a shared folder.
#include <filesystem>
#include <optional>

namespace zf {

// $HOME when it is an absolute path, else the home of the effective user's entry in the password
// database; nothing when neither names an absolute path.
std::optional<std::filesystem::path> UserHomeFolder();

}  // namespace zf
