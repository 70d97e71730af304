#include "station/PunchStore.h"
#include "common/Clock.h"
#include "support/ProgramFixture.h"

using namespace Qt::StringLiterals;

using namespace tarnvik;
using tarnvik::test::ProgramFixture;

namespace {

// The named fields of a stored row, joined by "|".
QString fields(const QVariantMap &row, const QStringList &names)
{
    QStringList values;
    for (const QString &name : names)
        values << row.value(name).toString();
    return values.join(u'|');
}

class PunchStoreTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
        addEmployee(u"1002"_s, u"Bob"_s, u"Out"_s);
    }

    PunchStore::NewPunch punch(const QString &number, const QString &inOut, const QString &project,
                               const QString &sub) const
    {
        PunchStore::NewPunch p;
        p.number = number;
        p.inOut = inOut;
        p.date = QDate(2003, 3, 1);
        p.time = QTime(8, 30, 15);
        p.dateLong = u"samedi 01 mars 2003"_s;
        p.project = project;
        p.subProject = sub;
        return p;
    }

    void addPresence(const QString &number, const QString &project, const QString &sub)
    {
        execSql(u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES (?, ?, ?)"_s,
                {number, project, sub});
    }

    QList<QVariantMap> presences(const QString &number)
    {
        return rows(u"SELECT Projet, SousProjet FROM Vendeurs WHERE NoVendeur = ? AND "
                    "NomVendeur IS NULL ORDER BY rowid"_s,
                    {number});
    }

    QVariant status(const QString &number)
    {
        return scalar(u"SELECT Status FROM Vendeurs WHERE NoVendeur = ? AND NomVendeur IS NOT NULL"_s,
                      {number});
    }

    int punchCount() { return scalar(u"SELECT COUNT(*) FROM Punch"_s).toInt(); }

    PunchStore store() const { return PunchStore(databasePath()); }
};

TEST_F(PunchStoreTest, LatestPunchIsTheNewestArchivedOrNot)
{
    EXPECT_FALSE(store().latestPunch(u"1001"_s).has_value());
    addPunch(u"1001"_s, u"In"_s, QDate(2003, 2, 27), QTime(8, 0), u"P"_s, u"S"_s);
    addPunch(u"1001"_s, u"Out"_s, QDate(2003, 2, 28), QTime(7, 0), u"P"_s, u"S"_s, true);
    addPunch(u"1001"_s, u"In"_s, QDate(2003, 2, 28), QTime(6, 59, 59), u"P"_s, u"S"_s);
    addPunch(u"1002"_s, u"In"_s, QDate(2003, 3, 1), QTime(9, 0), u"P"_s, u"S"_s);
    const auto latest = store().latestPunch(u"1001"_s);
    ASSERT_TRUE(latest.has_value());
    EXPECT_EQ(QStringList({latest->inOut, latest->date.toString(), latest->time.toString()}).join(u' '),
              u"Out 2003-02-28 07:00:00"_s);
    // The number is compared as text: "100" is not "1001".
    EXPECT_FALSE(store().latestPunch(u"100"_s).has_value());
}

TEST_F(PunchStoreTest, EmployeeIsFoundByItsNamedRowWhateverComesFirst)
{
    addPresence(u"2001"_s, u"P"_s, u"S"_s);
    addEmployee(u"2001"_s, u"Chloé D'Arcy"_s);
    PunchStore::Employee e = store().findEmployee(u"2001"_s);
    EXPECT_TRUE(e.anyRow);
    EXPECT_TRUE(e.hasEmployeeRow);
    EXPECT_EQ(e.name, u"Chloé D'Arcy"_s);

    // Presence rows alone: rows, but no employee.
    addPresence(u"3001"_s, u"P"_s, u"S"_s);
    e = store().findEmployee(u"3001"_s);
    EXPECT_TRUE(e.anyRow);
    EXPECT_FALSE(e.hasEmployeeRow);

    e = store().findEmployee(u"\"1001"_s);
    EXPECT_FALSE(e.anyRow);
}

TEST_F(PunchStoreTest, ProjectOfASubProjectIsTheFirstInAlphabeticalOrder)
{
    addProject(u"Zeta"_s, {u"Commun"_s});
    addProject(u"Alpha"_s, {u"Commun"_s, u"L'atelier"_s});
    EXPECT_EQ(store().projectOf(u"Commun"_s), u"Alpha"_s);
    EXPECT_EQ(store().projectOf(u"L'atelier"_s), u"Alpha"_s);
    EXPECT_FALSE(store().projectOf(u"Ailleurs"_s).has_value());
    EXPECT_FALSE(store().projectOf(QString()).has_value());
}

