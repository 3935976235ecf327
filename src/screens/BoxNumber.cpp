// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/BoxNumber.h"

#include <cmath>

namespace zf {
namespace {

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F); }

// The locale groups with a blank of its own; keyboards type an ordinary one.
QString WithLocaleBlanks(const QString& text, const QLocale& boxLocale) {
  const QString group = boxLocale.groupSeparator();
  if (group.size() != 1 || !IsBlank(group.front())) return text;
  QString normal = text;
  for (QChar& c : normal)
    if (IsBlank(c)) c = group.front();
  return normal;
}

}  // namespace

std::optional<double> ReadBoxNumber(const QString& text, const QLocale& boxLocale) {
  const QString trimmed = WithLocaleBlanks(text.trimmed(), boxLocale);
  bool ok = false;
  double value = boxLocale.toDouble(trimmed, &ok);
  if (!ok) value = QLocale::c().toDouble(trimmed, &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

bool IsNumberBeingTyped(const QString& text, const QLocale& boxLocale) {
  const QString marks = boxLocale.decimalPoint() + boxLocale.groupSeparator() + boxLocale.negativeSign() +
                        boxLocale.positiveSign() + QStringLiteral(".,-+");
  for (QChar c : text)
    if (!c.isDigit() && !IsBlank(c) && !marks.contains(c)) return false;
  return true;
}

QString BoxNumberText(double value, const QLocale& boxLocale) {
  QLocale plain = boxLocale;
  plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
  return plain.toString(value, 'g', 15);
}

}  // namespace zf
