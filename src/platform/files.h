#pragma once
// Files that appear whole or not at all: written and flushed under a temporary name, then given
// their final name in one step that never replaces another file.
#include <filesystem>
#include <string>
#include <string_view>

namespace zf {

// Writes data to a new file named prefix plus six random characters in folder and flushes it to
// disk. Returns its path, or an empty path with the reason in error.
std::filesystem::path WriteDurableTempFile(const std::filesystem::path& folder, std::string_view prefix,
                                           std::string_view data, std::string* error);

enum class PublishResult { Published, TargetExists, Failed };

// Renames the flushed file from to to (same folder) unless to exists, then flushes the folder so
// the new name survives a crash. On Failed neither name is left behind under to.
PublishResult PublishDurably(const std::filesystem::path& from, const std::filesystem::path& to, std::string* error);

}  // namespace zf