TEST_F(PunchStoreTest, CountsTakeCurrentPunchesOnTheSubProjectNameUnderAnyProject)
{
    const QString n = u"1001"_s;
    const QDate d(2003, 2, 20);
    addPunch(n, u"In"_s, d, QTime(8, 0), u"A"_s, u"Peinture"_s);
    addPunch(n, u"Out"_s, d, QTime(9, 0), u"B"_s, u"Peinture"_s);
    addPunch(n, u"In"_s, d, QTime(10, 0), u"B"_s, u"Peinture"_s);
    addPunch(n, u"In"_s, d, QTime(7, 0), u"A"_s, u"Peinture"_s, true);
    addPunch(n, u"in"_s, d, QTime(11, 0), u"A"_s, u"Peinture"_s);
    addPunch(n, u"In"_s, d, QTime(12, 0), u"A"_s, u"Plomberie"_s);
    addPunch(u"1002"_s, u"In"_s, d, QTime(12, 0), u"A"_s, u"Peinture"_s);
    const PunchStore::Counts c = store().counts(n, u"Peinture"_s);
    EXPECT_EQ(std::pair(c.in, c.out), std::pair(2, 1));
    const PunchStore::Counts none = store().counts(n, u"Accueil"_s);
    EXPECT_EQ(std::pair(none.in, none.out), std::pair(0, 0));
}

TEST_F(PunchStoreTest, InStoresPunchStatusAndPresenceOutRemovesTheOldestPresence)
{
    PunchStore::NewPunch in = punch(u"1001"_s, u"In"_s, u"Chantier"_s, u"Peinture"_s);
    in.description = u"l'échafaudage"_s;
    QString error;
    ASSERT_TRUE(store().storePunch(in, &error)) << error.toStdString();
    const QList<QVariantMap> stored = rows(u"SELECT * FROM Punch"_s);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(fields(stored[0], {"NoVendeur", "InOut", "PunchDateShort", "PunchTime", "PunchDateLong",
                                 "Projet", "SousProjet", "Description", "Archived"}),
              u"1001|In|2003-03-01|08:30:15|samedi 01 mars 2003|Chantier|Peinture|l'échafaudage|0"_s);
    EXPECT_EQ(status(u"1001"_s).toString(), u"In"_s);
    EXPECT_EQ(status(u"1002"_s).toString(), u"Out"_s);
    ASSERT_EQ(presences(u"1001"_s).size(), 1);

    // A second presence on the same sub-project name under another project;
    // the "Out" closes the older one.
    addPresence(u"1001"_s, u"Bureau"_s, u"Peinture"_s);
    addPresence(u"1001"_s, u"Chantier"_s, u"Plomberie"_s);
    ASSERT_TRUE(store().storePunch(punch(u"1001"_s, u"Out"_s, u"Bureau"_s, u"Peinture"_s)));
    const QList<QVariantMap> left = presences(u"1001"_s);
    ASSERT_EQ(left.size(), 2);
    EXPECT_EQ(fields(left[0], {"Projet", "SousProjet"}), u"Bureau|Peinture"_s);
    EXPECT_EQ(fields(left[1], {"Projet", "SousProjet"}), u"Chantier|Plomberie"_s);
    EXPECT_EQ(status(u"1001"_s).toString(), u"Out"_s);
    EXPECT_TRUE(scalar(u"SELECT Description FROM Punch WHERE InOut = 'Out'"_s).isNull());
}

TEST_F(PunchStoreTest, AFailingStepStoresNothingOfThePunch)
{
    // The presence row cannot be written: the Punch row and the Status
    // written before it must not stay.
    execSql(u"CREATE TRIGGER no_presence BEFORE INSERT ON Vendeurs BEGIN "
            "SELECT RAISE(ABORT, 'disk is full'); END"_s);
    QString error;
    EXPECT_FALSE(store().storePunch(punch(u"1001"_s, u"In"_s, u"Chantier"_s, u"Peinture"_s), &error));
    EXPECT_TRUE(error.contains(u"disk is full"_s)) << error.toStdString();
    EXPECT_EQ(punchCount(), 0);
    EXPECT_EQ(status(u"1001"_s).toString(), u"Out"_s);

    // Same for the removal of the presence on "Out".
    execSql(u"DROP TRIGGER no_presence"_s);
    addPresence(u"1001"_s, u"Chantier"_s, u"Peinture"_s);
    execSql(u"UPDATE Vendeurs SET Status = 'In' WHERE NomVendeur IS NOT NULL"_s);
    execSql(u"CREATE TRIGGER keep_presence BEFORE DELETE ON Vendeurs BEGIN "
            "SELECT RAISE(ABORT, 'locked'); END"_s);
    EXPECT_FALSE(store().storePunch(punch(u"1001"_s, u"Out"_s, u"Chantier"_s, u"Peinture"_s)));
    EXPECT_EQ(punchCount(), 0);
    EXPECT_EQ(status(u"1001"_s).toString(), u"In"_s);
    EXPECT_EQ(presences(u"1001"_s).size(), 1);
}

