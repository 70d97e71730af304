#include "common/DataSource.h"
#include "common/Database.h"
#include "common/ProgramState.h"
#include "support/ProgramFixture.h"
#include <QDate>

using namespace tarnvik;
using tarnvik::test::ProgramFixture;

namespace {

class RecordsetTest : public ProgramFixture {
protected:
    void TearDown() override
    {
        source.recordset().Close();
        ProgramFixture::TearDown();
    }
    Recordset &open(const SqlQuery &query)
    {
        source.setConnectionString(ProgramState::ConnString);
        source.setRecordSource(query);
        EXPECT_TRUE(source.Refresh()) << source.lastError().toStdString();
        return source.recordset();
    }
    DataSource source;
};

TEST_F(RecordsetTest, ChangeIsStoredWhenTheCursorMovesAndDroppedByCancel)
{
    addEmployee("1", "Anne");
    addEmployee("2", "Bruno");
    Recordset &rs = open(SqlQuery("SELECT * FROM Vendeurs ORDER BY NoVendeur"));
    ASSERT_TRUE(rs.Fields("Status").setValue("In"));
    EXPECT_TRUE(scalar("SELECT Status FROM Vendeurs WHERE NoVendeur = '1'").isNull()); // not yet
    ASSERT_TRUE(rs.MoveNext());
    EXPECT_EQ(scalar("SELECT Status FROM Vendeurs WHERE NoVendeur = '1'").toString(), "In");
    ASSERT_TRUE(rs.Fields("NomVendeur").setValue("Changed"));
    rs.CancelUpdate();
    EXPECT_EQ(rs.Fields("NomVendeur").Value().toString(), "Bruno");
    ASSERT_TRUE(rs.MovePrevious());
    EXPECT_EQ(scalar("SELECT NomVendeur FROM Vendeurs WHERE NoVendeur = '2'").toString(), "Bruno");
}

TEST_F(RecordsetTest, AddNewStoresThePendingAddedRowFirst)
{
    Recordset &rs = open(SqlQuery("SELECT * FROM Punch"));
    ASSERT_TRUE(rs.AddNew());
    rs.Fields("NoVendeur").setValue("7");
    rs.Fields("PunchDateShort").setValue(QDate(2003, 3, 7));
    ASSERT_TRUE(rs.AddNew()); // stores the first row
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Punch").toInt(), 1);
    rs.Fields("NoVendeur").setValue("8");
    ASSERT_TRUE(rs.Update());
    const auto stored = rows("SELECT NoVendeur, PunchDateShort, Archived FROM Punch ORDER BY NoVendeur");
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0]["PunchDateShort"].toString(), "2003-03-07");
    EXPECT_EQ(stored[0]["Archived"].toInt(), 0); // the column's default
    EXPECT_EQ(rs.RecordCount(), 2);
}

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

TEST_F(RecordsetTest, LargeResultIsReadInPiecesAndStaysWritable)
{
    execSql(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 19999) "
        "INSERT INTO Vendeurs (NoVendeur, NomVendeur) SELECT CAST(100000 + i AS TEXT), 'Name ' || i FROM n");
    Recordset &rs = open(SqlQuery("SELECT * FROM Vendeurs ORDER BY NoVendeur"));
    EXPECT_LT(rs.fetchedCount(), 1000);
    EXPECT_EQ(rs.RecordCount(), 20000);

    // Jump deep into the result, change a row there and delete the next.
    ASSERT_TRUE(rs.setBookmark(15000));
    EXPECT_EQ(rs.Fields("NoVendeur").Value().toString(), "114999");
    ASSERT_TRUE(rs.Fields("Status").setValue("In"));
    ASSERT_TRUE(rs.MoveNext());
    ASSERT_TRUE(rs.Delete());
    EXPECT_EQ(rs.RecordCount(), 19999);

    // Rows far behind were dropped from memory and come back from the file.
    ASSERT_TRUE(rs.MoveFirst());
    EXPECT_EQ(rs.Fields("NomVendeur").Value().toString(), "Name 0");
    qint64 walked = 0;
    for (; !rs.isEOF(); ++walked)
        ASSERT_TRUE(rs.MoveNext());
    EXPECT_EQ(walked, 19999);
    EXPECT_EQ(scalar("SELECT Status FROM Vendeurs WHERE NoVendeur = '114999'").toString(), "In");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Vendeurs").toInt(), 19999);
}

TEST_F(RecordsetTest, FailuresAreReported)
{
    // A write to a row deleted elsewhere fails, and the change is kept to retry or cancel.
    addEmployee("1", "Anne");
    open(SqlQuery("SELECT * FROM Vendeurs"));
    execSql("DELETE FROM Vendeurs");
    ASSERT_TRUE(source->Fields("NomVendeur").setValue("Anna"));
    EXPECT_FALSE(source->Update());
    EXPECT_FALSE(source->lastError().isEmpty());
    EXPECT_TRUE(source->editPending());

    // A missing database gives an empty result and creates no file.
    const QString missing = folder() + "/elsewhere.mdb";
    source.setConnectionString(buildConnString(missing));
    EXPECT_FALSE(source.Refresh());
    EXPECT_TRUE(source->isEOF() && source->isBOF());
    EXPECT_TRUE(source.lastError().contains("elsewhere.mdb"));
    EXPECT_FALSE(QFile::exists(missing));
}

} // namespace
