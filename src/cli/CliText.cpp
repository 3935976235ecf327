// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliText.h"

#include <libintl.h>

#include <clocale>
#include <system_error>

namespace zf::cli {
namespace {

constexpr char kDomain[] = "zentrofastctl";

}  // namespace

void UseMessageLanguage(const std::filesystem::path& executableFolder) {
  // Messages and the characters they are written in; never LC_NUMERIC, which would turn the
  // decimal point of machine-read figures into a comma.
  std::setlocale(LC_MESSAGES, "");
  std::setlocale(LC_CTYPE, "");
  std::error_code ignored;
  std::filesystem::path folder = executableFolder / "locale";
  if (!std::filesystem::is_directory(folder, ignored)) folder = executableFolder.parent_path() / "share" / "locale";
  bindtextdomain(kDomain, folder.c_str());
  bind_textdomain_codeset(kDomain, "UTF-8");
}

const char* Say(const char* english) { return dgettext(kDomain, english); }

}  // namespace zf::cli
