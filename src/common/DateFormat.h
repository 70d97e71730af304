#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

namespace tarnvik {

// The date patterns the station shows and stores, written with the letters
// of the classic format patterns: d day, m month (minutes right after an h or
// right before an s), y year, h hour, n minutes, s seconds; dddd and mmmm are
// the full day and month names in the language of the default locale;
// "am/pm" (or "AM/PM") puts the hour on a 12-hour clock.
namespace DatePattern {
inline constexpr const char *Long = "dddd dd mmmm yyyy";
inline constexpr const char *Short = "dd/mm/yyyy";
inline constexpr const char *Time = "hh:mm:ss am/pm";
inline constexpr const char *Query = "mm/dd/yyyy";
inline constexpr const char *Pairing = "dd-mm-yyyy hh:mm:ss";
} // namespace DatePattern

QString formatDate(const QDateTime &moment, const QString &pattern);
inline QString formatDate(const QDate &date, const QString &pattern)
{
    return formatDate(QDateTime(date, QTime(0, 0)), pattern);
}

// Stored forms in the database: dates "yyyy-MM-dd", times "HH:mm:ss".
QString toStoredDate(const QDate &date);
QString toStoredTime(const QTime &time);
// Reads a stored date or time back; invalid for Null or a text of another form.
QDate dateFromStored(const QVariant &value);
QTime timeFromStored(const QVariant &value);

// A value as it goes into the database: dates, times and moments as text in
// their stored forms, booleans as 0 or 1; anything else unchanged.
QVariant toStoredValue(const QVariant &value);

} // namespace tarnvik
