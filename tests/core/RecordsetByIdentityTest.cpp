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

class RecordsetByIdentityTest : public test::RecordsetFixture {
protected:
    // Employees 100000 .. 100000 + count - 1, stored in a scrambled order so
    // that the order of their identities is not that of their numbers; each
    // one's name is "Name " and its number.
    void addEmployees(int count)
    {
        execSql("DELETE FROM Vendeurs");
        ASSERT_TRUE(execSql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                           "WHERE i < %1), k(v) AS (SELECT 100000 + (i * 7919) % %2 FROM n) "
                                           "INSERT INTO Vendeurs (NoVendeur, NomVendeur, Status) SELECT "
                                           "CAST(v AS TEXT), 'Name ' || v, CASE v % 3 WHEN 0 THEN 'In' END "
                                           "FROM k")
                                .arg(count - 1)
                                .arg(count)));
    }
};

// The whole row at a position, field by field, read where it lies.
QString rowAt(Recordset &rs, qint64 position)
{
    QStringList values;
    for (int column = 0; column < rs.fieldNames().size(); ++column)
        values << rs.valueAt(position, column).toString();
    return values.join('|');
}

QString currentRow(Recordset &rs)
{
    QStringList values;
    for (const QString &name : rs.fieldNames())
        values << rs.value(name).toString();
    return values.join('|');
}

// Query shapes, each read forwards, backwards and by jumps across the edges
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
    };
    for (const SqlQuery &query : queries) {
        SCOPED_TRACE(query.text.toStdString());
        QStringList expected;
        Recordset &rs = open(query);
        const QStringList fields = rs.fieldNames();
        ASSERT_FALSE(fields.isEmpty()) << "an empty result has its fields too";
        for (const QVariantMap &row : rows(query.text, query.params)) {
            QStringList values;
            for (const QString &field : fields)
                values << row.value(field).toString();
            expected << values.join('|');
        }
        const qint64 count = expected.size();

        QStringList forwards;
        for (int guard = 0; !rs.isEOF() && guard <= count; ++guard) {
            forwards << currentRow(rs);
            ASSERT_TRUE(rs.MoveNext());
        }
        EXPECT_EQ(forwards, expected);

        open(query);
        QStringList backwards;
        if (rs.MoveLast() && !rs.isEOF()) {
            for (int guard = 0; !rs.isBOF() && guard <= count; ++guard) {
                backwards.prepend(currentRow(rs));
                ASSERT_TRUE(rs.MovePrevious());
            }
        }
        EXPECT_EQ(backwards, expected);

        open(query);
        EXPECT_EQ(rs.RecordCount(), count);
        const qint64 jumps[] = {count - 1, 0,   51,  256, 50, 257,  count - 2, 255,
                                52,        318, 319, 320, 1,  1500, 1436};
        for (const qint64 position : jumps) {
            if (position < 0 || position >= count)
                continue;
            EXPECT_EQ(rowAt(rs, position), expected[position]) << "position " << position;
        }
    }
}

// Rows equal in the order come in one order, from the first rows to the rest:
// none is left out or comes twice where the first rows end.
TEST_F(RecordsetByIdentityTest, RowsEqualInTheOrderComeOnceEach)
{
    addEmployees(600);
    execSql("UPDATE Vendeurs SET Status = 'Out'");
    for (const int readFirst : {0, 30, 51, 52}) {
        SCOPED_TRACE(readFirst);
        Recordset &rs = open(SqlQuery("SELECT * FROM Vendeurs ORDER BY Status"));
        QStringList numbers;
        for (int i = 0; i < readFirst; ++i) {
            numbers << rs.value("NoVendeur").toString();
            rs.MoveNext();
        }
        if (readFirst == 30)
            addEmployee("150000", "Late", "Out");
        for (int guard = 0; !rs.isEOF() && guard < 1000; ++guard) {
            numbers << rs.value("NoVendeur").toString();
            ASSERT_TRUE(rs.MoveNext());
        }
        numbers.removeOne("150000");
        QStringList once = numbers;
        once.removeDuplicates();
        EXPECT_EQ(once.size(), numbers.size());
        EXPECT_EQ(numbers.size(), 600);
        execSql("DELETE FROM Vendeurs WHERE NoVendeur = '150000'");
    }
}

