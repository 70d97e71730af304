#include "station/PayPeriod.h"
#include "common/Clock.h"
#include "common/Database.h"
#include "common/DateFormat.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "station/PeriodChecker.h"
#include "support/ProgramFixture.h"

#include <QFileInfo>
#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnvik::test {
namespace {

TEST(PayPeriodLength, CodesOneAndTwoAreWeeksAndEverythingElseFourWeeks)
{
    const QDate start(2003, 3, 1);
    struct Case {
        QVariant code;
        QDate last;
    };
    const QList<Case> cases = {
        {1, QDate(2003, 3, 7)},
        {2, QDate(2003, 3, 14)},
        {3, QDate(2003, 3, 28)},
        {0, QDate(2003, 3, 28)},
        {-1, QDate(2003, 3, 28)},
        {u"1"_s, QDate(2003, 3, 7)},
        {u" 2 "_s, QDate(2003, 3, 14)},
        {2.0, QDate(2003, 3, 14)},
        {u"1.5"_s, QDate(2003, 3, 28)},
        {u"abc"_s, QDate(2003, 3, 28)},
        {u"2 weeks"_s, QDate(2003, 3, 28)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code.toString().toStdString());
        EXPECT_EQ(PayPeriod::lastDay(start, c.code), c.last);
    }
    // A period over the turn of a year and through a leap day.
    EXPECT_EQ(PayPeriod::lastDay(QDate(2003, 12, 29), 1), QDate(2004, 1, 4));
    EXPECT_EQ(PayPeriod::lastDay(QDate(2004, 2, 20), 2), QDate(2004, 3, 4));
    EXPECT_FALSE(PayPeriod::lastDay(QDate(), 1).isValid());
}

TEST(PayPeriodLength, PeriodIsOverOnlyFromTheDayAfterItsLastDay)
{
    const QDate last(2003, 3, 7);
    EXPECT_FALSE(PayPeriod::isOver(last, QDate(2003, 3, 6)));
    EXPECT_FALSE(PayPeriod::isOver(last, last));
    EXPECT_TRUE(PayPeriod::isOver(last, QDate(2003, 3, 8)));
    EXPECT_TRUE(PayPeriod::isOver(last, QDate(2004, 1, 1)));
    EXPECT_FALSE(PayPeriod::isOver(QDate(), QDate(2003, 3, 8)));

    EXPECT_FALSE(PayPeriod::hasValue(QVariant()));
    EXPECT_FALSE(PayPeriod::hasValue(QString()));
    EXPECT_FALSE(PayPeriod::hasValue(u""_s));
    EXPECT_TRUE(PayPeriod::hasValue(0));
    EXPECT_TRUE(PayPeriod::hasValue(u"2003-03-01"_s));
}

class PeriodCheckTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 1"_s);
        addProject(u"Chantier"_s, {u"Pose"_s});
        checker.setShowOptions([this] {
            ++optionsShown;
            messagesWhenOptionsShown = dialogs->messages().size();
        });
    }

    void setPeriod(const QVariant &periode, const QVariant &start)
    {
        execSql(u"UPDATE Acces SET Periode = ?, DateDebut = ?"_s, {periode, start});
    }
    QString storedStart() const { return scalar(u"SELECT DateDebut FROM Acces"_s).toString(); }
    void punchOn(const QDate &day, bool archived = false)
    {
        addPunch(u"7"_s, u"In"_s, day, QTime(8, 0), u"Chantier"_s, u"Pose"_s, archived);
    }
    // Punch days that are still current, in date order.
    QStringList currentDays() const
    {
        QStringList days;
        for (const QVariantMap &r :
             rows(u"SELECT PunchDateShort FROM Punch WHERE Archived = 0 ORDER BY PunchDateShort"_s))
            days << r.value(u"PunchDateShort"_s).toString();
        return days;
    }
    void checkAt(const QDateTime &moment)
    {
        Clock::setFixed(moment);
        checker.CheckPeriode();
    }

    PeriodChecker checker;
    int optionsShown = 0;
    qsizetype messagesWhenOptionsShown = -1;
};

