// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the Qt-free code that a form shows. Each is marked for the catalogue with its context
// (lupdate reads ZF_TRANSLATABLE as QT_TRANSLATE_NOOP), and the form looks it up there before it
// fills the %1 in; the command line and the tests use the English text as it is.
#include <string>
#include <string_view>

#define ZF_TRANSLATABLE(context, text) text

namespace zf {

// The format with its first %1 replaced by the value.
inline std::string FillArgument(std::string_view format, std::string_view value) {
  std::string text(format);
  if (const auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, value);
  return text;
}

}  // namespace zf
