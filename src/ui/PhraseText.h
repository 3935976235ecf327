// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A phrase of the Qt-free code in the desktop's language: each format looked up whole in the
// catalogue, then filled with its values (which may be phrases too), so the sentence reads as one.
#include <QCoreApplication>
#include <QString>
#include <string>

#include "core/Translatable.h"

namespace zf {

inline std::string TranslatedText(const Phrase& phrase) {
  return phrase.Text([](const char* context, const char* format) {
    return QCoreApplication::translate(context, format).toStdString();
  });
}

}  // namespace zf