// Rows equal in the order come in the order they were stored, whether the
// rest is read a row at a time or as identities straight to the end (the
// database would otherwise give them in the order of whatever index it uses).
TEST_F(RecordsetByIdentityTest, RowsEqualInTheOrderComeInTheOrderTheyWereStored)
{
    execSql("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 299) "
            "INSERT INTO Punch (NoVendeur, PunchDateShort) SELECT CAST(i AS TEXT), "
            "date('2003-01-01', '+' || ((i * 7919) % 300) || ' days') FROM n");
    QStringList stored;
    for (const QVariantMap &row : rows("SELECT NoVendeur FROM Punch ORDER BY rowid"))
        stored << row["NoVendeur"].toString();
    const SqlQuery query("SELECT * FROM Punch ORDER BY Archived");
    Recordset &rs = open(query);
    QStringList walked;
    for (int guard = 0; !rs.isEOF() && guard < 1000; ++guard) {
        walked << rs.value("NoVendeur").toString();
        ASSERT_TRUE(rs.MoveNext());
    }
    EXPECT_EQ(walked, stored);

    open(query);
    ASSERT_TRUE(rs.MoveLast());
    QStringList jumped;
    for (qint64 position = 0; position < rs.RecordCount(); ++position)
        jumped << rs.valueAt(position, rs.fieldIndex("NoVendeur")).toString();
    EXPECT_EQ(jumped, stored);
}

// A result read a few rows at a time and then far ahead goes on, as
// identities, from the very row it had reached: as of the moment its rest
// began to be read, each row once, in order, whatever was written since (a
// row deleted since shows its values as they were, or none; never another's).
TEST_F(RecordsetByIdentityTest, ReadingFarAheadGoesOnFromTheRowReached)
{
    for (const int walkFirst : {60, 51 + 512, 1500}) {
        SCOPED_TRACE(walkFirst);
        addEmployees(3000);
        Recordset &rs = open(SqlQuery("SELECT NoVendeur FROM Vendeurs ORDER BY NoVendeur"));
        for (int i = 0; i < walkFirst; ++i)
            ASSERT_TRUE(rs.MoveNext());
        execSql("DELETE FROM Vendeurs WHERE NoVendeur IN ('102000', '102001', '102600')");
        addEmployee("102000a", "Inserted");
        ASSERT_TRUE(rs.setBookmark(2500));
        EXPECT_EQ(rs.value("NoVendeur").toString(), "102499");
        ASSERT_TRUE(rs.MoveLast());
        EXPECT_EQ(rs.RecordCount(), 3000);
        for (qint64 position = 0; position < 3000; ++position) {
            const QString expected = QString::number(100000 + position);
            const QVariant number = rs.valueAt(position, 0);
            if (position == 2000 || position == 2001 || position == 2600)
                EXPECT_TRUE(number.isNull() || number.toString() == expected)
                    << number.toString().toStdString();
            else
                ASSERT_EQ(number.toString(), expected);
        }
    }
}

// Rows changed by other queries after their identities were read and before
// their values were: a changed row shows its values as they are now, a deleted
// one keeps its place with no values (and cannot be changed), an inserted one
// does not come; every other row keeps its own values.
TEST_F(RecordsetByIdentityTest, ValuesReadLaterAreThoseOfTheRowAsItIsNow)
{
    addEmployees(1000);
    Recordset &rs = open(SqlQuery("SELECT * FROM Vendeurs ORDER BY NoVendeur"));
    rs.fetchMore(2000);
    ASSERT_TRUE(rs.fetchedAll());
    execSql("UPDATE Vendeurs SET NomVendeur = 'Renamed' WHERE NoVendeur = '100800'");
    execSql("DELETE FROM Vendeurs WHERE NoVendeur IN ('100700', '100999', '100051')");
    addEmployee("100700a", "Inserted");
    EXPECT_EQ(rs.RecordCount(), 1000);
    for (qint64 position = 0; position < 1000; ++position) {
        const QString number = QString::number(100000 + position);
        const int name = rs.fieldIndex("NomVendeur");
        if (position == 700 || position == 999 || position == 51) {
            EXPECT_TRUE(rs.valueAt(position, 0).isNull() && rs.valueAt(position, name).isNull()) << position;
        } else {
            ASSERT_EQ(rs.valueAt(position, 0).toString(), number);
            EXPECT_EQ(rs.valueAt(position, name).toString(),
                      position == 800 ? QStringLiteral("Renamed") : "Name " + number);
        }
    }
    ASSERT_TRUE(rs.setBookmark(701));
    ASSERT_TRUE(rs.setValue("NomVendeur", "Lost"));
    EXPECT_FALSE(rs.Update());
    EXPECT_TRUE(rs.lastError().contains("no longer exists")) << rs.lastError().toStdString();
    rs.CancelUpdate();
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Vendeurs WHERE NomVendeur = 'Lost'").toInt(), 0);
}

