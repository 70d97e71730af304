#pragma once

#include <QString>
#include <QVariant>

namespace tarnvik {

// Worked time as the reports count and write it: punches of one employee on
// one sub-project are paired In to Out, each pair counting the minutes
// between its two instants, and totals are written as hours and minutes.
namespace WorkedTime {

// Appended to a total whose In and Out counts differ: the employee is still
// at work, so the total is not final.
QString atWorkSuffix();

// "h:mm" followed by unit: whole hours of any size without leading zeros, a
// colon, two digits of minutes. A negative total reads "-h:mm".
QString text(qint64 minutes, const QString &unit);
// The same with the language file's unit text (" Heures:Minutes").
QString text(qint64 minutes);
// text(minutes), followed by the at-work suffix when atWork is set.
QString totalText(qint64 minutes, bool atWork);

// Seconds turned into whole minutes, rounded to the nearest, halves to even
// (30 s give 0, 90 s give 2, 150 s give 2, 151 s give 3).
qint64 roundedMinutes(qint64 seconds);

// A pair longer than this many minutes either way is taken for a punching
// mistake and adds nothing (about 22 days and 18 hours).
inline constexpr qint64 LongestPairMinutes = 32767;

// The moment of a punch in seconds on a count of days: its date (stored
// "yyyy-MM-dd") at its time of day (stored "HH:mm:ss"; no time counts as
// midnight). Only differences of instants are meaningful; there is no time
// zone, so a pair across a clock change counts wall-clock time. valid
// receives false when the date is not a date.
qint64 instant(const QVariant &storedDate, const QVariant &storedTime, bool *valid = nullptr);

// Direction of a punch: exactly "In", exactly "Out", or anything else
// (passed over: "in" or "OUT" are not directions).
enum class Direction : quint8 { In, Out, Other };
Direction direction(const QString &inOut);

// The pairing of one list of punches, fed in list order (date, then time).
//
// An "In" opens a pair at its instant; when it is the last punch of the
// list it only counts (the employee is at work). An "Out" counts and, when
// a pair is open, closes it and adds its rounded minutes. An "Out" met while
// no pair is open (the list's first punch, or an "Out" after another) counts
// as an Out and adds nothing. A second "In" in a row moves the open pair's
// start, so the time between the two is not counted.
class Pairing {
public:
    void add(Direction direction, qint64 instant, bool lastOfList);

    qint64 minutes() const { return m_minutes; }
    int ins() const { return m_ins; }
    int outs() const { return m_outs; }
    bool atWork() const { return m_ins != m_outs; }

private:
    qint64 m_minutes = 0;
    int m_ins = 0;
    int m_outs = 0;
    bool m_open = false;
    qint64 m_lastIn = 0;
};

} // namespace WorkedTime
} // namespace tarnvik
