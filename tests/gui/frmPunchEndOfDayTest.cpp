#include "PunchWindowFixture.h"

using namespace tarnvik;
using tarnvik::test::PunchWindowFixture;
using tarnvik::test::Shown;

namespace {

class frmPunchEndOfDayTest : public PunchWindowFixture {
protected:
    const QString endOfDay = QStringLiteral("Fin de journée générale");

    QList<QVariantMap> endOfDayPunches() const
    {
        return rows(
            QStringLiteral("SELECT * FROM Punch WHERE Description = ? ORDER BY NoVendeur, SousProjet"),
            {endOfDay});
    }
};

TEST_F(frmPunchEndOfDayTest, NoOrEnterOnTheQuestionChangesNothing)
{
    frmPunch &w = open();
    dialogs->thenYes();
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Peinture"));
    dialogs->clear();

    dialogs->thenNo();
    w.FinDeJournee();
    ASSERT_EQ(dialogs->shown().size(), 1);
    EXPECT_EQ(dialogs->shown()[0].text, LOC_RTString(1668));
    EXPECT_EQ(dialogs->shown()[0].style, 292);
    EXPECT_EQ(dialogs->shown()[0].title, QStringLiteral("Confirmation"));
    // Unanswered, the box takes its default button: No.
    w.FinDeJournee();
    EXPECT_EQ(punchCount(), 1);
    EXPECT_EQ(presenceCount(QStringLiteral("1001")), 1);
    EXPECT_EQ(status(QStringLiteral("1001")), QStringLiteral("In"));
}

TEST_F(frmPunchEndOfDayTest, ClosesExactlyThePresencesStillOpen)
{
    frmPunch &w = open();
    // Alice: in on two sub-projects. Bob: in and out again on Accueil, then
    // in on Plomberie.
    dialogs->thenYes().thenYes();
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Peinture"));
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Accueil"));
    Clock::advance(3600);
    dialogs->thenYes().thenYes().thenYes();
    punchByKeyboard(QStringLiteral("1002"), QStringLiteral("Accueil"));
    punchByKeyboard(QStringLiteral("1002"), QStringLiteral("Accueil"));
    punchByKeyboard(QStringLiteral("1002"), QStringLiteral("Plomberie"));
    ASSERT_EQ(punchCount(), 5);
    dialogs->clear();

    Clock::setFixed(QDateTime(QDate(2003, 3, 1), QTime(18, 30, 0)));
    w.txtNumVendeur->setFocus();
    type(QStringLiteral("1002"));
    dialogs->thenYes();
    w.FinDeJournee();
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1668)}));
    const QList<QVariantMap> outs = endOfDayPunches();
    QStringList closed;
    for (const QVariantMap &r : outs) {
        closed << r.value("NoVendeur").toString() + QLatin1Char('/') + r.value("Projet").toString() +
                      QLatin1Char('/') + r.value("SousProjet").toString();
        EXPECT_EQ(r.value("InOut").toString(), QStringLiteral("Out"));
        EXPECT_EQ(r.value("PunchDateShort").toString(), QStringLiteral("2003-03-01"));
        EXPECT_EQ(r.value("PunchTime").toString(), QStringLiteral("18:30:00"));
        EXPECT_EQ(r.value("PunchDateLong").toString(), QStringLiteral("Saturday 01 March 2003"));
    }
    // Bob's Accueil was closed by his own "Out": it gets no second one.
    EXPECT_EQ(closed,
              QStringList({"1001/Bureau/Accueil", "1001/Chantier/Peinture", "1002/Chantier/Plomberie"}));
    EXPECT_EQ(status(QStringLiteral("1001")), QStringLiteral("Out"));
    EXPECT_EQ(status(QStringLiteral("1002")), QStringLiteral("Out"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Vendeurs WHERE Projet IS NOT NULL")).toInt(), 0);
    // The window's entry is left as it was.
    EXPECT_EQ(w.txtNumVendeur->text(), QStringLiteral("1002"));

    // The next day starts afresh: Enter punches "In" again.
    dialogs->clear();
    dialogs->thenYes();
    pressEnter();
    type(QStringLiteral("Accueil"));
    pressEnter();
    pressEnter();
    EXPECT_EQ(dialogs->messages(),
              QStringList({question(QStringLiteral("Bob O'Neil"), QStringLiteral("In"))}));

    // With nothing open, Yes writes nothing and shows nothing more.
    execSql(QStringLiteral("DELETE FROM Vendeurs WHERE NomVendeur IS NULL"));
    const int before = punchCount();
    dialogs->clear();
    dialogs->thenYes();
    w.FinDeJournee();
    EXPECT_EQ(dialogs->shown().size(), 1);
    EXPECT_EQ(punchCount(), before);
}

TEST_F(frmPunchEndOfDayTest, TwoInsOnOneSubProjectAndAnOrphanPresenceEachGetTheirOut)
{
    // Left by an earlier version of the station: two presences on one
    // sub-project, and one of an employee who has since been deleted.
    execSql(QStringLiteral("INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES "
                           "('1001', 'Chantier', 'Peinture'), ('1001', 'Chantier', 'Peinture'), "
                           "('8888', 'Bureau', 'Accueil')"));
    frmPunch &w = open();
    dialogs->thenYes();
    w.FinDeJournee();
    const QList<QVariantMap> outs = endOfDayPunches();
    ASSERT_EQ(outs.size(), 3);
    EXPECT_EQ(outs[0].value("NoVendeur").toString(), QStringLiteral("1001"));
    EXPECT_EQ(outs[1].value("NoVendeur").toString(), QStringLiteral("1001"));
    EXPECT_EQ(outs[2].value("NoVendeur").toString(), QStringLiteral("8888"));
    EXPECT_EQ(status(QStringLiteral("1001")), QStringLiteral("Out"));
    EXPECT_EQ(status(QStringLiteral("1002")), QStringLiteral("Out"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Vendeurs")).toInt(), 2);
}

TEST_F(frmPunchEndOfDayTest, AFailureIsToldAndChangesNothing)
{
    frmPunch &w = open();
    dialogs->thenYes().thenYes();
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Peinture"));
    punchByKeyboard(QStringLiteral("1002"), QStringLiteral("Accueil"));
    execSql(QStringLiteral("CREATE TRIGGER stuck BEFORE DELETE ON Vendeurs WHEN OLD.NoVendeur = '1002' BEGIN "
                           "SELECT RAISE(ABORT, 'database is locked'); END"));
    dialogs->clear();
    dialogs->thenYes();
    w.FinDeJournee();
    ASSERT_EQ(dialogs->shown().size(), 2);
    const Shown told = dialogs->shown()[1];
    EXPECT_TRUE(told.text.contains(QStringLiteral("database is locked")));
    EXPECT_TRUE(told.text.startsWith(LOC_RTString(1722).section(QLatin1Char('%'), 0, 0)));
    EXPECT_EQ(told.style, 16);
    EXPECT_TRUE(endOfDayPunches().isEmpty());
    EXPECT_EQ(punchCount(), 2);
    EXPECT_EQ(presenceCount(QStringLiteral("1001")), 1);
    EXPECT_EQ(status(QStringLiteral("1001")), QStringLiteral("In"));

    // Once the cause is gone, the same command closes both.
    execSql(QStringLiteral("DROP TRIGGER stuck"));
    dialogs->clear();
    dialogs->thenYes();
    w.FinDeJournee();
    EXPECT_EQ(endOfDayPunches().size(), 2);
    EXPECT_EQ(dialogs->shown().size(), 1);
}

} // namespace
