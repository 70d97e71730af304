// The punch road while another station punches on the same database file.
#include "PunchWindowFixture.h"

#include "common/Database.h"

#include <QSqlDatabase>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchTwoStationsTest = PunchWindowFixture;

// While this station asks Alice to confirm her In, the other station stores an In for her: this one stores
// nothing, says so, and keeps what was typed; Enter then punches her Out.
TEST_F(frmPunchTwoStationsTest, PunchStoredElsewhereDuringTheConfirmationIsNotStoredTwice)
{
    frmPunch &w = open();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other-station"_s);
        other.setDatabaseName(databasePath());
        ASSERT_TRUE(other.open());
        // The other station's punch, written as it writes one, while the question is on screen.
        dialogs->whileMessageShown = [&, punched = false](const QString &) mutable {
            if (std::exchange(punched, true))
                return;
            EXPECT_TRUE(Database::exec(other,
                                       u"INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, "
                                       "Projet, SousProjet) VALUES ('1001', 'In', '2003-03-01', "
                                       "'08:59:00', 'Chantier', 'Peinture')"_s));
            EXPECT_TRUE(Database::exec(other, u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES "
                                              "('1001', 'Chantier', 'Peinture')"_s));
        };
        dialogs->thenYes();
        punchByKeyboard(u"1001"_s, u"Peinture"_s, u"scaffold"_s);
        dialogs->whileMessageShown = nullptr;
    }
    QSqlDatabase::removeDatabase(u"other-station"_s);
    EXPECT_EQ(dialogs->messages(), QStringList({question(u"Alice Martin"_s, u"In"_s), LOC_RTString(1742)}));
    EXPECT_EQ(scalar(u"SELECT group_concat(InOut) FROM Punch"_s), QVariant(u"In"_s));
    EXPECT_EQ(presenceCount(u"1001"_s), 1);
    EXPECT_EQ(w.txtNumVendeur->text() + '|' + w.dcbProjet->Text() + '|' + w.txtDescription->text(),
              u"1001|Peinture|scaffold"_s);
    // Enter again: the direction is worked out anew and stored.
    dialogs->clear();
    dialogs->thenYes();
    QTest::keyClick(w.txtDescription, Qt::Key_Return);
    EXPECT_EQ(dialogs->messages(), QStringList({question(u"Alice Martin"_s, u"Out"_s)}));
    EXPECT_EQ(scalar(u"SELECT group_concat(InOut) FROM (SELECT InOut FROM Punch ORDER BY rowid)"_s),
              QVariant(u"In,Out"_s));
    EXPECT_EQ(presenceCount(u"1001"_s), 0);
}

} // namespace
