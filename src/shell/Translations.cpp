// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace zf {

QStringList TranslationFolders(const QString& executableFolder) {
  const QDir programs(executableFolder);
  return {programs.filePath(QStringLiteral("translations")),
          QDir::cleanPath(programs.filePath(QStringLiteral("../share/zentrofast/translations")))};
}

QString InstallTranslations(QCoreApplication& application, const QLocale& locale, const QStringList& folders) {
  auto* qt = new QTranslator(&application);
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  }
  for (const QString& folder : folders) {
    auto* own = new QTranslator(&application);
    if (own->load(locale, QStringLiteral("zentrofast"), QStringLiteral("_"), folder)) {
      QCoreApplication::installTranslator(own);
      return own->filePath();
    }
    delete own;
  }
  return {};
}

}  // namespace zf
