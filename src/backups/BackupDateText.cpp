// SPDX-License-Identifier: GPL-3.0-or-later
#include "backups/BackupDateText.h"

#include <optional>

namespace zf {
namespace {

// The user's full time format without its time zone: a backup's time is a time of day.
QString TimeOfDayFormat(const QLocale& locale) {
  const QString format = locale.timeFormat(QLocale::LongFormat);
  QString result;
  bool quoted = false;
  for (const QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (quoted || c != u't') result += c;
  }
  return result.simplified();
}

// A two-digit year is taken in the hundred years around today (80 back, 19 ahead), so that
// backups on both sides of a turn of the decade or century keep their order.
QDate WithCenturyWindow(QDate date, const QString& format) {
  if (!date.isValid() || format.contains(QStringLiteral("yyyy"))) return date;
  const int thisYear = QDate::currentDate().year();
  int year = thisYear - thisYear % 100 + date.year() % 100;
  if (year > thisYear + 19) year -= 100;
  if (year <= thisYear - 81) year += 100;
  return QDate(year, date.month(), date.day());
}

std::optional<QDate> ParseDate(const QString& text, const QLocale& locale) {
  for (const QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
    const QString format = locale.dateFormat(type);
    const QDate date = WithCenturyWindow(locale.toDate(text, format), format);
    if (date.isValid()) return date;
  }
  const QDate iso = QDate::fromString(text, Qt::ISODate);
  return iso.isValid() ? std::optional<QDate>(iso) : std::nullopt;
}

std::optional<QTime> ParseTime(const QString& text, const QLocale& locale) {
  for (const QString& format : {TimeOfDayFormat(locale), locale.timeFormat(QLocale::ShortFormat)}) {
    const QTime time = locale.toTime(text, format);
    if (time.isValid()) return time;
  }
  const QTime iso = QTime::fromString(text, Qt::ISODate);
  return iso.isValid() ? std::optional<QTime>(iso) : std::nullopt;
}

}  // namespace

QString ShortDateText(QDate date, const QLocale& locale) { return locale.toString(date, QLocale::ShortFormat); }

QString TimeOfDayText(QTime time, const QLocale& locale) { return locale.toString(time, TimeOfDayFormat(locale)); }

double DateValue(const QString& text, const QLocale& locale) {
  const QString trimmed = text.trimmed();
  constexpr double kSecondsPerDay = 86400.0;
  if (const std::optional<QDate> date = ParseDate(trimmed, locale)) {
    return static_cast<double>(QDate(1899, 12, 30).daysTo(*date));
  }
  if (const std::optional<QTime> time = ParseTime(trimmed, locale)) {
    return time->msecsSinceStartOfDay() / 1000.0 / kSecondsPerDay;
  }
  return kNoDateValue;
}

}  // namespace zf
