#include "station/PunchStore.h"
#include "support/ProgramFixture.h"

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {

class PunchStoreTest : public tarnvik::test::ProgramFixture {
protected:
    // The values of an expression over the rows of "FROM ...", in order, joined by ", ".
    QString joined(const QString &expression, const QString &from) const
    {
        return scalar(u"SELECT group_concat(x, ', ') FROM (SELECT "_s + expression + u" AS x "_s + from +
                      u')')
            .toString();
    }
    PunchStore store() const { return PunchStore(databasePath()); }
};

// An Out closes the oldest presence on its sub-project name, all or nothing; the employee is found
// by his named row whatever row comes first.
TEST_F(PunchStoreTest, OutClosesTheOldestPresenceOnItsSubProjectNameAllOrNothing)
{
    execSql(
        u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('1001', 'Chantier', 'Peinture')"_s);
    addEmployee(u"1001"_s, u"Chloé D'Arcy"_s, u"In"_s);
    execSql(u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('1001', 'Bureau', 'Peinture'), "
            "('1001', 'Chantier', 'Plomberie')"_s);
    const PunchStore::Employee e = store().findEmployee(u"1001"_s);
    EXPECT_TRUE(e.anyRow && e.hasEmployeeRow && e.name == u"Chloé D'Arcy"_s);
    const PunchStore::NewPunch out{u"1001"_s,   u"Out"_s,    QDate(2003, 3, 1), QTime(8, 30),
                                   u"samedi"_s, u"Bureau"_s, u"Peinture"_s,     {}};
    // Status and punch count, then the presences left.
    const auto state = [&]() {
        return joined(u"Status || (SELECT COUNT(*) FROM Punch)"_s,
                      u"FROM Vendeurs WHERE NomVendeur NOTNULL"_s) +
               u" / "_s +
               joined(u"Projet || '|' || SousProjet"_s, u"FROM Vendeurs WHERE NomVendeur ISNULL"_s);
    };
    // The presence cannot be removed: the Punch row and the Status written before go too.
    execSql(u"CREATE TRIGGER stuck BEFORE DELETE ON Vendeurs BEGIN SELECT RAISE(ABORT, 'locked'); END"_s);
    QString error;
    EXPECT_FALSE(store().storePunch(out, &error));
    EXPECT_TRUE(error.contains(u"locked"_s)) << error.toStdString();
    EXPECT_EQ(state(), u"In0 / Chantier|Peinture, Bureau|Peinture, Chantier|Plomberie"_s);
    execSql(u"DROP TRIGGER stuck"_s);
    ASSERT_TRUE(store().storePunch(out, &error)) << error.toStdString();
    EXPECT_EQ(state(), u"Out1 / Bureau|Peinture, Chantier|Plomberie"_s);
}

} // namespace
