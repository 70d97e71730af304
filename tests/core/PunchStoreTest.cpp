#include "station/PunchStore.h"
#include "common/Clock.h"
#include "support/ProgramFixture.h"

using namespace tarnvik;
using tarnvik::test::ProgramFixture;

namespace {

class PunchStoreTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        addEmployee(QStringLiteral("1001"), QStringLiteral("Alice"), QStringLiteral("Out"));
        addEmployee(QStringLiteral("1002"), QStringLiteral("Bob"), QStringLiteral("Out"));
    }

    PunchStore::NewPunch punch(const QString &number, const QString &inOut, const QString &project,
                               const QString &sub) const
    {
        PunchStore::NewPunch p;
        p.number = number;
        p.inOut = inOut;
        p.date = QDate(2003, 3, 1);
        p.time = QTime(8, 30, 15);
        p.dateLong = QStringLiteral("samedi 01 mars 2003");
        p.project = project;
        p.subProject = sub;
        return p;
    }

    void addPresence(const QString &number, const QString &project, const QString &sub)
    {
        execSql(QStringLiteral("INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES (?, ?, ?)"),
                {number, project, sub});
    }

    QList<QVariantMap> presences(const QString &number)
    {
        return rows(QStringLiteral("SELECT Projet, SousProjet FROM Vendeurs WHERE NoVendeur = ? AND "
                                   "NomVendeur IS NULL ORDER BY rowid"),
                    {number});
    }

    QVariant status(const QString &number)
    {
        return scalar(
            QStringLiteral("SELECT Status FROM Vendeurs WHERE NoVendeur = ? AND NomVendeur IS NOT NULL"),
            {number});
    }

    int punchCount() { return scalar(QStringLiteral("SELECT COUNT(*) FROM Punch")).toInt(); }

    PunchStore store() const { return PunchStore(databasePath()); }
};

TEST_F(PunchStoreTest, LatestPunchIsTheNewestArchivedOrNot)
{
    EXPECT_FALSE(store().latestPunch(QStringLiteral("1001")).has_value());
    addPunch(QStringLiteral("1001"), QStringLiteral("In"), QDate(2003, 2, 27), QTime(8, 0),
             QStringLiteral("P"), QStringLiteral("S"));
    addPunch(QStringLiteral("1001"), QStringLiteral("Out"), QDate(2003, 2, 28), QTime(7, 0),
             QStringLiteral("P"), QStringLiteral("S"), true);
    addPunch(QStringLiteral("1001"), QStringLiteral("In"), QDate(2003, 2, 28), QTime(6, 59, 59),
             QStringLiteral("P"), QStringLiteral("S"));
    addPunch(QStringLiteral("1002"), QStringLiteral("In"), QDate(2003, 3, 1), QTime(9, 0),
             QStringLiteral("P"), QStringLiteral("S"));
    const auto latest = store().latestPunch(QStringLiteral("1001"));
    ASSERT_TRUE(latest.has_value());
    EXPECT_EQ(latest->inOut, QStringLiteral("Out"));
    EXPECT_EQ(latest->date.toString(), QStringLiteral("2003-02-28"));
    EXPECT_EQ(latest->time.toString(), QStringLiteral("07:00:00"));
    // The number is compared as text: "100" is not "1001".
    EXPECT_FALSE(store().latestPunch(QStringLiteral("100")).has_value());
}

TEST_F(PunchStoreTest, EmployeeIsFoundByItsNamedRowWhateverComesFirst)
{
    addPresence(QStringLiteral("2001"), QStringLiteral("P"), QStringLiteral("S"));
    addEmployee(QStringLiteral("2001"), QStringLiteral("Chloé D'Arcy"));
    PunchStore::Employee e = store().findEmployee(QStringLiteral("2001"));
    EXPECT_TRUE(e.anyRow);
    EXPECT_TRUE(e.hasEmployeeRow);
    EXPECT_EQ(e.name, QStringLiteral("Chloé D'Arcy"));

    // Presence rows alone: rows, but no employee.
    addPresence(QStringLiteral("3001"), QStringLiteral("P"), QStringLiteral("S"));
    e = store().findEmployee(QStringLiteral("3001"));
    EXPECT_TRUE(e.anyRow);
    EXPECT_FALSE(e.hasEmployeeRow);

    e = store().findEmployee(QStringLiteral("\"1001"));
    EXPECT_FALSE(e.anyRow);
}

