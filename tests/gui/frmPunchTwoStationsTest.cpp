// The punch road while another station punches on the same database file.
#include "PunchWindowFixture.h"

#include "common/Database.h"

#include <QSqlDatabase>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchTwoStationsTest = PunchWindowFixture;

// While this station asks Alice to confirm her punch, the other station stores the same punch for her:
// this one stores nothing, says so, and keeps what was typed; Enter then punches the other way.
TEST_F(frmPunchTwoStationsTest, PunchStoredElsewhereDuringTheConfirmationIsNotStoredTwice)
{
    const QString presence =
        u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('1001', 'Chantier', 'Peinture')"_s;
    for (const bool wasIn : {false, true}) {
        const QString decided = wasIn ? u"Out"_s : u"In"_s, then = wasIn ? u"In"_s : u"Out"_s;
        SCOPED_TRACE(decided.toStdString());
        execSql(u"DELETE FROM Punch"_s);
        execSql(u"DELETE FROM Vendeurs WHERE NomVendeur ISNULL"_s);
        if (wasIn) {
            addPunch(u"1001"_s, u"In"_s, QDate(2003, 3, 1), QTime(8, 0), u"Chantier"_s, u"Peinture"_s);
            execSql(presence);
        }
        frmPunch &w = open();
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other-station"_s);
            other.setDatabaseName(databasePath());
            ASSERT_TRUE(other.open());
            // The other station's punch, written as it writes one, while the question is on screen.
            dialogs->whileMessageShown = [&, punched = false](const QString &text) mutable {
                if (punched || text != question(u"Alice Martin"_s, decided))
                    return;
                punched = true;
                EXPECT_TRUE(Database::exec(other,
                                           u"INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, "
                                           "Projet, SousProjet) VALUES ('1001', ?, '2003-03-01', '08:59:00', "
                                           "'Chantier', 'Peinture')"_s,
                                           {decided}));
                EXPECT_TRUE(Database::exec(other, wasIn ? u"DELETE FROM Vendeurs WHERE NomVendeur ISNULL"_s
                                                        : presence));
            };
            dialogs->clear();
            dialogs->thenYes();
            punchByKeyboard(u"1001"_s, u"Peinture"_s, u"scaffold"_s);
            dialogs->whileMessageShown = nullptr;
        }
        QSqlDatabase::removeDatabase(u"other-station"_s);
        EXPECT_EQ(scalar(u"SELECT group_concat(InOut, ' ') FROM (SELECT InOut FROM Punch ORDER BY rowid)"_s),
                  QVariant((wasIn ? u"In "_s : QString()) + decided));
        EXPECT_EQ(presenceCount(u"1001"_s), wasIn ? 0 : 1);
        EXPECT_EQ(dialogs->messages(),
                  QStringList({question(u"Alice Martin"_s, decided), LOC_RTString(1742)}));
        EXPECT_EQ(w.txtNumVendeur->text() + '|' + w.dcbProjet->Text() + '|' + w.txtDescription->text(),
                  u"1001|Peinture|scaffold"_s);
        // Enter again: the direction is worked out anew and stored.
        dialogs->clear();
        dialogs->thenYes();
        QTest::keyClick(w.txtDescription, Qt::Key_Return);
        EXPECT_EQ(dialogs->messages(), QStringList({question(u"Alice Martin"_s, then)}));
        EXPECT_EQ(scalar(u"SELECT InOut FROM Punch ORDER BY rowid DESC LIMIT 1"_s).toString(), then);
        EXPECT_EQ(presenceCount(u"1001"_s), wasIn ? 1 : 0);
    }
}

} // namespace