// Deleting and adding rows of the result itself, inside and at the edges of
// batches already read, keeps each row's values with it.
TEST_F(RecordsetByIdentityTest, DeletesAndAddsKeepEachRowsValues)
{
    addEmployees(800);
    Recordset &rs = open(SqlQuery("SELECT NoVendeur, NomVendeur FROM Vendeurs ORDER BY NoVendeur"));
    ASSERT_TRUE(rs.MoveLast());
    for (const qint64 bookmark : {800, 790, 545, 544, 300, 52, 51, 1}) {
        ASSERT_TRUE(rs.setBookmark(bookmark));
        ASSERT_TRUE(rs.Delete()) << rs.lastError().toStdString();
    }
    ASSERT_TRUE(rs.AddNew());
    ASSERT_TRUE(rs.setValue("NoVendeur", "000001"));
    ASSERT_TRUE(rs.Update());
    EXPECT_EQ(rs.value("NomVendeur").toString(), "");
    QStringList expected;
    for (const QVariantMap &row : rows("SELECT NoVendeur, NomVendeur FROM Vendeurs ORDER BY NoVendeur"))
        expected << row["NoVendeur"].toString() + '|' + row["NomVendeur"].toString();
    expected.move(0, expected.size() - 1); // the added row comes last until the next open
    ASSERT_EQ(rs.RecordCount(), expected.size());
    for (qint64 position = expected.size() - 1; position >= 0; --position)
        ASSERT_EQ(rowAt(rs, position), expected[position]) << position;
}

// Walking or scrolling over a large result keeps the values of a bounded
// number of rows; the rows read last keep theirs.
TEST_F(RecordsetByIdentityTest, ValuesHeldInMemoryStayBounded)
{
    addEmployees(30000);
    Recordset &rs = open(SqlQuery("SELECT * FROM Vendeurs ORDER BY NoVendeur"));
    qint64 walked = 0;
    for (; !rs.isEOF(); ++walked) {
        ASSERT_EQ(rs.value("NomVendeur").toString(), "Name " + QString::number(100000 + walked));
        ASSERT_TRUE(rs.MoveNext());
    }
    EXPECT_EQ(walked, 30000);
    EXPECT_LT(rs.rowsHoldingValues(), 10000);
    for (qint64 position = 29999; position >= 0; position -= 7)
        ASSERT_EQ(rs.valueAt(position, 0).toString(), QString::number(100000 + position));
    EXPECT_LT(rs.rowsHoldingValues(), 10000);
    EXPECT_GT(rs.rowsHoldingValues(), 1000);
    EXPECT_FALSE(rs.valueAt(0, 0).isNull());

    // From the end (the rest read as identities) back to the first row.
    open(SqlQuery("SELECT * FROM Vendeurs ORDER BY NoVendeur"));
    ASSERT_TRUE(rs.MoveLast());
    for (walked = 29999; !rs.isBOF(); --walked) {
        ASSERT_EQ(rs.value("NoVendeur").toString(), QString::number(100000 + walked));
        ASSERT_TRUE(rs.MovePrevious());
    }
    EXPECT_EQ(walked, -1);
    EXPECT_LT(rs.rowsHoldingValues(), 10000);

    // A grid scrolled back and forth and jumped about: batches read again
    // over rows whose values were dropped, older ones dropped meanwhile.
    std::mt19937 random(7);
    qint64 position = 15000;
    for (int step = 0; step < 4000; ++step) {
        position = step % 100 == 0 ? qint64(random() % 30000)
                                   : std::clamp<qint64>(position + qint64(random() % 601) - 300, 0, 29999);
        ASSERT_EQ(rs.valueAt(position, 0).toString(), QString::number(100000 + position)) << step;
    }
    EXPECT_LT(rs.rowsHoldingValues(), 10000);
}

// Inside a transaction of the program every identity is read at once, the
// values still by batches: a result larger than a query can bind values for.
TEST_F(RecordsetByIdentityTest, LargeResultOpenedInsideATransaction)
{
    QSqlDatabase db = Database::connection(databasePath());
    Transaction tx(db);
    ASSERT_TRUE(tx.ok());
    addEmployees(40000);
    Recordset &rs = open(SqlQuery("SELECT NoVendeur, NomVendeur FROM Vendeurs ORDER BY NoVendeur DESC"));
    EXPECT_TRUE(rs.fetchedAll());
    EXPECT_EQ(rs.RecordCount(), 40000);
    EXPECT_EQ(rs.value("NomVendeur").toString(), "Name 139999");
    EXPECT_EQ(rowAt(rs, 39999), "100000|Name 100000");
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
    // The rows the model announced to its views.
    int announced = shown;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex &, int first, int last) { announced += last - first + 1; });
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved,
                     [&](const QModelIndex &, int first, int last) { announced -= last - first + 1; });
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { announced = model.rowCount(); });
    Recordset &rs = source.recordset();
    ASSERT_TRUE(rs.setBookmark(shown + 300));
    EXPECT_FALSE(rs.value("NoVendeur").isNull());
    ASSERT_GT(rs.fetchedCount(), shown);
    EXPECT_EQ(model.rowCount(), shown);
    ASSERT_TRUE(model.deleteRow(10));
    EXPECT_EQ(model.rowCount(), announced);
    EXPECT_EQ(model.rowCount(), rs.fetchedCount());
    EXPECT_EQ(model.index(10, 0).data().toString(), "100011");
    EXPECT_EQ(model.index(shown + 200, 0).data().toString(), QString::number(100000 + shown + 201));
}

} // namespace