TEST_F(PunchStoreTest, ProjectOfASubProjectIsTheFirstInAlphabeticalOrder)
{
    addProject(QStringLiteral("Zeta"), {QStringLiteral("Commun")});
    addProject(QStringLiteral("Alpha"), {QStringLiteral("Commun"), QStringLiteral("L'atelier")});
    EXPECT_EQ(store().projectOf(QStringLiteral("Commun")), QStringLiteral("Alpha"));
    EXPECT_EQ(store().projectOf(QStringLiteral("L'atelier")), QStringLiteral("Alpha"));
    EXPECT_FALSE(store().projectOf(QStringLiteral("Ailleurs")).has_value());
    EXPECT_FALSE(store().projectOf(QString()).has_value());
}

TEST_F(PunchStoreTest, CountsTakeCurrentPunchesOnTheSubProjectNameUnderAnyProject)
{
    const QString n = QStringLiteral("1001");
    const QDate d(2003, 2, 20);
    addPunch(n, QStringLiteral("In"), d, QTime(8, 0), QStringLiteral("A"), QStringLiteral("Peinture"));
    addPunch(n, QStringLiteral("Out"), d, QTime(9, 0), QStringLiteral("B"), QStringLiteral("Peinture"));
    addPunch(n, QStringLiteral("In"), d, QTime(10, 0), QStringLiteral("B"), QStringLiteral("Peinture"));
    addPunch(n, QStringLiteral("In"), d, QTime(7, 0), QStringLiteral("A"), QStringLiteral("Peinture"), true);
    addPunch(n, QStringLiteral("in"), d, QTime(11, 0), QStringLiteral("A"), QStringLiteral("Peinture"));
    addPunch(n, QStringLiteral("In"), d, QTime(12, 0), QStringLiteral("A"), QStringLiteral("Plomberie"));
    addPunch(QStringLiteral("1002"), QStringLiteral("In"), d, QTime(12, 0), QStringLiteral("A"),
             QStringLiteral("Peinture"));
    const PunchStore::Counts c = store().counts(n, QStringLiteral("Peinture"));
    EXPECT_EQ(c.in, 2);
    EXPECT_EQ(c.out, 1);
    const PunchStore::Counts none = store().counts(n, QStringLiteral("Accueil"));
    EXPECT_EQ(none.in, 0);
    EXPECT_EQ(none.out, 0);
}

TEST_F(PunchStoreTest, InStoresPunchStatusAndPresenceOutRemovesTheOldestPresence)
{
    PunchStore::NewPunch in = punch(QStringLiteral("1001"), QStringLiteral("In"), QStringLiteral("Chantier"),
                                    QStringLiteral("Peinture"));
    in.description = QStringLiteral("l'échafaudage");
    QString error;
    ASSERT_TRUE(store().storePunch(in, &error)) << error.toStdString();
    const QList<QVariantMap> stored = rows(QStringLiteral("SELECT * FROM Punch"));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].value("NoVendeur").toString(), QStringLiteral("1001"));
    EXPECT_EQ(stored[0].value("InOut").toString(), QStringLiteral("In"));
    EXPECT_EQ(stored[0].value("PunchDateShort").toString(), QStringLiteral("2003-03-01"));
    EXPECT_EQ(stored[0].value("PunchTime").toString(), QStringLiteral("08:30:15"));
    EXPECT_EQ(stored[0].value("PunchDateLong").toString(), QStringLiteral("samedi 01 mars 2003"));
    EXPECT_EQ(stored[0].value("Description").toString(), QStringLiteral("l'échafaudage"));
    EXPECT_EQ(stored[0].value("Archived").toInt(), 0);
    EXPECT_EQ(status(QStringLiteral("1001")).toString(), QStringLiteral("In"));
    EXPECT_EQ(status(QStringLiteral("1002")).toString(), QStringLiteral("Out"));
    ASSERT_EQ(presences(QStringLiteral("1001")).size(), 1);

    // A second presence on the same sub-project name under another project;
    // the "Out" closes the older one.
    addPresence(QStringLiteral("1001"), QStringLiteral("Bureau"), QStringLiteral("Peinture"));
    addPresence(QStringLiteral("1001"), QStringLiteral("Chantier"), QStringLiteral("Plomberie"));
    ASSERT_TRUE(store().storePunch(punch(QStringLiteral("1001"), QStringLiteral("Out"),
                                         QStringLiteral("Bureau"), QStringLiteral("Peinture"))));
    const QList<QVariantMap> left = presences(QStringLiteral("1001"));
    ASSERT_EQ(left.size(), 2);
    EXPECT_EQ(left[0].value("Projet").toString(), QStringLiteral("Bureau"));
    EXPECT_EQ(left[1].value("SousProjet").toString(), QStringLiteral("Plomberie"));
    EXPECT_EQ(status(QStringLiteral("1001")).toString(), QStringLiteral("Out"));
    EXPECT_TRUE(scalar(QStringLiteral("SELECT Description FROM Punch WHERE InOut = 'Out'")).isNull());
}

