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
    void SetUp() override
    {
        ProgramFixture::SetUp();
        source.setConnectionString(ProgramState::ConnString);
    }
    void TearDown() override
    {
        source.recordset().Close();
        ProgramFixture::TearDown();
    }
    void addNumbered(int count)
    {
        Transaction tx(Database::connection(databasePath()));
        for (int i = 0; i < count; ++i)
            execSql(QStringLiteral("INSERT INTO Vendeurs (NoVendeur, NomVendeur) VALUES (?, ?)"),
                    {QString::number(100000 + i), QStringLiteral("Name %1").arg(i)});
        ASSERT_TRUE(tx.commit());
    }
    DataSource source;
};

TEST_F(RecordsetTest, ChangeIsStoredWhenTheCursorMovesAndDroppedByCancel)
{
    addEmployee("1", "Anne");
    addEmployee("2", "Bruno");
    source.setRecordSource("SELECT * FROM Vendeurs ORDER BY NoVendeur");
    ASSERT_TRUE(source.Refresh()) << source.lastError().toStdString();
    Recordset &rs = source.recordset();
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
    source.setRecordSource("SELECT * FROM Punch");
    ASSERT_TRUE(source.Refresh());
    Recordset &rs = source.recordset();
    ASSERT_TRUE(rs.AddNew());
    rs.Fields("NoVendeur").setValue("7");
    rs.Fields("InOut").setValue("Out");
    rs.Fields("PunchDateShort").setValue(QDate(2003, 3, 7));
    ASSERT_TRUE(rs.AddNew()); // stores the first row
    rs.Fields("NoVendeur").setValue("8");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Punch").toInt(), 1);
    ASSERT_TRUE(rs.Update());
    const auto stored = rows("SELECT NoVendeur, InOut, PunchDateShort, Archived FROM Punch ORDER BY NoVendeur");
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0]["PunchDateShort"].toString(), "2003-03-07");
    EXPECT_EQ(stored[0]["Archived"].toInt(), 0); // the column's default
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields("NoVendeur").Value().toString(), "8");
}

TEST_F(RecordsetTest, ValuesHoldingQuotesAreBoundNotSpliced)
{
    const QString name = QStringLiteral("O'Neil \"Jr\"; DROP TABLE Punch; --");
    source.setRecordSource("SELECT * FROM Vendeurs");
    ASSERT_TRUE(source.Refresh());
    ASSERT_TRUE(source->AddNew());
    source->Fields("NoVendeur").setValue("5'5");
    source->Fields("NomVendeur").setValue(name);
    ASSERT_TRUE(source->Update());

    source.setRecordSource(SqlQuery("SELECT * FROM Vendeurs WHERE NoVendeur = ? AND NomVendeur = ?", {"5'5", name}));
    ASSERT_TRUE(source.Refresh());
    ASSERT_FALSE(source->isEOF());
    EXPECT_EQ(source->Fields("NomVendeur").Value().toString(), name);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Punch").toInt(), 0); // the table is still there
}

TEST_F(RecordsetTest, DatesCompareInCalendarOrderAcrossYears)
{
    addPunch("1", "In", QDate(2002, 12, 31), QTime(8, 0), "P", "S");
    addPunch("1", "In", QDate(2003, 1, 1), QTime(8, 0), "P", "S");
    addPunch("1", "In", QDate(2003, 10, 2), QTime(8, 0), "P", "S");
    source.setRecordSource(SqlQuery("SELECT * FROM Punch WHERE PunchDateShort <= ? ORDER BY PunchDateShort DESC",
                                    {QDate(2003, 2, 1)}));
    ASSERT_TRUE(source.Refresh());
    EXPECT_EQ(source->RecordCount(), 2);
    EXPECT_EQ(source->Fields("PunchDateShort").Value().toString(), "2003-01-01");
}

TEST_F(RecordsetTest, DeleteLeavesTheCursorBeforeTheNextRow)
{
    for (const char *n : {"1", "2", "3"})
        addEmployee(n, QStringLiteral("E%1").arg(n));
    source.setRecordSource("SELECT * FROM Vendeurs ORDER BY NoVendeur");
    ASSERT_TRUE(source.Refresh());
    Recordset &rs = source.recordset();
    ASSERT_TRUE(rs.MoveNext());
    ASSERT_TRUE(rs.Delete());
    EXPECT_FALSE(rs.Fields("NoVendeur").Value().isValid()); // the deleted row has no values
    ASSERT_TRUE(rs.MoveNext());
    EXPECT_EQ(rs.Fields("NoVendeur").Value().toString(), "3");
    EXPECT_EQ(rs.RecordCount(), 2);
    ASSERT_TRUE(rs.MoveNext());
    EXPECT_TRUE(rs.isEOF());
    EXPECT_FALSE(rs.MoveNext()); // nothing past the end
    EXPECT_EQ(scalar("SELECT group_concat(NoVendeur) FROM Vendeurs").toString(), "1,3");
}

