#include "platform/ui/DataGrid.h"
#include "common/DataSource.h"
#include "common/ProgramState.h"
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
        auto *line = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_NE(line, nullptr);
        line->selectAll();
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
        QApplication::processEvents(); // the view commits the editor's data from its event queue
    }
    DataSource source;
    DataGrid grid;
};

TEST_F(DataGridTest, TypedCellsAndRowsAreStoredAndDeleteCanBeRefused)
{
    grid.setAllowAddNew(true);
    grid.setAllowDelete(true);
    ASSERT_EQ(grid.model()->rowCount(), 3); // two rows and the "add" line
    typeInto(1, 1, "Bruno Martin");
    EXPECT_EQ(scalar("SELECT NomVendeur FROM Vendeurs WHERE NoVendeur = '2'").toString(), "Bruno Martin");
    typeInto(2, 0, "3");
    ASSERT_EQ(grid.model()->rowCount(), 4); // the new row and a fresh "add" line
    EXPECT_EQ(grid.currentIndex().row(), 2) << "the new row stays current, Tab goes on along it";
    typeInto(2, 1, "Chloe");
    EXPECT_EQ(scalar("SELECT NomVendeur FROM Vendeurs WHERE NoVendeur = '3'").toString(), "Chloe");
    bool refuse = true;
    QObject::connect(&grid, &DataGrid::BeforeDelete, [&](bool *cancel) { *cancel = refuse; });
    grid.setCurrentIndex(grid.model()->index(0, 0));
    QTest::keyClick(grid.viewport(), Qt::Key_Delete);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Vendeurs").toInt(), 3);
    refuse = false;
    QTest::keyClick(grid.viewport(), Qt::Key_Delete);
    EXPECT_EQ(scalar("SELECT group_concat(NoVendeur) FROM Vendeurs").toString(), "2,3"); // in rowid order
}

} // namespace
