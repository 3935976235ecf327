// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The catalogue of the user's language, from the program folder's translations/ (share/zentrofast
// when installed, bin/ in a build); without one the program speaks English, its source language.
#include <QLocale>
#include <QString>
#include <QStringList>

class QCoreApplication;

namespace zf {

// Where the catalogues are looked for, first match first: the folder beside the programs (a build
// or portable folder), then the installed share/zentrofast/translations.
QStringList TranslationFolders(const QString& executableFolder);

// Installs Qt's own catalogue (standard buttons) and the program's for the locale; returns the
// file of the program's catalogue, or an empty string when none fits.
QString InstallTranslations(QCoreApplication& application, const QLocale& locale, const QStringList& folders);

}  // namespace zf
