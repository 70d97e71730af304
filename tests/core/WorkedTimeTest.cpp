#include "reports/WorkedTime.h"

#include <QDate>
#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {

TEST(WorkedTimeTest, TextHasWholeHoursOfAnySizeAndTwoDigitMinutes)
{
    // hours run past a day: 74:05 is 3 days 2 hours 5 minutes, 960:00 is 40 days
    const std::pair<qint64, const char *> cases[] = {
        {0, "0:00 u"},     {5, "0:05 u"},       {754, "12:34 u"}, {1565, "26:05 u"},
        {4445, "74:05 u"}, {57600, "960:00 u"}, {-65, "-1:05 u"}};
    for (const auto &c : cases)
        EXPECT_EQ(WorkedTime::text(c.first, u" u"_s), QString::fromUtf8(c.second)) << c.first;
}

TEST(WorkedTimeTest, SecondsRoundToTheNearestMinuteHalvesToEven)
{
    const qint64 cases[][2] = {{0, 0},   {29, 0},  {30, 0},  {31, 1},   {90, 2},   {150, 2},    {151, 3},
                               {210, 4}, {270, 4}, {-30, 0}, {-90, -2}, {-91, -2}, {14400, 240}};
    for (const auto &c : cases)
        EXPECT_EQ(WorkedTime::roundedMinutes(c[0]), c[1]) << c[0] << " s";
}

TEST(WorkedTimeTest, InstantIsTheDayAtItsTime)
{
    // A clock change night counts wall-clock time; no time counts as midnight.
    EXPECT_EQ(WorkedTime::instant(u"2003-03-31"_s, u"03:00:00"_s) -
                  WorkedTime::instant(u"2003-03-30"_s, u"01:00:00"_s),
              26 * 3600);
    EXPECT_EQ(WorkedTime::instant(u"2003-03-04"_s, QVariant()) -
                  WorkedTime::instant(u"2003-03-03"_s, u"22:00:00"_s),
              2 * 3600);
    bool valid = true;
    WorkedTime::instant(u"03/04/2003"_s, u"06:00:00"_s, &valid);
    EXPECT_FALSE(valid);
}

// One list of punches, "In 08:00" (day 0) or "+1 Out 06:00" (the next day),
// paired from the top.
TEST(WorkedTimeTest, PairingTable)
{
    const struct {
        const char *punches;
        qint64 minutes;
        int ins, outs;
    } cases[] = {
        {"In 08:00, Out 12:00, In 13:00, Out 17:00", 480, 2, 2},
        {"In 22:00, +1 Out 06:00", 480, 1, 1},
        {"In 08:00", 0, 1, 0},
        {"In 08:00, In 09:00, Out 12:00", 180, 2, 1},
        {"in 08:00, OUT 12:00", 0, 0, 0}, // only "In" and "Out" count
        {"In 08:00, out 10:00, Out 12:00", 240, 1, 1},
        // an Out with no open In counts and adds nothing
        {"Out 07:00, In 08:00, Out 12:00", 240, 1, 2},
        {"In 08:00, Out 12:00, Out 13:00", 240, 1, 2},
        // the last In only counts: its employee is at work
        {"In 08:00, Out 09:00, In 10:00", 60, 2, 1},
        {"In 08:00:00, Out 08:00:30", 0, 1, 1},
        {"In 08:00:00, Out 08:01:30", 2, 1, 1},
        {"In 08:00:00, Out 08:02:30, In 09:00:00, Out 09:02:31", 5, 2, 2}, // each pair rounded alone
        // a pair of more than 32767 minutes is a mistake and adds nothing
        {"In 08:00, +23 Out 08:00, In 09:00, Out 10:00", 60, 2, 2},
        {"In 00:00, +22 Out 18:07", 32767, 1, 1},
        {"In 00:00, +22 Out 18:08", 0, 1, 1},
    };
    for (const auto &c : cases) {
        const QStringList punches = QString::fromUtf8(c.punches).split(u", "_s);
        WorkedTime::Pairing pairing;
        for (int i = 0; i < punches.size(); ++i) {
            QStringList parts = punches[i].split(u' ');
            const int day = parts.first().startsWith(u'+') ? parts.takeFirst().toInt() : 0;
            pairing.add(WorkedTime::direction(parts[0]),
                        WorkedTime::instant(QDate(2003, 3, 3).addDays(day).toString(Qt::ISODate),
                                            parts[1].size() == 5 ? parts[1] + u":00"_s : parts[1]),
                        i + 1 == punches.size());
        }
        SCOPED_TRACE(c.punches);
        EXPECT_EQ(pairing.minutes(), c.minutes);
        EXPECT_EQ(pairing.ins(), c.ins);
        EXPECT_EQ(pairing.outs(), c.outs);
        EXPECT_EQ(pairing.atWork(), c.ins != c.outs) << "at work whenever the counts differ";
    }
}

} // namespace
