// An ordered result on one table is read as row identities, and its rows'
// values by identity in batches when they are looked at: the values must be
// those of the right row wherever the batches begin and end, whatever was
// written to the table meanwhile, and only a bounded number of rows may keep
// theirs in memory.
#include "common/Database.h"
#include "common/RecordsetTableModel.h"
#include "support/RecordsetFixture.h"

#include <algorithm>
#include <random>

using namespace tarnvik;

namespace {

using RecordsetByIdentityTest = test::RecordsetFixture;

// Query shapes, each read forwards and by jumps across the edges
// of the first rows and of the batches, against the same query run directly.
TEST_F(RecordsetByIdentityTest, EveryRowHasItsOwnValuesHoweverItIsReached)
{
    addEmployees(3000);
    const SqlQuery queries[] = {
        {"SELECT * FROM Vendeurs ORDER BY NoVendeur DESC"},
        {"SELECT NomVendeur, NoVendeur FROM Vendeurs ORDER BY 2"},
        {"SELECT NoVendeur AS Number, NomVendeur FROM Vendeurs WHERE NoVendeur >= ? ORDER BY Number "
         "LIMIT 600 OFFSET 5;",
         {"100100"}},
        {"SELECT * FROM Vendeurs ORDER BY Status, NoVendeur"},
        {"SELECT Status, NoVendeur FROM Vendeurs WHERE NoVendeur = 'none' ORDER BY NoVendeur"},
        // An ORDER BY inside quotes or a sub-query is not the statement's own; a collation is kept.
        {"SELECT * FROM Vendeurs WHERE NomVendeur || ' ORDER BY b' <> 'Name 100001 ORDER BY b' ORDER BY "
         "NomVendeur COLLATE NOCASE DESC"},
        {"SELECT * FROM Vendeurs WHERE NoVendeur IN (SELECT NoVendeur FROM Vendeurs ORDER BY 1 LIMIT 300)"},
        {"SELECT * FROM Punch WHERE NoVendeur IN (SELECT NoVendeur FROM Vendeurs) ORDER BY \"limit\""},
        {"SELECT DISTINCT Status FROM Vendeurs ORDER BY 1"},
        {"SELECT Status, COUNT(*) FROM Vendeurs GROUP BY Status ORDER BY 1"},
    };
    for (const SqlQuery &query : queries) {
        SCOPED_TRACE(query.text.toStdString());
        Recordset &rs = open(query);
        const QStringList fields = rs.fieldNames();
        ASSERT_FALSE(fields.isEmpty()) << "an empty result has its fields too";
        QStringList expected;
        for (const QVariantMap &r : rows(query.text, query.params)) {
            QStringList values;
            for (const QString &field : fields)
                values << r.value(field).toString();
            expected << values.join('|');
        }
        const qint64 count = expected.size();
        EXPECT_EQ(walk(rs, {}), expected);

        open(query);
        EXPECT_EQ(rs.RecordCount(), count);
        for (const qint64 at : {count - 1, 0LL, 51LL, 256LL, 50LL, 257LL, count - 2, 255LL, 52LL, 318LL,
                                319LL, 320LL, 1LL, 1500LL, 1436LL}) {
            if (at >= 0 && at < count) {
                EXPECT_EQ(row(rs, at), expected[at]) << "position " << at;
            }
        }
    }
}

// Rows equal in the order come once each from the first rows to the rest, in
// the order they were stored, whether the rest is read a row at a time or as
// identities straight to the end (not in the order of the index the database
// would use for them); a row added meanwhile changes nothing.
TEST_F(RecordsetByIdentityTest, RowsEqualInTheOrderComeOnceEachInStoredOrder)
{
    execSql("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 599) "
            "INSERT INTO Punch (NoVendeur, PunchDateShort) SELECT CAST(i AS TEXT), "
            "date('2003-01-01', '+' || ((i * 7919) % 600) || ' days') FROM n");
    QStringList stored;
    for (int i = 0; i < 600; ++i)
        stored << QString::number(i);
    for (const int readFirst : {0, 30, 51, 52, -1}) {
        SCOPED_TRACE(readFirst);
        Recordset &rs = open(SqlQuery("SELECT * FROM Punch ORDER BY Archived"));
        QStringList numbers;
        if (readFirst < 0) { // straight to the end, then read by position
            ASSERT_TRUE(rs.MoveLast());
            for (qint64 at = 0; at < rs.RecordCount(); ++at)
                numbers << rs.valueAt(at, rs.fieldIndex("NoVendeur")).toString();
        } else {
            for (int i = 0; i < readFirst; ++i) {
                numbers << rs.value("NoVendeur").toString();
                rs.MoveNext();
            }
            execSql("INSERT INTO Punch (NoVendeur) VALUES ('late')");
            numbers << walk(rs);
            numbers.removeOne("late");
            execSql("DELETE FROM Punch WHERE NoVendeur = 'late'");
        }
        EXPECT_EQ(numbers, stored);
    }
}

// Rows written by other queries while a result is read: read a few rows at a
// time and then far ahead, it goes on, as identities, from the very row it had
// reached, each row once and in order as of the moment its rest began to be
// read (a row deleted since shows its values as they were, or none; never
// another's); read as identities to the end first, a changed row shows its
// values as they are now, a deleted one keeps its place with no values (and
// cannot be changed: the change is kept to retry or cancel), an inserted one
// does not come. Every other row keeps its own values.
TEST_F(RecordsetByIdentityTest, RowsWrittenMeanwhileKeepTheirPlaceAndTheirOwnValues)
{
    for (const int walkFirst : {60, 51 + 512, 1500, -1}) {
        SCOPED_TRACE(walkFirst);
        addEmployees(3000);
        Recordset &rs = open(SqlQuery("SELECT NoVendeur, NomVendeur FROM Vendeurs ORDER BY NoVendeur"));
        if (walkFirst < 0)
            rs.fetchMore(5000);
        ASSERT_TRUE(walkFirst > 0 || rs.fetchedAll());
        for (int i = 0; i < walkFirst; ++i)
            ASSERT_TRUE(rs.MoveNext());
        execSql("UPDATE Vendeurs SET NomVendeur = 'Renamed' WHERE NoVendeur = '102800'");
        execSql("DELETE FROM Vendeurs WHERE NoVendeur IN ('100051', '102000', '102001', '102600', '102999')");
        addEmployee("102000a", "Inserted");
        ASSERT_TRUE(rs.setBookmark(2500));
        EXPECT_EQ(rs.value("NoVendeur").toString(), "102499");
        ASSERT_TRUE(rs.MoveLast());
        EXPECT_EQ(rs.RecordCount(), 3000);
        for (qint64 at = 0; at < 3000; ++at) {
            const QString number = QString::number(100000 + at);
            const QString own = number + '|' + (at == 2800 ? QStringLiteral("Renamed") : "Name " + number);
            if (at == 51 || at == 2000 || at == 2001 || at == 2600 || at == 2999)
                EXPECT_TRUE(row(rs, at) == "|" || (walkFirst > 0 && row(rs, at) == own)) << at;
            else
                ASSERT_EQ(row(rs, at), own);
        }
    }
    Recordset &rs = source.recordset();
    ASSERT_TRUE(rs.setBookmark(2601));
    ASSERT_TRUE(rs.setValue("NomVendeur", "Lost"));
    EXPECT_FALSE(rs.Update());
    EXPECT_TRUE(rs.lastError().contains("no longer exists")) << rs.lastError().toStdString();
    EXPECT_TRUE(rs.editPending());
    rs.CancelUpdate();
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Vendeurs WHERE NomVendeur = 'Lost'").toInt(), 0);
}

// A large result read from its end (the rest as identities), then as a grid
// scrolled back and forth and jumped about: batches read again over rows
// whose values were dropped. Inside a transaction of the program every
// identity is read at once: more than a query can bind values for.
TEST_F(RecordsetByIdentityTest, ValuesDroppedAndReadAgainStayRight)
{
    addEmployees(30000);
    Recordset &rs = open(SqlQuery("SELECT * FROM Vendeurs ORDER BY NoVendeur"));
    EXPECT_LT(rs.fetchedCount(), 1000) << "opens with its first rows";
    ASSERT_TRUE(rs.MoveLast());
    std::mt19937 random(7);
    for (qint64 step = 0, at = 15000; step < 4000; ++step) {
        at = step % 100 == 0 ? qint64(random() % 30000)
                             : std::clamp<qint64>(at + qint64(random() % 601) - 300, 0, 29999);
        ASSERT_EQ(rs.valueAt(at, 0).toString(), QString::number(100000 + at)) << step;
    }
    EXPECT_LT(rs.rowsHoldingValues(), 10000);
    rs.Close();

    QSqlDatabase db = Database::connection(databasePath());
    Transaction tx(db);
    ASSERT_TRUE(tx.ok());
    addEmployees(40000);
    open(SqlQuery("SELECT NoVendeur, NomVendeur FROM Vendeurs ORDER BY NoVendeur DESC"));
    EXPECT_TRUE(rs.fetchedAll());
    EXPECT_EQ(rs.RecordCount(), 40000);
    EXPECT_EQ(row(rs), "139999|Name 139999");
    EXPECT_EQ(row(rs, 39999), "100000|Name 100000");
    EXPECT_LT(rs.rowsHoldingValues(), 1000);
    rs.Close();
    tx.rollback();
}

// A grid's rows stay those it was told of when the result read rows of its
// own (the cursor walking past the shown ones) and a shown row is deleted.
TEST_F(RecordsetByIdentityTest, GridRowsStayConsistentWhenTheResultReadAhead)
{
    addEmployees(2000);
    open(SqlQuery("SELECT * FROM Vendeurs ORDER BY NoVendeur"));
    RecordsetTableModel model(&source);
    model.fetchMore(QModelIndex());
    const int shown = model.rowCount();
    int announced = shown; // the rows the model announced to its views
    QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex &, int first, int last) { announced += last - first + 1; });
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved,
                     [&](const QModelIndex &, int first, int last) { announced -= last - first + 1; });
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { announced = model.rowCount(); });
    Recordset &rs = source.recordset();
    ASSERT_TRUE(rs.setBookmark(shown + 300));
    ASSERT_GT(rs.fetchedCount(), shown);
    EXPECT_EQ(model.rowCount(), shown);
    ASSERT_TRUE(model.deleteRow(10));
    EXPECT_EQ(model.rowCount(), announced);
    EXPECT_EQ(model.rowCount(), rs.fetchedCount());
    EXPECT_EQ(model.index(10, 0).data().toString(), "100011");
    EXPECT_EQ(model.index(shown + 200, 0).data().toString(), QString::number(100000 + shown + 201));
}

} // namespace
