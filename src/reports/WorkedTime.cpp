#include "reports/WorkedTime.h"

#include "common/DateFormat.h"
#include "localisation/LOCRTSModule.h"

namespace tarnvik::WorkedTime {

namespace {
constexpr int UnitTextNumber = 1032;
}

QString atWorkSuffix()
{
    return QStringLiteral(" (Employé(e) au travail)");
}

QString text(qint64 minutes, const QString &unit)
{
    const qint64 size = minutes < 0 ? -minutes : minutes;
    return (minutes < 0 ? QStringLiteral("-") : QString()) + QString::number(size / 60) + QLatin1Char(':') +
           QStringLiteral("%1").arg(size % 60, 2, 10, QLatin1Char('0')) + unit;
}

QString text(qint64 minutes)
{
    return text(minutes, LOC_RTString(UnitTextNumber));
}

QString totalText(qint64 minutes, bool atWork)
{
    return atWork ? text(minutes) + atWorkSuffix() : text(minutes);
}

qint64 roundedMinutes(qint64 seconds)
{
    // Floor division, so that negative differences round the same way.
    qint64 whole = seconds / 60;
    qint64 rest = seconds % 60;
    if (rest < 0) {
        rest += 60;
        --whole;
    }
    if (rest > 30 || (rest == 30 && (whole % 2 != 0)))
        ++whole;
    return whole;
}

namespace {

// Digits at text[from..from+count) as a number; -1 when one is not a digit.
int digitsAt(const QString &text, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The stored forms read directly (a report reads tens of thousands of
// punches); any other form goes through the general readers.
QDate readDate(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::QString) {
        const QString text = stored.toString();
        if (text.size() == 10 && text.at(4) == QLatin1Char('-') && text.at(7) == QLatin1Char('-')) {
            const int year = digitsAt(text, 0, 4);
            const QDate date(year, digitsAt(text, 5, 2), digitsAt(text, 8, 2));
            if (year > 0 && date.isValid())
                return date;
        }
    }
    return dateFromStored(stored);
}

QTime readTime(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::QString) {
        const QString text = stored.toString();
        if (text.size() == 8 && text.at(2) == QLatin1Char(':') && text.at(5) == QLatin1Char(':')) {
            const QTime time(digitsAt(text, 0, 2), digitsAt(text, 3, 2), digitsAt(text, 6, 2));
            if (time.isValid())
                return time;
        }
    }
    return timeFromStored(stored);
}

} // namespace

qint64 instant(const QVariant &storedDate, const QVariant &storedTime, bool *valid)
{
    const QDate date = readDate(storedDate);
    const QTime time = readTime(storedTime);
    if (valid)
        *valid = date.isValid();
    const qint64 seconds = time.isValid() ? time.msecsSinceStartOfDay() / 1000 : 0;
    return (date.isValid() ? date.toJulianDay() : 0) * 86400 + seconds;
}

Direction direction(const QString &inOut)
{
    if (inOut == QLatin1String("In"))
        return Direction::In;
    if (inOut == QLatin1String("Out"))
        return Direction::Out;
    return Direction::Other;
}

void Pairing::add(Direction direction, qint64 instant, bool lastOfList)
{
    switch (direction) {
    case Direction::In:
        ++m_ins;
        if (!lastOfList) {
            m_open = true;
            m_lastIn = instant;
        }
        break;
    case Direction::Out:
        ++m_outs;
        if (m_open) {
            const qint64 pair = roundedMinutes(instant - m_lastIn);
            if (pair >= -LongestPairMinutes - 1 && pair <= LongestPairMinutes)
                m_minutes += pair;
            m_open = false;
        }
        break;
    case Direction::Other:
        break;
    }
}

} // namespace tarnvik::WorkedTime
