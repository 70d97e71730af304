// The punch road while another station punches on the same database file.
#include "PunchWindowFixture.h"

#include "common/Database.h"

#include <QSqlDatabase>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchTwoStationsTest = PunchWindowFixture;

// While this station asks Alice to confirm her punch, the other station stores the same punch for
// her: this one stores nothing, says so, and keeps what was typed; Enter then punches the other way.
TEST_F(frmPunchTwoStationsTest, PunchStoredElsewhereDuringTheConfirmationIsNotStoredTwice)
{
    struct Case {
        const char *before;  // Alice's punches on Peinture when she starts
        const char *decided; // the direction this station asks her to confirm
        const char *then;    // the direction that Enter proposes afterwards
    };
    const Case cases[] = {{"", "In", "Out"}, {"In", "Out", "In"}};
    const QString name = u"other-station"_s;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.decided);
        execSql(u"DELETE FROM Punch"_s);
        execSql(u"DELETE FROM Vendeurs WHERE NomVendeur ISNULL"_s);
        if (*c.before) {
            addPunch(u"1001"_s, u"In"_s, QDate(2003, 3, 1), QTime(8, 0), u"Chantier"_s, u"Peinture"_s);
            execSql(
                u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('1001', 'Chantier', 'Peinture')"_s);
        }
        frmPunch &w = open();
        const QString decided = QString::fromLatin1(c.decided);
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
            other.setDatabaseName(databasePath());
            ASSERT_TRUE(other.open());
            // The other station's punch, written as it writes one.
            bool punched = false;
            dialogs->whileMessageShown = [&](const QString &text) {
                if (punched || text != question(u"Alice Martin"_s, decided))
                    return;
                punched = true;
                const bool in = decided == u"In"_s;
                EXPECT_TRUE(Database::exec(other,
                                           u"INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, "
                                           "Projet, SousProjet) VALUES ('1001', ?, '2003-03-01', '08:59:00', "
                                           "'Chantier', 'Peinture')"_s,
                                           {decided}));
                EXPECT_TRUE(
                    Database::exec(other, in ? u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) "
                                               "VALUES ('1001', 'Chantier', 'Peinture')"_s
                                             : u"DELETE FROM Vendeurs WHERE NomVendeur ISNULL"_s));
            };
            dialogs->clear();
            dialogs->thenYes();
            punchByKeyboard(u"1001"_s, u"Peinture"_s, u"scaffold"_s);
            dialogs->whileMessageShown = nullptr;
            other.close();
        }
        QSqlDatabase::removeDatabase(name);
        const QString other = QString::fromLatin1(*c.before ? "In " : "") + decided;
        EXPECT_EQ(scalar(u"SELECT group_concat(InOut, ' ') FROM (SELECT InOut FROM Punch ORDER BY rowid)"_s)
                      .toString()
                      .toStdString(),
                  other.toStdString());
        EXPECT_EQ(presenceCount(u"1001"_s), decided == u"In"_s ? 1 : 0);
        EXPECT_EQ(dialogs->messages(),
                  QStringList({question(u"Alice Martin"_s, decided), LOC_RTString(1742)}));
        EXPECT_EQ((QStringList{w.txtNumVendeur->text(), w.dcbProjet->Text(), w.txtDescription->text()}),
                  (QStringList{u"1001"_s, u"Peinture"_s, u"scaffold"_s}));

        // Enter again: the direction is worked out anew and stored.
        dialogs->clear();
        dialogs->thenYes();
        QTest::keyClick(w.txtDescription, Qt::Key_Return);
        const QString then = QString::fromLatin1(c.then);
        EXPECT_EQ(dialogs->messages(), QStringList({question(u"Alice Martin"_s, then)}));
        EXPECT_EQ(scalar(u"SELECT InOut FROM Punch ORDER BY rowid DESC LIMIT 1"_s).toString(), then);
        EXPECT_EQ(presenceCount(u"1001"_s), then == u"In"_s ? 1 : 0);
    }
}

} // namespace
