#pragma once

#include "platform/SystemClock.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace tarnvik::TimeServerReply {

// The reply of a TIME server (RFC 868) is 4 bytes: the seconds since
// 1900-01-01 00:00:00 UTC as an unsigned number, most significant byte first.
inline constexpr int ReplyLength = 4;
// Seconds from 1900-01-01 to 1990-01-01, the epoch the station counts from.
inline constexpr qint64 SecondsFrom1900To1990 = 2840140800LL;
// Smallest value whose seconds since 1990 fit a signed 32-bit number.
inline constexpr quint32 SmallestUsableValue = 692657152U;

// The bytes of a reply kept as text, one character per byte in the 8-bit
// code page.
QByteArray bytesOf(const QString &replyText);

// The server's value, or nothing when the reply is not exactly 4 bytes.
std::optional<quint32> valueOf(const QByteArray &reply);

// Whether value - SecondsFrom1900To1990 fits a signed 32-bit number.
bool fits(quint32 value);
// The seconds since 1990-01-01 of a value that fits.
qint32 secondsSince1990(quint32 value);
// The moment, in UTC, that lies secs seconds after 1990-01-01 00:00:00.
QDateTime syncedMoment(qint32 secs);

// The day this program was built (UTC). A reply naming an earlier moment is
// wrong: the clock is not set from it.
QDate buildDay();
bool beforeBuild(const QDateTime &moment);

// The clock record of a moment: its UTC year, month, day, hour, minute and
// second; day of week and milliseconds 0.
SystemTimeRecord recordOf(const QDateTime &moment);

} // namespace tarnvik::TimeServerReply