TEST_F(PeriodCheckTest, WeekRollsOverOnTheDayAfterItsLastDayAndArchivesItsPunches)
{
    setPeriod(1, u"2003-03-01"_s);
    punchOn(QDate(2003, 2, 27));
    punchOn(QDate(2003, 3, 1));
    punchOn(QDate(2003, 3, 7));
    punchOn(QDate(2003, 3, 8));
    punchOn(QDate(2003, 2, 20), true);

    checkAt(QDateTime(QDate(2003, 3, 7), QTime(0, 0, 1)));
    checkAt(QDateTime(QDate(2003, 3, 7), QTime(23, 59, 59)));
    EXPECT_EQ(storedStart(), u"2003-03-01"_s);
    EXPECT_EQ(currentDays().size(), 4);
    EXPECT_TRUE(dialogs->shown().isEmpty());

    checkAt(QDateTime(QDate(2003, 3, 8), QTime(0, 0, 5)));
    EXPECT_EQ(storedStart(), u"2003-03-08"_s);
    EXPECT_EQ(currentDays(), QStringList{u"2003-03-08"_s});
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch WHERE Archived = 1"_s).toInt(), 4);
    ASSERT_EQ(dialogs->shown().size(), 1);
    EXPECT_EQ(dialogs->shown()[0].text, LOC_RTString(1630));
    EXPECT_EQ(dialogs->shown()[0].style, MsgStyle::OkOnly);
    EXPECT_EQ(dialogs->shown()[0].title, QLatin1String(ProgramTitle));

    // Later checks of the new period change nothing.
    checkAt(QDateTime(QDate(2003, 3, 8), QTime(0, 0, 15)));
    checkAt(QDateTime(QDate(2003, 3, 14), QTime(18, 0)));
    EXPECT_EQ(storedStart(), u"2003-03-08"_s);
    EXPECT_EQ(dialogs->shown().size(), 1);
}

TEST_F(PeriodCheckTest, OtherLengthCodesRollOverAfterTheirOwnLastDay)
{
    struct Case {
        QVariant code;
        int days;
    };
    const QList<Case> cases = {{2, 14}, {3, 28}, {0, 28}, {u"abc"_s, 28}};
    const QDate start(2003, 3, 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code.toString().toStdString());
        dialogs->clear();
        setPeriod(c.code, toStoredDate(start));
        const QDate last = start.addDays(c.days - 1);

        checkAt(QDateTime(last, QTime(23, 0)));
        EXPECT_EQ(storedStart(), toStoredDate(start));
        EXPECT_TRUE(dialogs->messages().isEmpty());

        checkAt(QDateTime(last.addDays(1), QTime(7, 0)));
        EXPECT_EQ(storedStart(), toStoredDate(last.addDays(1)));
        EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1630)});
    }
}

TEST_F(PeriodCheckTest, MissedPeriodsAreCaughtUpOnePerCheck)
{
    setPeriod(1, u"2003-03-01"_s);
    for (const QDate &d : {QDate(2003, 3, 5), QDate(2003, 3, 12), QDate(2003, 3, 19), QDate(2003, 3, 23)})
        punchOn(d);
    Clock::setFixed(QDateTime(QDate(2003, 3, 25), QTime(9, 0)));

    const QStringList later = {u"2003-03-12"_s, u"2003-03-19"_s, u"2003-03-23"_s};
    for (int week = 1; week <= 3; ++week) {
        checker.CheckPeriode();
        EXPECT_EQ(storedStart(), toStoredDate(QDate(2003, 3, 1).addDays(7 * week)));
        EXPECT_EQ(currentDays(), later.mid(week - 1));
    }

    checker.CheckPeriode();
    EXPECT_EQ(storedStart(), u"2003-03-22"_s);
    EXPECT_EQ(dialogs->messages(), QStringList(3, LOC_RTString(1630)));
}

TEST_F(PeriodCheckTest, FirstCheckAfterALongStopArchivesUpToTheFirstMissedEndOnly)
{
    // Older punches left current are taken along; later ones wait for their
    // own period's roll-over.
    setPeriod(1, u"2003-03-01"_s);
    punchOn(QDate(2003, 2, 1));
    punchOn(QDate(2003, 3, 7));
    punchOn(QDate(2003, 3, 9));
    checkAt(QDateTime(QDate(2003, 4, 30), QTime(9, 0)));
    EXPECT_EQ(currentDays(), QStringList{"2003-03-09"});
}

TEST_F(PeriodCheckTest, NoPeriodIsToldOnceAndOpensTheOptions)
{
    struct Case {
        const char *name;
        QVariant periode;
        QVariant start;
    };
    const QList<Case> cases = {
        {"both Null", QVariant(), QVariant()}, {"no length", QVariant(), u"2003-03-01"_s},
        {"no start", 2, QVariant()},           {"empty texts", u""_s, u""_s},
        {"start not a date", 1, u"soon"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        dialogs->clear();
        optionsShown = 0;
        ProgramState::PeriodeMsgShown = false;
        setPeriod(c.periode, c.start);
        punchOn(QDate(2003, 1, 1));

        checkAt(QDateTime(QDate(2003, 6, 1), QTime(9, 0)));
        EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1650)});
        EXPECT_EQ(optionsShown, 1);
        EXPECT_EQ(messagesWhenOptionsShown, 1) << "the message comes before the options window";
        EXPECT_TRUE(ProgramState::PeriodeMsgShown);

        checkAt(QDateTime(QDate(2003, 6, 1), QTime(9, 0, 10)));
        checkAt(QDateTime(QDate(2003, 6, 2), QTime(9, 0)));
        EXPECT_EQ(dialogs->messages().size(), 1);
        EXPECT_EQ(optionsShown, 1);
        EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch WHERE Archived = 1"_s).toInt(), 0);
        EXPECT_EQ(storedStart(), c.start.toString());
    }

    // Saving the options clears the flag: a period still unset is told again.
    ProgramState::PeriodeMsgShown = false;
    checker.CheckPeriode();
    EXPECT_EQ(dialogs->messages().size(), 2);
    EXPECT_EQ(optionsShown, 2);
}

