#include "platform/Spreadsheet.h"
#include "common/Database.h"
#include "reports/GroupedRows.h"
#include "support/ProgramFixture.h"
#include "support/WorkbookReader.h"

#include <QDir>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;

namespace {

class SpreadsheetTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 2"_s);
        SpreadsheetApplication::setDocumentsFolder(documents());
    }
    void TearDown() override
    {
        SpreadsheetApplication::setDocumentsFolder(QString());
        ProgramFixture::TearDown();
    }
    QString documents() const { return folder() + u"/Documents"_s; }
};

TEST_F(SpreadsheetTest, ValuesKeepTheirKindsAndBoldnessInTheSavedFileUnlessTooLong)
{
    struct Case {
        QVariant value;
        bool bold;
        QString read; // as the reader gives the cell back
    };
    const Case cases[] = {
        {QDate(2003, 3, 3), false, u"A=d:2003-03-03"_s},
        {QDate(1900, 1, 1), false, u"A=d:1900-01-01"_s}, // before the sheets' phantom 29 February 1900
        {QTime(13, 5, 9), false, u"A=t:13:05:09"_s},
        {QDateTime(QDate(2003, 12, 31), QTime(23, 59, 59)), false, u"A=dt:2003-12-31 23:59:59"_s},
        {42, false, u"A=n:42"_s},
        {2.5, true, u"A*n:2.5"_s},
        {true, false, u"A=b:True"_s},
        {u"0042"_s, false, u"A=0042"_s}, // a number as text stays text
        {u"=1+1"_s, false, u"A==1+1"_s}, // never a formula
        {u"Employé(e)"_s, true, u"A*Employé(e)"_s},
    };
    SpreadsheetApplication xl;
    xl.setVisible(true);
    xl.Workbooks().Add();
    xl.setDocumentName(u"Kinds: a/b"_s); // characters no file name holds are left out
    QStringList expected;
    int row = 1;
    for (const Case &c : cases) {
        xl.Cells(row, 1).setFormula(c.value);
        xl.Cells(row, 1).Font().setBold(c.bold);
        xl.Cells(row, 1).setWrapText(false);
        expected << u"%1: %2"_s.arg(row).arg(c.read);
        ++row;
    }
    xl.Cells(row, 1).setFormula(QVariant()); // empty: nothing written
    xl.Cells(row, 2).setFormula(QString());
    xl.Cells(40000, 8).setFormula(u"far"_s); // rows beyond 16 bits, cells right to left
    xl.Cells(40000, 2).setFormula(u"left"_s);
    expected << u"40000: B=left | H=far"_s;
    const SpreadsheetApplication::Released released = xl.release();
    ASSERT_EQ(released.savedFiles, QStringList{QDir(documents()).filePath(u"Kinds ab.xlsx"_s)});
    EXPECT_TRUE(released.opened);
    const WorkbookContent content = readWorkbook(released.savedFiles[0]);
    ASSERT_TRUE(content.ok) << content.error.toStdString();
    EXPECT_EQ(content.rows, expected);

    // A sheet longer than the file format holds is not saved, and the user is told.
    SpreadsheetApplication tooLong;
    tooLong.setVisible(true);
    tooLong.Workbooks().Add();
    tooLong.Cells(SpreadsheetApplication::MaxRows + 1, 1).setFormula(u"beyond"_s);
    EXPECT_TRUE(tooLong.release().savedFiles.isEmpty());
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages().value(0).contains(u"1048576 rows"_s))
        << dialogs->messages().value(0).toStdString();
    EXPECT_EQ(QDir(documents()).entryList(QDir::Files).size(), 1);
}

// The grouped reading must give each parent exactly the rows that a query of
// its own ("... WHERE key = ?") gives, whatever the order of the asks.
TEST_F(SpreadsheetTest, GroupedRowsMatchAQueryPerParent)
{
    const QStringList names = {u"a"_s,   u"A"_s, u"b"_s,  u"B "_s, u"é"_s, u"É"_s, u"ab"_s,
                               u"a b"_s, u"Z"_s, u"_x"_s, u"10"_s, u"9"_s, u"😀"_s, u"\uFFFD"_s};
    int n = 0;
    for (const QString &p : names)
        for (const QString &number : {u"2"_s, u"10"_s, u"1"_s})
            execSql(u"INSERT INTO Projets (Projet, NoVendeur, TotalHeures) VALUES (?, ?, ?)"_s,
                    {p, number, QString::number(n++)});
    GroupedRows grouped(
        Database::connection(databasePath()), u"SELECT * FROM Projets"_s, u"TotalHeures IS NOT NULL"_s, {},
        {{u"NoVendeur"_s, KeyCollation::Binary}, {u"Projet"_s, KeyCollation::NoCase}}, u"TotalHeures"_s);
    // In order (sorted by the database), then backwards.
    QList<QVariantMap> asks = rows(u"SELECT DISTINCT NoVendeur, Projet FROM Projets WHERE TotalHeures IS NOT "
                                   "NULL ORDER BY NoVendeur, Projet"_s);
    ASSERT_EQ(asks.size(), 3 * 13); // "a" and "A" make one group; "é" and "É" two
    asks += QList<QVariantMap>(asks.crbegin(), asks.crend());
    asks << QVariantMap{{u"NoVendeur"_s, u"1"_s}, {u"Projet"_s, u"absent"_s}}
         << QVariantMap{{u"NoVendeur"_s, u"0"_s}, {u"Projet"_s, u"a"_s}};
    for (const QVariantMap &ask : asks) {
        const QVariant number = ask[u"NoVendeur"_s], project = ask[u"Projet"_s];
        const std::vector<GroupedRows::Row> *group = grouped.group({number, project});
        ASSERT_NE(group, nullptr) << grouped.error().toStdString();
        QStringList totals, alone;
        for (const GroupedRows::Row &r : *group)
            totals << r[grouped.field(u"TotalHeures"_s)].toString();
        for (const QVariantMap &r :
             rows(u"SELECT TotalHeures FROM Projets WHERE NoVendeur = ? AND Projet = ? "
                  "ORDER BY TotalHeures"_s,
                  {number, project}))
            alone << r[u"TotalHeures"_s].toString();
        EXPECT_EQ(totals, alone) << number.toString().toStdString() << " "
                                 << project.toString().toStdString();
    }
    EXPECT_TRUE(grouped.group({QVariant(), u"a"_s})->empty());
}

} // namespace
