// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tool's sentences for people, in the language the locale names (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG) where a gettext catalogue of the domain "zentrofastctl" exists; English
// otherwise. People read the help, every message on standard error and the sentences that say
// what a command did; reports made of fields (tables, "Label: value" lines, JSON, .reg files,
// exports) are read by scripts too and never go through Say. Numbers keep the C locale's form.
#include <concepts>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/Translatable.h"

namespace zf::cli {

// Chooses the messages' language from the environment and finds the catalogues: locale/ beside
// the program (a build), else ../share/locale (installed). Only the program's main calls it, so
// the tests read English.
void UseMessageLanguage(const std::filesystem::path& executableFolder);

// The sentence in the chosen language; its %1, %2, ... stay for the caller to fill.
const char* Say(const char* english);
// A finished message of the code below in the chosen language, where the catalogue holds it whole
// (ZF_CLI_TRANSLATABLE); as it stands otherwise.
inline std::string Say(const std::string& english) { return Say(english.c_str()); }
// A phrase of the code below with each of its formats in the chosen language.
inline std::string Say(const Phrase& phrase) {
  return phrase.Text([](const char*, const char* format) { return std::string(Say(format)); });
}

inline std::string ArgumentText(std::string_view text) { return std::string(text); }
inline std::string ArgumentText(std::integral auto number) { return std::to_string(number); }

// The sentence in the chosen language with its %1, %2, ... filled in.
template <typename... Values>
requires(sizeof...(Values) > 0) std::string Say(const char* english, const Values&... values) {
  const std::string texts[] = {ArgumentText(values)...};
  return FillArguments(Say(english), texts);
}

}  // namespace zf::cli