TEST_F(PunchStoreTest, AFailingStepStoresNothingOfThePunch)
{
    // The presence row cannot be written: the Punch row and the Status
    // written before it must not stay.
    execSql(QStringLiteral("CREATE TRIGGER no_presence BEFORE INSERT ON Vendeurs BEGIN "
                           "SELECT RAISE(ABORT, 'disk is full'); END"));
    QString error;
    EXPECT_FALSE(store().storePunch(punch(QStringLiteral("1001"), QStringLiteral("In"),
                                          QStringLiteral("Chantier"), QStringLiteral("Peinture")),
                                    &error));
    EXPECT_TRUE(error.contains(QStringLiteral("disk is full"))) << error.toStdString();
    EXPECT_EQ(punchCount(), 0);
    EXPECT_EQ(status(QStringLiteral("1001")).toString(), QStringLiteral("Out"));

    // Same for the removal of the presence on "Out".
    execSql(QStringLiteral("DROP TRIGGER no_presence"));
    addPresence(QStringLiteral("1001"), QStringLiteral("Chantier"), QStringLiteral("Peinture"));
    execSql(QStringLiteral("UPDATE Vendeurs SET Status = 'In' WHERE NomVendeur IS NOT NULL"));
    execSql(QStringLiteral("CREATE TRIGGER keep_presence BEFORE DELETE ON Vendeurs BEGIN "
                           "SELECT RAISE(ABORT, 'locked'); END"));
    EXPECT_FALSE(store().storePunch(punch(QStringLiteral("1001"), QStringLiteral("Out"),
                                          QStringLiteral("Chantier"), QStringLiteral("Peinture"))));
    EXPECT_EQ(punchCount(), 0);
    EXPECT_EQ(status(QStringLiteral("1001")).toString(), QStringLiteral("In"));
    EXPECT_EQ(presences(QStringLiteral("1001")).size(), 1);
}

