// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tool's sentences for people, in the language the locale names (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG) where a gettext catalogue of the domain "zentrofastctl" exists; English
// otherwise. Machine-read output (fields, values, JSON) never goes through Say, and numbers keep
// the C locale's form.
#include <filesystem>
#include <string>

namespace zf::cli {

// Chooses the messages' language from the environment and finds the catalogues: locale/ beside
// the program (a build), else ../share/locale (installed). Only the program's main calls it, so
// the tests read English.
void UseMessageLanguage(const std::filesystem::path& executableFolder);

// The sentence in the chosen language; %1 in it stays for the caller to fill.
const char* Say(const char* english);
// The sentence with its %1 filled in.
std::string Say(const char* english, const std::string& value);

}  // namespace zf::cli
