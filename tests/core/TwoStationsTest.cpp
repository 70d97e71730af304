// Two stations on one database file: each has its own connection, and a
// punch decided on one is stored only if the other did not change the counts.
#include "station/PunchStore.h"
#include "support/ProgramFixture.h"

#include <QSqlQuery>

#include <random>
#include <thread>

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {

// The direction of a punch of employee 1001 on Peinture, from the counts the store reads.
PunchRules::Decision decide(const PunchStore &store, const QString &given)
{
    const PunchStore::Counts c = store.counts(QStringLiteral("1001"), QStringLiteral("Peinture"));
    return PunchRules::decide(given, c.in, c.out, false);
}

// A connection of its own on a file, as another station (or another thread) has.
class Station {
public:
    Station(const QString &path, const QString &name) : m_name(name)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=10000"_s);
        m_open = db.open() && QSqlQuery(db).exec(u"PRAGMA synchronous=NORMAL"_s);
    }
    ~Station()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool open() const { return m_open; }
    PunchStore store() const { return PunchStore(QSqlDatabase::database(m_name, false)); }

private:
    QString m_name;
    bool m_open = false;
};

class TwoStationsTest : public test::ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        addEmployee(u"1001"_s, u"Alice"_s, u"Out"_s);
    }
    static PunchStore::NewPunch punch(const QString &inOut, int minute = 0)
    {
        return {u"1001"_s,   inOut,         QDate(2003, 3, 1), QTime(8, minute),
                u"samedi"_s, u"Chantier"_s, u"Peinture"_s,     {}};
    }
    QString directions() const
    {
        return scalar(u"SELECT group_concat(InOut, ' ') FROM (SELECT InOut FROM Punch ORDER BY rowid)"_s)
            .toString();
    }
    // The presence rows and the employee's Status follow the punches stored.
    void expectPresencesFollowThePunches() const
    {
        const QString stored = directions();
        EXPECT_EQ(
            scalar(u"SELECT COUNT(*) FROM Vendeurs WHERE NomVendeur ISNULL AND SousProjet = 'Peinture'"_s)
                .toInt(),
            stored.count(u"In"_s) - stored.count(u"Out"_s));
        EXPECT_EQ(scalar(u"SELECT Status FROM Vendeurs WHERE NomVendeur NOTNULL"_s).toString(),
                  stored.section(u' ', -1));
    }
};

// Both stations decide on the same counts; the second to store finds them changed and writes nothing.
TEST_F(TwoStationsTest, PunchDecidedOnCountsChangedMeanwhileIsNotStored)
{
    const Station a(databasePath(), u"station-a"_s), b(databasePath(), u"station-b"_s);
    ASSERT_TRUE(a.open() && b.open());
    // The direction given ("" for Enter, or the button's), the one decided and the punches stored.
    const char *const cases[][3] = {
        {"", "In", "In"}, {"", "Out", "In Out"}, {"In", "In", "In Out In"}, {"Out", "Out", "In Out In Out"}};
    for (const auto &[givenText, decided, after] : cases) {
        SCOPED_TRACE(after);
        const QString given = QString::fromLatin1(givenText);
        const PunchRules::Decision da = decide(a.store(), given);
        const PunchRules::Decision db = decide(b.store(), given);
        ASSERT_EQ(da.direction.toStdString(), decided);
        ASSERT_EQ(db.direction.toStdString(), decided);
        QString error;
        EXPECT_EQ(b.store().storeDecidedPunch(punch(db.direction), given, &error),
                  PunchStore::Outcome::Stored)
            << error.toStdString();
        EXPECT_EQ(a.store().storeDecidedPunch(punch(da.direction), given, &error),
                  PunchStore::Outcome::DirectionChanged);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(directions().toStdString(), after);
        expectPresencesFollowThePunches();
    }
}

// Two stations punching the same employee as fast as they can, each deciding before its write as
// an employee confirming a box: the punches alternate and the presence rows follow them.
TEST_F(TwoStationsTest, AlternatingPunchesFromTwoStationsKeepTheRules)
{
    struct Run {
        int stored = 0, changed = 0;
        QStringList errors; // refusals and failures
    };
    const QString path = databasePath();
    const auto station = [&path](const QString &name, unsigned seed, Run *run) {
        const Station s(path, name);
        PunchStore store = s.store();
        std::mt19937 random(seed);
        for (int i = 0; s.open() && i < 150; ++i) {
            const PunchRules::Decision d = decide(store, QString());
            if (d.refusal != PunchRules::Refusal::None) {
                run->errors << u"refused"_s;
                continue;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 400));
            QString error;
            const PunchStore::Outcome outcome =
                store.storeDecidedPunch(punch(d.direction, i % 60), {}, &error);
            run->stored += outcome == PunchStore::Outcome::Stored;
            run->changed += outcome == PunchStore::Outcome::DirectionChanged;
            if (outcome == PunchStore::Outcome::Failed)
                run->errors << error;
        }
    };
    Run a, b;
    std::thread first(station, u"thread-a"_s, 1u, &a), second(station, u"thread-b"_s, 2u, &b);
    first.join();
    second.join();
    EXPECT_TRUE(a.errors.isEmpty() && b.errors.isEmpty()) << (a.errors + b.errors).join(u'\n').toStdString();
    EXPECT_GT(a.changed + b.changed, 0) << "the two stations never decided on the same counts";
    EXPECT_TRUE(a.stored > 0 && b.stored > 0) << a.stored << " " << b.stored;
    const QString stored = directions();
    EXPECT_EQ(stored.count(u' ') + 1, a.stored + b.stored);
    EXPECT_FALSE(stored.contains(u"In In"_s) || stored.contains(u"Out Out"_s) || stored.startsWith(u"Out"_s))
        << stored.toStdString();
    expectPresencesFollowThePunches();
}

} // namespace
