#include "common/Database.h"
#include "support/RecordsetFixture.h"

#include <QDate>
#include <QFileInfo>

using namespace tarnvik;

namespace {

using RecordsetTest = test::RecordsetFixture;

// Values holding quotes are bound, not spliced; dates compare in calendar order across years.
TEST_F(RecordsetTest, QuotesAndDatesInQueries)
{
    const QString name = QStringLiteral("O'Neil \"Jr\"; DROP TABLE Punch; --");
    Recordset &rs = open(SqlQuery("SELECT * FROM Vendeurs"));
    ASSERT_TRUE(rs.AddNew());
    rs.Fields("NoVendeur").setValue("5'5");
    rs.Fields("NomVendeur").setValue(name);
    ASSERT_TRUE(rs.Update());
    open(SqlQuery("SELECT * FROM Vendeurs WHERE NoVendeur = ? AND NomVendeur = ?", {"5'5", name}));
    EXPECT_EQ(source->Fields("NomVendeur").Value().toString(), name);

    for (const QDate &day : {QDate(2002, 12, 31), QDate(2003, 1, 1), QDate(2003, 10, 2)})
        addPunch("1", "In", day, QTime(8, 0), "P", "S");
    open(SqlQuery("SELECT * FROM Punch WHERE PunchDateShort <= ? ORDER BY PunchDateShort DESC",
                  {QDate(2003, 2, 1)}));
    EXPECT_EQ(source->RecordCount(), 2);
    EXPECT_EQ(source->Fields("PunchDateShort").Value().toString(), "2003-01-01");
}

// A missing database gives an empty result and creates no file.
TEST_F(RecordsetTest, MissingDatabaseIsNotCreated)
{
    const QString missing = folder() + "/elsewhere.mdb";
    source.setConnectionString(buildConnString(missing));
    EXPECT_FALSE(source.Refresh());
    EXPECT_TRUE(source->isEOF() && source->isBOF());
    EXPECT_TRUE(source.lastError().contains("elsewhere.mdb"));
    EXPECT_FALSE(QFile::exists(missing));
}

// Rows inserted and deleted by the program's other queries while a large result is read: no row
// comes twice or out of order, every row there before and after comes, and the count agrees.
TEST_F(RecordsetTest, LargeResultReadWhileTheTableChanges)
{
    const auto table = [this] {
        return scalar("SELECT group_concat(NoVendeur, ' ') FROM (SELECT NoVendeur FROM Vendeurs ORDER BY 1)")
            .toString()
            .split(' ');
    };
    struct Case {
        const char *change;
        int readFirst; // rows walked before the change
        bool seenNew;  // whether the row inserted shows
    };
    const Case cases[] = {
        {"INSERT INTO Vendeurs (NoVendeur) VALUES ('000001')", 10, false}, // before the rows read
        {"INSERT INTO Vendeurs (NoVendeur) VALUES ('100020a')", 30, false},
        {"INSERT INTO Vendeurs (NoVendeur) VALUES ('100100a')", 10, true}, // among the rows not read
        {"INSERT INTO Vendeurs (NoVendeur) VALUES ('999999')", 0, true},
        {"DELETE FROM Vendeurs WHERE NoVendeur IN ('100005', '100050')", 10, false},
        {"DELETE FROM Vendeurs WHERE NoVendeur = '100090'", 10, false},
        {"UPDATE Vendeurs SET NoVendeur = '000002' WHERE NoVendeur = '100007'", 20, false},
    };
    // Rows by their identity, and rows of a result that has none (read by their values).
    for (const Case &c : cases) {
        for (const char *query : {"SELECT * FROM Vendeurs ORDER BY NoVendeur",
                                  "SELECT DISTINCT NoVendeur FROM Vendeurs ORDER BY 1"}) {
            SCOPED_TRACE(std::string(c.change) + " / " + query);
            addEmployees(121);
            const QStringList before = table();
            Recordset &rs = open(SqlQuery(query));
            QStringList seen;
            for (int i = 0; i < c.readFirst; ++i, rs.MoveNext())
                seen << rs.Fields("NoVendeur").Value().toString();
            ASSERT_TRUE(execSql(c.change));
            const qint64 count = rs.RecordCount();
            seen << walk(rs);
            const QStringList after = table();
            QStringList sorted = seen;
            sorted.sort();
            sorted.removeDuplicates();
            EXPECT_EQ(seen.join(' ').toStdString(), sorted.join(' ').toStdString()) << "in order, each once";
            for (const QString &number : before)
                EXPECT_TRUE(!after.contains(number) || seen.contains(number)) << number.toStdString();
            for (const QString &number : after)
                EXPECT_TRUE(before.contains(number) || seen.contains(number) == c.seenNew)
                    << number.toStdString();
            EXPECT_EQ(count, seen.size());
        }
    }
    // The next Refresh reads the table as it is.
    EXPECT_EQ(walk(open(SqlQuery("SELECT * FROM Vendeurs ORDER BY NoVendeur"))), table());
}

// A column number in ORDER BY counts the selected columns.
// A large result holds no read open while only its first rows are shown, and
// none once read to the end: the write-ahead log can always be emptied.
TEST_F(RecordsetTest, LargeResultHoldsNoReadOpenUnlessItsRestIsRead)
{
    addEmployees(200);
    const auto logEmptied = [this] {
        execSql("INSERT INTO Punch (NoVendeur) VALUES ('x')");
        QSqlQuery result(Database::connection(databasePath()));
        return Database::run(result, "PRAGMA wal_checkpoint(TRUNCATE)", {}, nullptr) && result.next() &&
               result.value(0).toInt() == 0 && QFileInfo(databasePath() + "-wal").size() == 0;
    };
    Recordset &rs = open(SqlQuery("SELECT * FROM Vendeurs ORDER BY NoVendeur"));
    EXPECT_TRUE(logEmptied());
    EXPECT_EQ(walk(rs).size(), 200);
    EXPECT_TRUE(logEmptied()) << "the read ends with the result";
}

TEST_F(RecordsetTest, OrderByColumnNumberCountsTheSelectedColumns)
{
    for (const char *name : {"Mireille", "Anne", "Zoé", "Bruno"})
        addEmployee(QString::number(qHash(QString::fromUtf8(name)) % 1000), QString::fromUtf8(name));
    Recordset &rs = open(SqlQuery("SELECT NomVendeur, NoVendeur FROM Vendeurs ORDER BY 1 DESC"));
    EXPECT_EQ(walk(rs, "NomVendeur").join(' ').toStdString(), "Zoé Mireille Bruno Anne");
    EXPECT_TRUE(source->updatable());
}

// A change that cannot be stored stops a "while not EOF, MoveNext" loop on its row, kept to retry.
TEST_F(RecordsetTest, LoopEndsOnAChangeThatCannotBeStored)
{
    for (int i = 0; i < 5; ++i)
        addEmployee(QString::number(i), "Name");
    execSql("CREATE TRIGGER stuck BEFORE UPDATE ON Vendeurs WHEN NEW.NoVendeur = '2' "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Recordset &rs = open(SqlQuery("SELECT * FROM Vendeurs ORDER BY NoVendeur"));
    int steps = 0;
    for (; !rs.isEOF() && steps < 20; ++steps) {
        rs.Fields("Status").setValue("In");
        rs.MoveNext();
    }
    EXPECT_EQ(steps, 3);
    EXPECT_TRUE(rs.lastError().contains("refused")) << rs.lastError().toStdString();
    EXPECT_TRUE(rs.editPending());
    EXPECT_EQ(rs.Fields("NoVendeur").Value().toString(), "2");
    EXPECT_EQ(scalar("SELECT group_concat(Status, '') FROM Vendeurs").toString(), "InIn");
    // Dropped, the loop goes on.
    rs.CancelUpdate();
    EXPECT_FALSE(rs.isEOF());
    ASSERT_TRUE(rs.MoveNext());
    EXPECT_EQ(rs.Bookmark(), 4);
}

// Delete, then the moves, the positions and the count, on a small and on a large result.
TEST_F(RecordsetTest, DeleteThenMoveAndBookmark)
{
    for (const int limit : {5, 200}) {
        SCOPED_TRACE(limit);
        addEmployees(200);
        const QString below = QString::number(100000 + limit);
        Recordset &rs =
            open(SqlQuery("SELECT * FROM Vendeurs WHERE NoVendeur < ? ORDER BY NoVendeur", {below}));
        EXPECT_EQ(rs.Bookmark(), 1);
        ASSERT_TRUE(rs.setBookmark(3));
        ASSERT_TRUE(rs.Delete()); // the third row
        EXPECT_EQ(rs.Bookmark(), 0) << "a deleted row has no position";
        EXPECT_EQ(rs.RecordCount(), limit - 1);
        ASSERT_TRUE(rs.MoveNext());
        EXPECT_EQ(rs.Bookmark(), 3);
        EXPECT_EQ(rs.Fields("NoVendeur").Value().toString(), "100003");
        ASSERT_TRUE(rs.Delete());
        ASSERT_TRUE(rs.MovePrevious());
        EXPECT_EQ(rs.Bookmark(), 2);
        EXPECT_EQ(rs.Fields("NoVendeur").Value().toString(), "100001");
        ASSERT_TRUE(rs.MoveLast());
        EXPECT_EQ(rs.Bookmark(), limit - 2);
        ASSERT_TRUE(rs.Delete()); // the last row: MoveNext goes past the end
        ASSERT_TRUE(rs.MoveNext());
        EXPECT_TRUE(rs.isEOF());
        EXPECT_EQ(rs.Bookmark(), 0);
        EXPECT_EQ(rs.RecordCount(), limit - 3);
        ASSERT_TRUE(rs.MoveFirst());
        EXPECT_EQ(walk(rs).size(), limit - 3);
        EXPECT_EQ(scalar("SELECT COUNT(*) FROM Vendeurs WHERE NoVendeur < ?", {below}).toInt(), limit - 3);
    }
}

TEST_F(RecordsetTest, ActualSizeIsTheStoredLength)
{
    execSql("INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, Projet, SousProjet, Description) VALUES "
            "('42', '', '2003-03-01', NULL, 'Chloé', ?)",
            {QString::fromUtf8("note 🙂")});
    Recordset &rs = open(SqlQuery("SELECT * FROM Punch"));
    const std::pair<const char *, int> sizes[] = {{"NoVendeur", 2}, {"InOut", 0},      {"PunchDateShort", 10},
                                                  {"Projet", 0},    {"SousProjet", 5}, {"Description", 6},
                                                  {"Archived", 1}};
    for (const auto &[field, size] : sizes)
        EXPECT_EQ(rs.Fields(field).ActualSize(), size) << field;
}

} // namespace
