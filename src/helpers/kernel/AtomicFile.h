// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "core/Result.h"

namespace zf::kernel {

// Replaces path with text in one step (a fresh O_EXCL file beside it, flushed, then renamed),
// mode 0644, so a reader sees the old file or the new one and never a half.
Result<Done> ReplaceFileAtomically(const std::string& path, const std::string& text);
// Removes path when it is there; a missing file is fine.
Result<Done> RemoveFile(const std::string& path);

}  // namespace zf::kernel
