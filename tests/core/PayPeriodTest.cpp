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
        {QStringLiteral("1"), QDate(2003, 3, 7)},
        {QStringLiteral(" 2 "), QDate(2003, 3, 14)},
        {2.0, QDate(2003, 3, 14)},
        {QStringLiteral("1.5"), QDate(2003, 3, 28)},
        {QStringLiteral("abc"), QDate(2003, 3, 28)},
        {QStringLiteral("2 weeks"), QDate(2003, 3, 28)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code.toString().toStdString());
        EXPECT_EQ(PayPeriod::lastDay(start, c.code), c.last);
    }
    // A period over the turn of a year and through a leap day.
    EXPECT_EQ(PayPeriod::lastDay(QDate(2003, 12, 29), 1), QDate(2004, 1, 4));
    EXPECT_EQ(PayPeriod::lastDay(QDate(2004, 2, 20), 2), QDate(2004, 3, 4));
    EXPECT_FALSE(PayPeriod::lastDay(QDate(), 1).isValid());

    for (int days : {7, 14, 28})
        EXPECT_EQ(PayPeriod::lengthInDays(PayPeriod::codeForLength(days)), days);
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
    EXPECT_FALSE(PayPeriod::hasValue(QStringLiteral("")));
    EXPECT_TRUE(PayPeriod::hasValue(0));
    EXPECT_TRUE(PayPeriod::hasValue(QStringLiteral("2003-03-01")));
}

class PeriodCheckTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(QStringLiteral("UPDATE Acces SET Lang = 1"));
        addProject(QStringLiteral("Chantier"), {QStringLiteral("Pose")});
        checker.setShowOptions([this] {
            ++optionsShown;
            messagesWhenOptionsShown = dialogs->messages().size();
        });
    }

    void setPeriod(const QVariant &periode, const QVariant &start)
    {
        execSql(QStringLiteral("UPDATE Acces SET Periode = ?, DateDebut = ?"), {periode, start});
    }
    QString storedStart() const { return scalar(QStringLiteral("SELECT DateDebut FROM Acces")).toString(); }
    void punchOn(const QDate &day, bool archived = false)
    {
        addPunch(QStringLiteral("7"), QStringLiteral("In"), day, QTime(8, 0), QStringLiteral("Chantier"),
                 QStringLiteral("Pose"), archived);
    }
    // Punch days that are still current, in date order.
    QStringList currentDays() const
    {
        QStringList days;
        for (const QVariantMap &r : rows(QStringLiteral(
                 "SELECT PunchDateShort FROM Punch WHERE Archived = 0 ORDER BY PunchDateShort")))
            days << r.value(QStringLiteral("PunchDateShort")).toString();
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
    setPeriod(1, QStringLiteral("2003-03-01"));
    punchOn(QDate(2003, 2, 27));
    punchOn(QDate(2003, 3, 1));
    punchOn(QDate(2003, 3, 7));
    punchOn(QDate(2003, 3, 8));
    punchOn(QDate(2003, 2, 20), true);

    checkAt(QDateTime(QDate(2003, 3, 7), QTime(0, 0, 1)));
    checkAt(QDateTime(QDate(2003, 3, 7), QTime(23, 59, 59)));
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-01"));
    EXPECT_EQ(currentDays().size(), 4);
    EXPECT_TRUE(dialogs->shown().isEmpty());

    checkAt(QDateTime(QDate(2003, 3, 8), QTime(0, 0, 5)));
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-08"));
    EXPECT_EQ(currentDays(), QStringList{QStringLiteral("2003-03-08")});
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Punch WHERE Archived = 1")).toInt(), 4);
    ASSERT_EQ(dialogs->shown().size(), 1);
    EXPECT_EQ(dialogs->shown()[0].text, LOC_RTString(1630));
    EXPECT_EQ(dialogs->shown()[0].style, MsgStyle::OkOnly);
    EXPECT_EQ(dialogs->shown()[0].title, QLatin1String(ProgramTitle));

    // Later checks of the new period change nothing.
    checkAt(QDateTime(QDate(2003, 3, 8), QTime(0, 0, 15)));
    checkAt(QDateTime(QDate(2003, 3, 14), QTime(18, 0)));
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-08"));
    EXPECT_EQ(dialogs->shown().size(), 1);
}

TEST_F(PeriodCheckTest, OtherLengthCodesRollOverAfterTheirOwnLastDay)
{
    struct Case {
        QVariant code;
        int days;
    };
    const QList<Case> cases = {{2, 14}, {3, 28}, {0, 28}, {QStringLiteral("abc"), 28}};
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
    setPeriod(1, QStringLiteral("2003-03-01"));
    for (const QDate &d : {QDate(2003, 3, 5), QDate(2003, 3, 12), QDate(2003, 3, 19), QDate(2003, 3, 23)})
        punchOn(d);
    Clock::setFixed(QDateTime(QDate(2003, 3, 25), QTime(9, 0)));

    checker.CheckPeriode();
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-08"));
    EXPECT_EQ(currentDays(), (QStringList{"2003-03-12", "2003-03-19", "2003-03-23"}));

    checker.CheckPeriode();
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-15"));
    EXPECT_EQ(currentDays(), (QStringList{"2003-03-19", "2003-03-23"}));

    checker.CheckPeriode();
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-22"));
    EXPECT_EQ(currentDays(), QStringList{"2003-03-23"});

    checker.CheckPeriode();
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-22"));
    EXPECT_EQ(dialogs->messages(), QStringList(3, LOC_RTString(1630)));
}

