#include "station/TimeServerReply.h"

#include "common/Windows1252.h"

#include <limits>

namespace tarnvik::TimeServerReply {

QByteArray bytesOf(const QString &replyText)
{
    return Windows1252::encode(replyText);
}

std::optional<quint32> valueOf(const QByteArray &reply)
{
    if (reply.size() != ReplyLength)
        return std::nullopt;
    const auto byte = [&reply](int i) { return quint32(quint8(reply.at(i))); };
    return byte(0) * 16777216U + byte(1) * 65536U + byte(2) * 256U + byte(3);
}

bool fits(quint32 value)
{
    return qint64(value) - SecondsFrom1900To1990 >= std::numeric_limits<qint32>::min();
}

qint32 secondsSince1990(quint32 value)
{
    Q_ASSERT(fits(value));
    return qint32(qint64(value) - SecondsFrom1900To1990);
}

QDateTime syncedMoment(qint32 secs)
{
    return QDateTime(QDate(1990, 1, 1), QTime(0, 0), Qt::UTC).addSecs(secs);
}

QDate buildDay()
{
    // Set by the build from the day it was configured, which comes before
    // the program was built.
    static const QDate day = QDate::fromString(QStringLiteral(TARNVIK_BUILD_DAY), Qt::ISODate);
    return day;
}

bool beforeBuild(const QDateTime &moment)
{
    return moment < QDateTime(buildDay(), QTime(0, 0), Qt::UTC);
}

SystemTimeRecord recordOf(const QDateTime &moment)
{
    const QDateTime utc = moment.toUTC();
    SystemTimeRecord record;
    record.year = quint16(utc.date().year());
    record.month = quint16(utc.date().month());
    record.day = quint16(utc.date().day());
    record.hour = quint16(utc.time().hour());
    record.minute = quint16(utc.time().minute());
    record.second = quint16(utc.time().second());
    return record;
}

} // namespace tarnvik::TimeServerReply