TEST_F(PunchStoreTest, EndOfDayClosesEveryPresenceRow)
{
    Clock::setFixed(QDateTime(QDate(2003, 3, 1), QTime(18, 5, 0)));
    addPresence(QStringLiteral("1001"), QStringLiteral("Chantier"), QStringLiteral("Peinture"));
    addPresence(QStringLiteral("1001"), QStringLiteral("Chantier"), QStringLiteral("Plomberie"));
    addPresence(QStringLiteral("1002"), QStringLiteral("Bureau"), QStringLiteral("Accueil"));
    addPresence(QStringLiteral("1002"), QStringLiteral("Bureau"), QStringLiteral("Accueil"));
    addPresence(QStringLiteral("9999"), QStringLiteral("Bureau"),
                QStringLiteral("Accueil")); // employee deleted
    // A report row left behind (name, project and sub-project set) counts as a presence.
    execSql(QStringLiteral(
        "INSERT INTO Vendeurs (NoVendeur, NomVendeur, Projet, SousProjet, Status, TotalHeures) "
        "VALUES ('1003', 'Carl', 'Bureau', 'Accueil', 'In', '1:00')"));
    execSql(QStringLiteral("UPDATE Vendeurs SET Status = 'In' WHERE NoVendeur IN ('1001', '1002')"));

    int closed = -1;
    QString error;
    ASSERT_TRUE(store().endOfDay(QStringLiteral("Fin de journée générale"), &closed, &error))
        << error.toStdString();
    EXPECT_EQ(closed, 6);
    const QList<QVariantMap> outs =
        rows(QStringLiteral("SELECT * FROM Punch ORDER BY NoVendeur, SousProjet"));
    ASSERT_EQ(outs.size(), 6);
    QStringList seen;
    for (const QVariantMap &r : outs) {
        seen << r.value("NoVendeur").toString() + QLatin1Char('/') + r.value("SousProjet").toString();
        EXPECT_EQ(r.value("InOut").toString(), QStringLiteral("Out"));
        EXPECT_EQ(r.value("PunchDateShort").toString(), QStringLiteral("2003-03-01"));
        EXPECT_EQ(r.value("PunchTime").toString(), QStringLiteral("18:05:00"));
        EXPECT_EQ(r.value("Description").toString(), QStringLiteral("Fin de journée générale"));
        EXPECT_FALSE(r.value("PunchDateLong").toString().isEmpty());
        EXPECT_EQ(r.value("Archived").toInt(), 0);
    }
    EXPECT_EQ(seen, QStringList({"1001/Peinture", "1001/Plomberie", "1002/Accueil", "1002/Accueil",
                                 "1003/Accueil", "9999/Accueil"}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Vendeurs WHERE Projet IS NOT NULL")).toInt(), 0);
    EXPECT_EQ(status(QStringLiteral("1001")).toString(), QStringLiteral("Out"));
    EXPECT_EQ(status(QStringLiteral("1002")).toString(), QStringLiteral("Out"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Vendeurs")).toInt(), 2);

    // Nothing left to close: nothing written.
    ASSERT_TRUE(store().endOfDay(QStringLiteral("Fin de journée générale"), &closed));
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(punchCount(), 6);
}

TEST_F(PunchStoreTest, EndOfDayIsAllOrNothing)
{
    addPresence(QStringLiteral("1001"), QStringLiteral("Chantier"), QStringLiteral("Peinture"));
    addPresence(QStringLiteral("1002"), QStringLiteral("Bureau"), QStringLiteral("Accueil"));
    execSql(QStringLiteral("UPDATE Vendeurs SET Status = 'In' WHERE NomVendeur IS NOT NULL"));
    // The second presence cannot be removed.
    execSql(QStringLiteral("CREATE TRIGGER stuck BEFORE DELETE ON Vendeurs WHEN OLD.NoVendeur = '1002' BEGIN "
                           "SELECT RAISE(ABORT, 'stuck row'); END"));
    QString error;
    int closed = -1;
    EXPECT_FALSE(store().endOfDay(QStringLiteral("Fin de journée générale"), &closed, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("stuck row")));
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(punchCount(), 0);
    EXPECT_EQ(presences(QStringLiteral("1001")).size(), 1);
    EXPECT_EQ(status(QStringLiteral("1001")).toString(), QStringLiteral("In"));
}

TEST_F(PunchStoreTest, MissingDatabaseFailsWithAReason)
{
    PunchStore missing(folder() + QStringLiteral("/elsewhere.mdb"));
    QString error;
    EXPECT_FALSE(missing.storePunch(
        punch(QStringLiteral("1001"), QStringLiteral("In"), QStringLiteral("P"), QStringLiteral("S")),
        &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(missing.endOfDay(QStringLiteral("x"), nullptr, &error));
    EXPECT_FALSE(missing.latestPunch(QStringLiteral("1001")).has_value());
    EXPECT_FALSE(QFileInfo::exists(folder() + QStringLiteral("/elsewhere.mdb")));
}

} // namespace
