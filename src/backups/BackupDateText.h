// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dates and times of backups as the user reads them, and back: the list shows a backup's date
// in the user's short date format and its time of day in the user's time format, and sorts by
// converting that text back.
#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

namespace zf {

QString ShortDateText(QDate date, const QLocale& locale = QLocale());
QString TimeOfDayText(QTime time, const QLocale& locale = QLocale());

// A date, a time of day or both as one ordered number (days, the time as the fraction).
// Text that is neither orders before every real date.
double DateValue(const QString& text, const QLocale& locale = QLocale());
inline constexpr double kNoDateValue = -1.0e300;

}  // namespace zf