TEST_F(RecordsetTest, EmptyResultIsBothBeforeFirstAndPastLast)
{
    source.setRecordSource(SqlQuery("SELECT * FROM Punch WHERE NoVendeur = ?", {"none"}));
    ASSERT_TRUE(source.Refresh());
    EXPECT_TRUE(source->isEOF());
    EXPECT_TRUE(source->isBOF());
    EXPECT_EQ(source->RecordCount(), 0);
    EXPECT_FALSE(source->Fields("NoVendeur").setValue("x"));
}

TEST_F(RecordsetTest, LargeResultIsReadInPiecesAndStaysWritable)
{
    addNumbered(20000);
    source.setRecordSource("SELECT * FROM Vendeurs ORDER BY NoVendeur");
    ASSERT_TRUE(source.Refresh());
    Recordset &rs = source.recordset();
    EXPECT_FALSE(rs.fetchedAll());
    EXPECT_LT(rs.fetchedCount(), 1000);
    EXPECT_EQ(rs.RecordCount(), 20000);

    // Jump deep into the result, change a row there and delete another.
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
    while (!rs.isEOF()) {
        ++walked;
        ASSERT_TRUE(rs.MoveNext());
    }
    EXPECT_EQ(walked, 19999);
    EXPECT_EQ(scalar("SELECT Status FROM Vendeurs WHERE NoVendeur = '114999'").toString(), "In");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Vendeurs").toInt(), 19999);
}

TEST_F(RecordsetTest, AddingToALargeResultAppendsAtItsEnd)
{
    addNumbered(3000);
    source.setRecordSource("SELECT * FROM Vendeurs ORDER BY NoVendeur");
    ASSERT_TRUE(source.Refresh());
    ASSERT_TRUE(source->AddNew());
    source->Fields("NoVendeur").setValue("000");
    ASSERT_TRUE(source->Update());
    EXPECT_EQ(source->Bookmark(), 3001);
    EXPECT_EQ(source->RecordCount(), 3001);
    ASSERT_TRUE(source->MovePrevious());
    EXPECT_EQ(source->Fields("NoVendeur").Value().toString(), "102999");
}

TEST_F(RecordsetTest, WriteToARowDeletedElsewhereIsReported)
{
    addEmployee("1", "Anne");
    source.setRecordSource("SELECT * FROM Vendeurs");
    ASSERT_TRUE(source.Refresh());
    execSql("DELETE FROM Vendeurs");
    ASSERT_TRUE(source->Fields("NomVendeur").setValue("Anna"));
    EXPECT_FALSE(source->Update());
    EXPECT_FALSE(source->lastError().isEmpty());
    EXPECT_TRUE(source->editPending()); // kept, so the caller can retry or cancel
}

TEST_F(RecordsetTest, ComputedResultsAreReadOnly)
{
    addEmployee("1", "Anne");
    source.setRecordSource("SELECT COUNT(*) AS n FROM Vendeurs");
    ASSERT_TRUE(source.Refresh());
    EXPECT_EQ(source->Fields("n").Value().toInt(), 1);
    EXPECT_FALSE(source->updatable());
    EXPECT_FALSE(source->Fields("n").setValue(3));
    EXPECT_FALSE(source->AddNew());
}

TEST_F(RecordsetTest, MissingDatabaseGivesAnEmptyResultAndCreatesNoFile)
{
    const QString missing = folder() + "/elsewhere.mdb";
    source.setConnectionString(buildConnString(missing));
    source.setRecordSource("SELECT * FROM Punch");
    EXPECT_FALSE(source.Refresh());
    EXPECT_TRUE(source->isEOF());
    EXPECT_TRUE(source->isBOF());
    EXPECT_TRUE(source.lastError().contains("elsewhere.mdb"));
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(RecordsetTest, BorrowedSourceGetsItsQueryAndParametersBack)
{
    source.setRecordSource(SqlQuery("SELECT * FROM Punch WHERE NoVendeur = ?", {"12"}));
    const SqlQuery saved = source.RecordSource();
    source.setRecordSource("SELECT * FROM Vendeurs");
    source.setRecordSource(saved);
    EXPECT_EQ(source.RecordSource(), SqlQuery("SELECT * FROM Punch WHERE NoVendeur = ?", {"12"}));
}

TEST_F(RecordsetTest, ActualSizeIsZeroForNullAndEmpty)
{
    execSql("UPDATE Acces SET RapPass = ''");
    source.setRecordSource("SELECT * FROM Acces");
    ASSERT_TRUE(source.Refresh());
    EXPECT_EQ(source->Fields("RapPass").ActualSize(), 0);
    EXPECT_EQ(source->Fields("Lang").ActualSize(), 0);
    source->Fields("RapPass").setValue("abc");
    EXPECT_EQ(source->Fields("RapPass").ActualSize(), 3);
}

} // namespace
