#include "common/Clock.h"
#include "common/DateFormat.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "station/PeriodChecker.h"
#include "support/ProgramFixture.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnvik::test {
namespace {

class PeriodCheckTest : public ProgramFixture {
protected:
    // Stores the period and adds one current punch on each day given.
    void setPeriod(const QVariant &periode, const QVariant &start, const QList<QDate> &punchDays = {})
    {
        execSql(u"UPDATE Acces SET Periode = ?, DateDebut = ?"_s, {periode, start});
        for (const QDate &day : punchDays)
            addPunch(u"7"_s, u"In"_s, day, QTime(8, 0), u"Chantier"_s, u"Pose"_s);
    }
    // The stored start, a bar, and the days of the punches still current in date order.
    QString state() const
    {
        return scalar(u"SELECT DateDebut || '|' || ifnull((SELECT group_concat(PunchDateShort, ' ') FROM "
                      "(SELECT PunchDateShort FROM Punch WHERE Archived = 0 ORDER BY 1)), '') FROM Acces"_s)
            .toString();
    }
    void checkAt(const QDate &day, const QTime &time = QTime(9, 0))
    {
        Clock::setFixed(QDateTime(day, time));
        checker.CheckPeriode();
    }

    int optionsShown = 0;
    PeriodChecker checker{[this] { ++optionsShown; }};
};

// Each length code rolls over on the day after its last day, archiving the punches up to it; periods
// missed while the station was off are caught up one per check.
TEST_F(PeriodCheckTest, PeriodRollsOverOnTheDayAfterItsLastDayAndArchivesUpToIt)
{
    const QDate start(2003, 3, 1);
    for (const auto &[code, days] :
         QList<QPair<QVariant, int>>{{1, 7}, {2, 14}, {3, 28}, {0, 28}, {u"abc"_s, 28}}) {
        SCOPED_TRACE(code.toString().toStdString());
        dialogs->clear();
        execSql(u"DELETE FROM Punch"_s);
        const QDate next = start.addDays(days);
        const QList<QDate> punchDays = {start.addDays(-2), start, next.addDays(-1), next};
        setPeriod(code, toStoredDate(start), punchDays);
        checkAt(start, QTime(0, 0, 1));
        checkAt(next.addDays(-1), QTime(23, 59, 59));
        QStringList stored;
        for (const QDate &day : punchDays)
            stored << toStoredDate(day);
        EXPECT_EQ(state(), toStoredDate(start) + u'|' + stored.join(u' '));
        EXPECT_TRUE(dialogs->shown().isEmpty());
        checkAt(next, QTime(0, 0, 5));
        EXPECT_EQ(state(), toStoredDate(next) + u'|' + toStoredDate(next));
        EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch WHERE Archived = 1"_s).toInt(), 3);
        checkAt(next.addDays(3 * days)); // periods missed meanwhile: caught up one per check
        EXPECT_EQ(state(), toStoredDate(next.addDays(days)) + u'|');
        EXPECT_EQ(dialogs->messages(), QStringList(2, LOC_RTString(1630)));
    }
}

TEST_F(PeriodCheckTest, OpenInsOfEmployeesStillAtWorkStayCurrent)
{
    setPeriod(1, u"2003-03-01"_s);
    // 1: in, out and in again on Pose; 2: two open "In" on Pose; 3: open on
    // Pose under Atelier, his "In" under Chantier is closed; 4: at work, but
    // his "In" was archived before; 5: no presence at all. Number, direction,
    // project, day, hour.
    for (const char *p :
         {"1 In Chantier 3 8", "1 Out Chantier 3 12", "1 In Chantier 7 22", "2 In Chantier 6 8",
          "2 In Chantier 7 20", "2 In Chantier 2 8", "2 Out Chantier 2 9", "3 In Chantier 7 8",
          "3 Out Chantier 7 9", "3 In Atelier 7 10", "5 In Chantier 7 21"}) {
        const QStringList f = QString::fromLatin1(p).split(u' ');
        addPunch(f[0], f[1], QDate(2003, 3, f[3].toInt()), QTime(f[4].toInt(), 0), f[2], u"Pose"_s);
    }
    addPunch(u"4"_s, u"In"_s, QDate(2003, 2, 28), QTime(22, 0), u"Chantier"_s, u"Pose"_s, true);
    execSql(u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('1', 'Chantier', 'Pose'), "
            "('2', 'Chantier', 'Pose'), ('2', 'Chantier', 'Pose'), ('3', 'Atelier', 'Pose'), "
            "('4', 'Chantier', 'Pose')"_s);
    checkAt(QDate(2003, 3, 8));
    EXPECT_EQ(
        scalar(u"SELECT group_concat(NoVendeur || InOut || Projet || substr(PunchDateShort, 9) || "
               "substr(PunchTime, 1, 2), ' ') FROM (SELECT * FROM Punch WHERE Archived = 0 ORDER BY rowid)"_s)
            .toString(),
        u"1InChantier0722 2InChantier0608 2InChantier0720 3InAtelier0710"_s);
    EXPECT_EQ(scalar(u"SELECT DateDebut FROM Acces"_s).toString(), u"2003-03-08"_s);
}

TEST_F(PeriodCheckTest, NoPeriodIsToldOnceAndOpensTheOptions)
{
    const QList<QPair<QVariant, QVariant>> cases = {
        {QVariant(), QVariant()}, {QVariant(), u"2003-03-01"_s}, {2, QVariant()}, {u""_s, u""_s}};
    for (const auto &[periode, start] : cases) {
        SCOPED_TRACE(periode.toString().toStdString() + " / " + start.toString().toStdString());
        dialogs->clear();
        optionsShown = 0;
        ProgramState::PeriodeMsgShown = false;
        setPeriod(periode, start, {QDate(2003, 1, 1)});
        checkAt(QDate(2003, 6, 1));
        checkAt(QDate(2003, 6, 2));
        EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1650)});
        EXPECT_EQ(optionsShown, 1);
        EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch WHERE Archived = 1"_s).toInt(), 0);
        EXPECT_EQ(scalar(u"SELECT DateDebut FROM Acces"_s).toString(), start.toString());
    }
}

TEST_F(PeriodCheckTest, FailedRollOverChangesNothingAndIsReportedOnce)
{
    setPeriod(1, u"2003-03-01"_s, {QDate(2003, 3, 3), QDate(2003, 3, 9)});
    execSql(u"CREATE TRIGGER RefuseArchive BEFORE UPDATE OF Archived ON Punch "
            "BEGIN SELECT RAISE(ABORT, 'archive refused'); END"_s);
    for (int tick = 0; tick < 3; ++tick)
        checkAt(QDate(2003, 3, 10), QTime(9, 0, tick * 10));
    EXPECT_EQ(state(), u"2003-03-01|2003-03-03 2003-03-09"_s);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].startsWith(LOC_RTString(1740).section(u"%1"_s, 0, 0)));
    EXPECT_TRUE(dialogs->messages()[0].contains(u"archive refused"_s));

    execSql(u"DROP TRIGGER RefuseArchive"_s);
    checker.CheckPeriode();
    EXPECT_EQ(state(), u"2003-03-08|2003-03-09"_s);
    EXPECT_EQ(dialogs->messages().last(), LOC_RTString(1630));
}

} // namespace
} // namespace tarnvik::test
