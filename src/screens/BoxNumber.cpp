// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/BoxNumber.h"

#include <cmath>

namespace zf {

std::optional<double> ReadBoxNumber(const QString& text, const QLocale& boxLocale) {
  const QString trimmed = text.trimmed();
  bool ok = false;
  double value = boxLocale.toDouble(trimmed, &ok);
  if (!ok) value = QLocale::c().toDouble(trimmed, &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

QString BoxNumberText(double value, const QLocale& boxLocale) {
  QLocale plain = boxLocale;
  plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
  return plain.toString(value, 'g', 15);
}

}  // namespace zf
