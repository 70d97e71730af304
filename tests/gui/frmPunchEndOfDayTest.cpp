#include "PunchWindowFixture.h"

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchEndOfDayTest = PunchWindowFixture;

TEST_F(frmPunchEndOfDayTest, ClosesExactlyThePresencesStillOpenInOneGo)
{
    frmPunch &w = open();
    // Alice in on Peinture; Bob in and out again on Accueil, then in on Plomberie.
    dialogs->thenYes().thenYes().thenYes().thenYes();
    for (const auto &[number, sub] : {std::pair(u"1001"_s, u"Peinture"_s),
                                      {u"1002"_s, u"Accueil"_s},
                                      {u"1002"_s, u"Accueil"_s},
                                      {u"1002"_s, u"Plomberie"_s}})
        punchByKeyboard(number, sub);
    // No, or no answer at all (No is the default button), changes nothing.
    dialogs->clear();
    dialogs->thenNo();
    w.FinDeJournee();
    w.FinDeJournee();
    EXPECT_EQ(dialogs->messages(), QStringList(2, LOC_RTString(1668)));
    EXPECT_EQ(punchCount(), 4);
    // Bob's presence cannot be removed: told, and nothing of Alice's closing stays either.
    execSql(u"CREATE TRIGGER stuck BEFORE DELETE ON Vendeurs WHEN OLD.NoVendeur = '1002' BEGIN "
            "SELECT RAISE(ABORT, 'database is locked'); END"_s);
    dialogs->clear();
    dialogs->thenYes();
    w.FinDeJournee();
    const Shown told = dialogs->shown().value(1);
    EXPECT_TRUE(told.text.startsWith(LOC_RTString(1722).section(u'%', 0, 0)) &&
                told.text.contains(u"database is locked"_s) && told.style == 16);
    EXPECT_EQ(punchCount(), 4);
    EXPECT_EQ(status(u"1001"_s) + QString::number(presenceCount(u"1001"_s)), u"In1"_s);

    execSql(u"DROP TRIGGER stuck"_s);
    // Also closed: a second presence row of Alice's and one of a deleted employee (9999); not a report's
    // temporary row (name, project and sub-project set): nobody punched in there.
    execSql(u"INSERT INTO Vendeurs (NoVendeur, NomVendeur, Projet, SousProjet) VALUES ('1001', NULL, "
            "'Chantier', 'Peinture'), ('9999', NULL, 'Bureau', 'Accueil'), ('1003', 'Carl', 'Bureau', "
            "'Accueil')"_s);
    Clock::setFixed(QDateTime(QDate(2003, 3, 1), QTime(18, 30, 0)));
    dialogs->clear();
    dialogs->thenYes();
    w.FinDeJournee();
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1668)}));
    QStringList outs; // Bob's Accueil was closed by his own "Out": it gets no second one.
    for (const QVariantMap &r : punches().mid(4))
        outs << fields(r, {"NoVendeur", "InOut", "PunchDateShort", "PunchTime", "Projet", "SousProjet",
                           "Description", "Archived"});
    outs.sort();
    const QString end = u"|Out|2003-03-01|18:30:00|%1|Fin de journée générale|0"_s;
    EXPECT_EQ(outs, QStringList(
                        {"1001" + end.arg(u"Chantier|Peinture"_s), "1001" + end.arg(u"Chantier|Peinture"_s),
                         "1002" + end.arg(u"Chantier|Plomberie"_s), "9999" + end.arg(u"Bureau|Accueil"_s)}));
    EXPECT_EQ(status(u"1001"_s) + status(u"1002"_s), u"OutOut"_s);
    EXPECT_EQ(
        scalar(u"SELECT group_concat(NoVendeur || ifnull(Status, '-')) FROM Vendeurs WHERE Projet NOTNULL"_s),
        QVariant(u"1003-"_s));
}

} // namespace