TEST_F(PeriodCheckTest, FirstCheckAfterALongStopArchivesUpToTheFirstMissedEndOnly)
{
    // Older punches left current are taken along; later ones wait for their
    // own period's roll-over.
    setPeriod(1, QStringLiteral("2003-03-01"));
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
        {"both Null", QVariant(), QVariant()},
        {"no length", QVariant(), QStringLiteral("2003-03-01")},
        {"no start", 2, QVariant()},
        {"empty texts", QStringLiteral(""), QStringLiteral("")},
        {"start not a date", 1, QStringLiteral("soon")},
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
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Punch WHERE Archived = 1")).toInt(), 0);
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
class SnapshotDialogs final : public DialogService {
public:
    std::function<void()> onMessage;
    QStringList texts;
    MsgResult messageBox(const QString &text, int, const QString &) override
    {
        texts << text;
        if (onMessage)
            onMessage();
        return MsgResult::OK;
    }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &, bool) override
    {
        return std::nullopt;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    int chooseLanguage(const QStringList &) override { return 0; }
    void beep() override {}
    bool openUrl(const QUrl &) override { return false; }
    void setBusyCursor(bool) override {}
    bool busyCursor() const override { return false; }
    [[noreturn]] void terminate(int exitCode) override { throw ProgramTerminated{exitCode}; }
};

TEST_F(PeriodCheckTest, NewPeriodIsStoredBeforeTheMessageAndSeenByACheckWhileItIsOpen)
{
    setPeriod(2, QStringLiteral("2003-03-01"));
    punchOn(QDate(2003, 3, 14));
    const QString rolledText = LOC_RTString(1630);

    SnapshotDialogs snapshot;
    QString startWhileShown;
    int archivedWhileShown = -1;
    int depth = 0;
    snapshot.onMessage = [&] {
        if (depth++ > 0)
            return;
        startWhileShown = storedStart();
        archivedWhileShown = scalar(QStringLiteral("SELECT COUNT(*) FROM Punch WHERE Archived = 1")).toInt();
        checker.CheckPeriode();
    };
    setDialogService(&snapshot);
    checkAt(QDateTime(QDate(2003, 3, 15), QTime(9, 0)));
    releaseDialogService(&snapshot);

    EXPECT_EQ(startWhileShown, QStringLiteral("2003-03-15"));
    EXPECT_EQ(archivedWhileShown, 1);
    EXPECT_EQ(snapshot.texts, QStringList{rolledText});
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-15"));
}

TEST_F(PeriodCheckTest, FailedRollOverChangesNothingAndIsReportedOnce)
{
    setPeriod(1, QStringLiteral("2003-03-01"));
    punchOn(QDate(2003, 3, 3));
    punchOn(QDate(2003, 3, 9));
    execSql(QStringLiteral("CREATE TRIGGER RefuseArchive BEFORE UPDATE OF Archived ON Punch "
                           "BEGIN SELECT RAISE(ABORT, 'archive refused'); END"));

    Clock::setFixed(QDateTime(QDate(2003, 3, 10), QTime(9, 0)));
    checker.CheckPeriode();
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-01")) << "the period stays as it was";
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

    execSql(QStringLiteral("DROP TRIGGER RefuseArchive"));
    checker.CheckPeriode();
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-08"));
    EXPECT_EQ(currentDays(), QStringList{"2003-03-09"});
    EXPECT_EQ(dialogs->messages().last(), LOC_RTString(1630));

    // A failure of a later period is a new failure, told again.
    execSql(QStringLiteral("CREATE TRIGGER RefuseStart BEFORE UPDATE OF DateDebut ON Acces "
                           "BEGIN SELECT RAISE(ABORT, 'settings locked'); END"));
    checkAt(QDateTime(QDate(2003, 3, 15), QTime(9, 0)));
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-08"));
    EXPECT_EQ(currentDays(), QStringList{"2003-03-09"});
    ASSERT_EQ(dialogs->messages().size(), 3);
    EXPECT_TRUE(dialogs->messages().last().contains(QLatin1String("settings locked")));
}

TEST_F(PeriodCheckTest, FollowsTheStationToAnotherDatabase)
{
    setPeriod(1, QStringLiteral("2003-03-01"));
    const QString other = folder() + QStringLiteral("/other.mdb");
    ASSERT_TRUE(Database::ensure(other, true).usable());
    {
        QSqlQuery q(Database::connection(other));
        ASSERT_TRUE(
            q.exec(QStringLiteral("UPDATE Acces SET Periode = 2, DateDebut = '2003-03-05', Lang = 1")));
    }
    ProgramState::ConnString = buildConnString(other);
    checkAt(QDateTime(QDate(2003, 3, 10), QTime(9, 0)));
    EXPECT_EQ(storedStart(), QStringLiteral("2003-03-01")) << "the old database is left alone";
    EXPECT_TRUE(dialogs->messages().isEmpty()) << "the other database's period runs until the 18th";

    // A database that cannot be opened has no period to check: nothing shows.
    ProgramState::ConnString = buildConnString(folder() + QStringLiteral("/missing.mdb"));
    checkAt(QDateTime(QDate(2003, 5, 1), QTime(9, 0)));
    EXPECT_TRUE(dialogs->shown().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(folder() + QStringLiteral("/missing.mdb")));
}

} // namespace
} // namespace tarnvik::test