// Records what the database holds at the moment a message box shows, and runs
// a further check from inside the box as the station's timer does.
TEST_F(PeriodCheckTest, NewPeriodIsStoredBeforeTheMessageAndSeenByACheckWhileItIsOpen)
{
    setPeriod(2, u"2003-03-01"_s);
    punchOn(QDate(2003, 3, 14));
    const QString rolledText = LOC_RTString(1630);

    QString startWhileShown;
    int archivedWhileShown = -1;
    int depth = 0;
    dialogs->whileMessageShown = [&](const QString &) {
        if (depth++ > 0)
            return;
        startWhileShown = storedStart();
        archivedWhileShown = scalar(u"SELECT COUNT(*) FROM Punch WHERE Archived = 1"_s).toInt();
        checker.CheckPeriode();
    };
    checkAt(QDateTime(QDate(2003, 3, 15), QTime(9, 0)));
    dialogs->whileMessageShown = nullptr;

    EXPECT_EQ(startWhileShown, u"2003-03-15"_s);
    EXPECT_EQ(archivedWhileShown, 1);
    EXPECT_EQ(dialogs->messages(), QStringList{rolledText});
    EXPECT_EQ(storedStart(), u"2003-03-15"_s);
}

TEST_F(PeriodCheckTest, FailedRollOverChangesNothingAndIsReportedOnce)
{
    setPeriod(1, u"2003-03-01"_s);
    punchOn(QDate(2003, 3, 3));
    punchOn(QDate(2003, 3, 9));
    execSql(u"CREATE TRIGGER RefuseArchive BEFORE UPDATE OF Archived ON Punch "
            "BEGIN SELECT RAISE(ABORT, 'archive refused'); END"_s);

    Clock::setFixed(QDateTime(QDate(2003, 3, 10), QTime(9, 0)));
    checker.CheckPeriode();
    EXPECT_EQ(storedStart(), u"2003-03-01"_s) << "the period stays as it was";
    EXPECT_EQ(currentDays().size(), 2);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].startsWith(LOC_RTString(1740).section(QLatin1String("%1"), 0, 0)));
    EXPECT_TRUE(dialogs->messages()[0].contains(QLatin1String("07/03/2003")));
    EXPECT_TRUE(dialogs->messages()[0].contains(QLatin1String("archive refused")));

    for (int tick = 0; tick < 5; ++tick) {
        Clock::advance(10);
        checker.CheckPeriode();
    }
    EXPECT_EQ(dialogs->messages().size(), 1) << "a lasting failure is told once";

    execSql(u"DROP TRIGGER RefuseArchive"_s);
    checker.CheckPeriode();
    EXPECT_EQ(storedStart(), u"2003-03-08"_s);
    EXPECT_EQ(currentDays(), QStringList{"2003-03-09"});
    EXPECT_EQ(dialogs->messages().last(), LOC_RTString(1630));

    // A failure of a later period is a new failure, told again.
    execSql(u"CREATE TRIGGER RefuseStart BEFORE UPDATE OF DateDebut ON Acces "
            "BEGIN SELECT RAISE(ABORT, 'settings locked'); END"_s);
    checkAt(QDateTime(QDate(2003, 3, 15), QTime(9, 0)));
    EXPECT_EQ(storedStart(), u"2003-03-08"_s);
    EXPECT_EQ(currentDays(), QStringList{"2003-03-09"});
    ASSERT_EQ(dialogs->messages().size(), 3);
    EXPECT_TRUE(dialogs->messages().last().contains(QLatin1String("settings locked")));
}

TEST_F(PeriodCheckTest, FollowsTheStationToAnotherDatabase)
{
    setPeriod(1, u"2003-03-01"_s);
    const QString other = folder() + u"/other.mdb"_s;
    ASSERT_TRUE(Database::ensure(other, true).usable());
    {
        QSqlQuery q(Database::connection(other));
        ASSERT_TRUE(q.exec(u"UPDATE Acces SET Periode = 2, DateDebut = '2003-03-05', Lang = 1"_s));
    }
    ProgramState::ConnString = buildConnString(other);
    checkAt(QDateTime(QDate(2003, 3, 10), QTime(9, 0)));
    EXPECT_EQ(storedStart(), u"2003-03-01"_s) << "the old database is left alone";
    EXPECT_TRUE(dialogs->messages().isEmpty()) << "the other database's period runs until the 18th";

    // A database that cannot be opened has no period to check: nothing shows.
    ProgramState::ConnString = buildConnString(folder() + u"/missing.mdb"_s);
    checkAt(QDateTime(QDate(2003, 5, 1), QTime(9, 0)));
    EXPECT_TRUE(dialogs->shown().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(folder() + u"/missing.mdb"_s));
}

} // namespace
} // namespace tarnvik::test
