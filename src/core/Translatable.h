// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the Qt-free code that a form shows. Each is marked for the catalogue with its context
// (lupdate reads ZF_TRANSLATABLE as QT_TRANSLATE_NOOP), and the form looks it up there before it
// fills the %1 in; the command line and the tests use the English text as it is.
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#define ZF_TRANSLATABLE(context, text) text
// A text for the command line's gettext catalogue (xgettext reads ZF_CLI_TRANSLATABLE): a sentence
// zentrofastctl keeps in a constant, or a whole message of the code below that it prints and looks
// up as it stands. lupdate does not read it.
#define ZF_CLI_TRANSLATABLE(text) text
// A format both catalogues hold: the desktop's (lupdate reads it as QT_TRANSLATE_NOOP) and the
// command line's (xgettext reads its text), for a Phrase that both show.
#define ZF_SHARED_TRANSLATABLE(context, text) context, text

namespace zf {

// The format with its first %1 replaced by the value.
inline std::string FillArgument(std::string_view format, std::string_view value) {
  std::string text(format);
  if (const auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, value);
  return text;
}

// The format with %1 to %9 replaced by the values, in one pass: a value that holds "%2" stays as it
// is, and a translation may put the arguments in another order.
inline std::string FillArguments(std::string_view format, std::span<const std::string> values) {
  std::string text;
  text.reserve(format.size());
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char next = i + 1 < format.size() ? format[i + 1] : '\0';
    if (format[i] == '%' && next >= '1' && next <= '9' && static_cast<std::size_t>(next - '0') <= values.size()) {
      text += values[next - '1'];
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

// A message built with values in it, kept as its English format and the arguments, so that each
// reader translates the format whole: the desktop in its catalogue under the context, the command
// line through gettext; English() is what logs, stores and JSON hold.
struct Phrase {
  Phrase() = default;
  // Implicit: a plain string is a value, never translated.
  Phrase(std::string value) : text(std::move(value)) {}
  Phrase(const char* value) : text(value) {}
  static Phrase Format(const char* context, const char* format, std::vector<Phrase> arguments = {}) {
    Phrase phrase(format);
    phrase.context = context;
    phrase.isFormat = true;
    phrase.arguments = std::move(arguments);
    return phrase;
  }

  // The phrase with every format replaced by translate(context, format) before it is filled.
  template <typename Translate>
  std::string Text(const Translate& translate) const {
    if (!isFormat) return text;
    std::vector<std::string> values;
    for (const Phrase& argument : arguments) values.push_back(argument.Text(translate));
    return FillArguments(translate(context, text.c_str()), values);
  }
  std::string English() const {
    return Text([](const char*, const char* format) { return std::string(format); });
  }
  bool empty() const { return text.empty(); }

  std::string text;  // the format, or the value
  const char* context = "";
  bool isFormat = false;
  std::vector<Phrase> arguments;
};

}  // namespace zf