TEST_F(PunchStoreTest, EndOfDayClosesEveryPresenceRow)
{
    Clock::setFixed(QDateTime(QDate(2003, 3, 1), QTime(18, 5, 0)));
    addPresence(u"1001"_s, u"Chantier"_s, u"Peinture"_s);
    addPresence(u"1001"_s, u"Chantier"_s, u"Plomberie"_s);
    addPresence(u"1002"_s, u"Bureau"_s, u"Accueil"_s);
    addPresence(u"1002"_s, u"Bureau"_s, u"Accueil"_s);
    addPresence(u"9999"_s, u"Bureau"_s, u"Accueil"_s); // employee deleted
    // A report row left behind (name, project and sub-project set) counts as a presence.
    execSql(u"INSERT INTO Vendeurs (NoVendeur, NomVendeur, Projet, SousProjet, Status, TotalHeures) "
            "VALUES ('1003', 'Carl', 'Bureau', 'Accueil', 'In', '1:00')"_s);
    execSql(u"UPDATE Vendeurs SET Status = 'In' WHERE NoVendeur IN ('1001', '1002')"_s);

    int closed = -1;
    QString error;
    ASSERT_TRUE(store().endOfDay(u"Fin de journée générale"_s, &closed, &error)) << error.toStdString();
    EXPECT_EQ(closed, 6);
    const QList<QVariantMap> outs = rows(u"SELECT * FROM Punch ORDER BY NoVendeur, SousProjet"_s);
    ASSERT_EQ(outs.size(), 6);
    QStringList seen;
    for (const QVariantMap &r : outs) {
        seen << fields(r, {"NoVendeur", "SousProjet"});
        EXPECT_EQ(fields(r, {"InOut", "PunchDateShort", "PunchTime", "Description", "Archived"}),
                  u"Out|2003-03-01|18:05:00|Fin de journée générale|0"_s);
        EXPECT_FALSE(r.value("PunchDateLong").toString().isEmpty());
    }
    EXPECT_EQ(seen, QStringList({"1001|Peinture", "1001|Plomberie", "1002|Accueil", "1002|Accueil",
                                 "1003|Accueil", "9999|Accueil"}));
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs WHERE Projet IS NOT NULL"_s).toInt(), 0);
    EXPECT_EQ(status(u"1001"_s).toString(), u"Out"_s);
    EXPECT_EQ(status(u"1002"_s).toString(), u"Out"_s);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs"_s).toInt(), 2);

    // Nothing left to close: nothing written.
    ASSERT_TRUE(store().endOfDay(u"Fin de journée générale"_s, &closed));
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(punchCount(), 6);
}

TEST_F(PunchStoreTest, EndOfDayIsAllOrNothing)
{
    addPresence(u"1001"_s, u"Chantier"_s, u"Peinture"_s);
    addPresence(u"1002"_s, u"Bureau"_s, u"Accueil"_s);
    execSql(u"UPDATE Vendeurs SET Status = 'In' WHERE NomVendeur IS NOT NULL"_s);
    // The second presence cannot be removed.
    execSql(u"CREATE TRIGGER stuck BEFORE DELETE ON Vendeurs WHEN OLD.NoVendeur = '1002' BEGIN "
            "SELECT RAISE(ABORT, 'stuck row'); END"_s);
    QString error;
    int closed = -1;
    EXPECT_FALSE(store().endOfDay(u"Fin de journée générale"_s, &closed, &error));
    EXPECT_TRUE(error.contains(u"stuck row"_s));
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(punchCount(), 0);
    EXPECT_EQ(presences(u"1001"_s).size(), 1);
    EXPECT_EQ(status(u"1001"_s).toString(), u"In"_s);
}

TEST_F(PunchStoreTest, MissingDatabaseFailsWithAReason)
{
    PunchStore missing(folder() + u"/elsewhere.mdb"_s);
    QString error;
    EXPECT_FALSE(missing.storePunch(punch(u"1001"_s, u"In"_s, u"P"_s, u"S"_s), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(missing.endOfDay(u"x"_s, nullptr, &error));
    EXPECT_FALSE(missing.latestPunch(u"1001"_s).has_value());
    EXPECT_FALSE(QFileInfo::exists(folder() + u"/elsewhere.mdb"_s));
}

} // namespace
