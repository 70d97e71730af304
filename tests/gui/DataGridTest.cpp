#include "common/DataSource.h"
#include "common/Database.h"
#include "common/ProgramState.h"
#include "common/RecordsetTableModel.h"
#include "platform/ui/DataGrid.h"
#include "support/ProgramFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace tarnvik;
using tarnvik::test::ProgramFixture;

namespace {

class DataGridTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        addEmployee("1", "Anne");
        addEmployee("2", "Bruno");
        source.setConnectionString(ProgramState::ConnString);
        source.setRecordSource("SELECT NoVendeur, NomVendeur FROM Vendeurs ORDER BY NoVendeur");
        ASSERT_TRUE(source.Refresh());
        grid.setDataSource(&source);
        grid.resize(400, 300);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    void TearDown() override
    {
        source.recordset().Close();
        ProgramFixture::TearDown();
    }
    // Types a text into a cell as a user would: select it, type, press Enter.
    void typeInto(int row, int column, const QString &text)
    {
        grid.setCurrentIndex(grid.model()->index(row, column));
        QTest::keyClick(grid.viewport(), Qt::Key_F2);
        QWidget *editor = QApplication::focusWidget();
        ASSERT_NE(editor, nullptr);
        auto *line = qobject_cast<QLineEdit *>(editor);
        ASSERT_NE(line, nullptr);
        line->selectAll();
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
        QApplication::processEvents(); // the view commits the editor's data from its event queue
    }
    DataSource source;
    DataGrid grid;
};

TEST_F(DataGridTest, CellEditedInPlaceIsStored)
{
    ASSERT_EQ(grid.model()->rowCount(), 2);
    typeInto(1, 1, "Bruno Martin");
    EXPECT_EQ(grid.gridModel()->lastError().toStdString(), "");
    EXPECT_EQ(scalar("SELECT NomVendeur FROM Vendeurs WHERE NoVendeur = '2'").toString(), "Bruno Martin");
}

TEST_F(DataGridTest, TypingOnTheLastLineAddsARow)
{
    grid.setAllowAddNew(true);
    ASSERT_EQ(grid.model()->rowCount(), 3);
    typeInto(2, 0, "3");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Vendeurs WHERE NoVendeur = '3'").toInt(), 1);
    ASSERT_EQ(grid.model()->rowCount(), 4); // the new row and a fresh "add" line
    typeInto(2, 1, "Chloe");
    EXPECT_EQ(scalar("SELECT NomVendeur FROM Vendeurs WHERE NoVendeur = '3'").toString(), "Chloe");
}

TEST_F(DataGridTest, DeleteKeyAsksFirstAndCanBeRefused)
{
    grid.setAllowDelete(true);
    bool refuse = true;
    int rowChanges = 0;
    QObject::connect(&grid, &DataGrid::BeforeDelete, [&](bool *cancel) { *cancel = refuse; });
    QObject::connect(&grid, &DataGrid::RowColChange, [&](int) { ++rowChanges; });
    grid.setCurrentIndex(grid.model()->index(0, 0));
    QTest::keyClick(grid.viewport(), Qt::Key_Delete);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Vendeurs").toInt(), 2);
    refuse = false;
    QTest::keyClick(grid.viewport(), Qt::Key_Delete);
    EXPECT_EQ(scalar("SELECT group_concat(NoVendeur) FROM Vendeurs").toString(), "2");
    EXPECT_EQ(grid.model()->rowCount(), 1);
    EXPECT_GE(rowChanges, 1);
}

TEST_F(DataGridTest, LargeResultOpensWithAFewRowsAndGrowsAsItScrolls)
{
    {
        Transaction tx(Database::connection(databasePath()));
        for (int i = 0; i < 5000; ++i)
            execSql("INSERT INTO Vendeurs (NoVendeur, NomVendeur) VALUES (?, 'x')", {QString::number(10000 + i)});
        ASSERT_TRUE(tx.commit());
    }
    ASSERT_TRUE(source.Refresh());
    const int first = grid.model()->rowCount();
    EXPECT_LT(first, 1000);
    grid.scrollToBottom();
    QApplication::processEvents();
    while (grid.model()->canFetchMore(QModelIndex()))
        grid.model()->fetchMore(QModelIndex());
    EXPECT_EQ(grid.model()->rowCount(), 5002);
    // Text order: "1", "10000" ... "14999", "2".
    EXPECT_EQ(grid.model()->data(grid.model()->index(5000, 0)).toString(), "14999");
    EXPECT_EQ(grid.model()->data(grid.model()->index(5001, 0)).toString(), "2");
}

} // namespace
