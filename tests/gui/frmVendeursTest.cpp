#include "admin/frmVendeurs.h"
#include "GridCaptions.h"
#include "common/RecordsetTableModel.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/DataGrid.h"
#include "support/ProgramFixture.h"
#include <QApplication>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {

class frmVendeursTest : public test::ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 2"_s);
        addEmployee(u"1002"_s, u"Bob O'Neil"_s, u"Out"_s);
        addEmployee(u"1001"_s, u"Alice Martin"_s, u"In"_s);
        // A presence row and a temporary report row of the same number.
        execSql(
            u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('1001', 'Chantier', 'Peinture')"_s);
    }
    void TearDown() override
    {
        window.reset();
        ProgramFixture::TearDown();
    }
    void open()
    {
        (window = std::make_unique<frmVendeurs>())->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    DataGrid *grid() const { return window->dgVendeurs; }
    // The grid as the user reads it: "number name status" per line, the empty "add" line included.
    QStringList shown() const
    {
        QStringList lines;
        for (int r = 0; r < grid()->model()->rowCount(); ++r)
            lines << u"%1 %2 %3"_s.arg(grid()->model()->index(r, 0).data().toString(),
                                       grid()->model()->index(r, 1).data().toString(),
                                       grid()->model()->index(r, 3).data().toString());
        return lines;
    }
    QStringList stored() const
    {
        QStringList lines;
        for (const QVariantMap &row :
             rows(u"SELECT NoVendeur||' '||ifnull(NomVendeur,'')||' '||ifnull(Status,'') AS "
                  "r FROM Vendeurs WHERE Projet IS NULL ORDER BY NoVendeur, NomVendeur"_s))
            lines << row[u"r"_s].toString();
        return lines;
    }
    // Clicks a cell, types over it as a user does and presses Enter; a tab
    // in the text goes to the next cell.
    void typeInto(int row, int column, const QString &text)
    {
        const QModelIndex index = grid()->model()->index(row, column);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(index).center());
        for (const QChar c : text) { // the first key opens the editor, the others go to it
            if (c == u'\t')
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            else
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                                    {});
            QApplication::processEvents(); // the view commits the editor from its event queue
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
    }
    void click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    std::unique_ptr<frmVendeurs> window;
};

TEST_F(frmVendeursTest, RowsAreStoredWhenLeftOrByOkAndCancelDropsOnlyTheRowBeingEdited)
{
    open();
    typeInto(0, 1, u"Alice Dupont"_s);
    EXPECT_EQ(stored()[0], u"1001 Alice Martin In"_s) << "still pending while the row is current";
    typeInto(2, 0, u"1003\tChloé L'Heureux"_s); // on the add line: leaving row 0 stores it
    EXPECT_EQ(stored(), QStringList({u"1001 Alice Dupont In"_s, u"1002 Bob O'Neil Out"_s}));
    EXPECT_EQ(shown().mid(2), QStringList({u"1003 Chloé L'Heureux "_s, u"  "_s})) << "above a fresh add line";
    typeInto(3, 0, u"1004"_s); // a second new row: the first is stored
    EXPECT_EQ(stored().size(), 3);
    click(window->cmdOk);
    EXPECT_EQ(stored().mid(2), QStringList({u"1003 Chloé L'Heureux "_s, u"1004  "_s}));
    open();
    EXPECT_EQ(shown().size(), 4) << "1004 has no name: stored but not listed";
    EXPECT_EQ(test::cutCaptions(grid()), QStringList()) << "the worked-time column stays closed, no other";
    EXPECT_LE(grid()->columnWidth(2), 8);
    execSql(u"UPDATE Acces SET Lang = 1"_s), LOCRTSModule::reset();
    window.reset(), open(); // "Statut" in French
    EXPECT_EQ(test::cutCaptions(grid()), QStringList());
    execSql(u"UPDATE Acces SET Lang = 2"_s), LOCRTSModule::reset();
    window.reset(), open();
    typeInto(1, 3, u"In"_s);
    typeInto(1, 1, u"Robert"_s);
    click(window->cmdAnnuler);
    EXPECT_EQ(stored()[1], u"1002 Bob O'Neil Out"_s) << "both cells of the row being edited are dropped";
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs WHERE Projet NOTNULL"_s).toInt(), 1) << "presence kept";
    // The separator line stands between the buttons and the grid at any screen density (never over the grid).
    for (const int twipsPerPixel : {15, 12, 10}) {
        window->placeLine1(twipsPerPixel);
        EXPECT_TRUE(window->Line1->x() > window->cmdOk->geometry().right() &&
                    window->Line1->x() < grid()->x())
            << twipsPerPixel;
    }
}

TEST_F(frmVendeursTest, DeleteRemovesAtOnceWithoutAQuestionAndLeavesPunchesAndPresences)
{
    addPunch(u"1001"_s, u"In"_s, QDate(2003, 3, 1), QTime(8, 0), u"Chantier"_s, u"Peinture"_s);
    open();
    typeInto(0, 1, u"Typed but deleted"_s);
    QTest::keyClick(grid()->viewport(), Qt::Key_Delete);
    click(window->cmdAnnuler);
    EXPECT_EQ(stored(), QStringList{u"1002 Bob O'Neil Out"_s}) << "Cancel cannot bring a deleted row back";
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch WHERE NoVendeur = '1001'"_s).toInt(), 1);
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Vendeurs WHERE NoVendeur = '1001'"_s).toInt(), 1);
    EXPECT_TRUE(dialogs->shown().isEmpty()) << "no question asked";
}

// Another program holds the database: the row left keeps what was typed and stays the row highlighted,
// edited and deleted, whether the user clicked another row or pressed Down.
TEST_F(frmVendeursTest, UnderALockTheRowShownEditedAndDeletedIsOneRow)
{
    addEmployee(u"1003"_s, u"Chloé"_s, u"Out"_s);
    addEmployee(u"1004"_s, u"David"_s, u"Out"_s);
    shortBusyWait();
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Down" : "click");
        open();
        dialogs->clear();
        holdWriteLock(true);
        typeInto(1, 1, u"Robert"_s);
        if (byKey)
            QTest::keyClick(grid(), Qt::Key_Down);
        else
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                              grid()->visualRect(grid()->model()->index(3, 1)).center());
        ASSERT_EQ(dialogs->messages().size(), 1);
        EXPECT_EQ(dialogs->messages()[0], LOC_RTString(1800).arg(LOC_RTString(1730).arg(databasePath())));
        const QModelIndexList highlighted = grid()->selectionModel()->selectedRows();
        EXPECT_TRUE(highlighted.size() == 1 && highlighted[0].row() == 1 && grid()->currentRow() == 1);
        EXPECT_EQ(shown()[1], byKey ? u"1003 Robert Out"_s : u"1002 Robert Out"_s);
        holdWriteLock(false);
        QTest::keyClick(grid(), Qt::Key_Delete);
        click(window->cmdOk);
        EXPECT_EQ(stored().join(u','), byKey ? u"1001 Alice Martin In,1004 David Out"_s
                                             : u"1001 Alice Martin In,1003 Chloé Out,1004 David Out"_s);
    }
}

TEST_F(frmVendeursTest, FailedWriteIsSaidAndKeepsTheWindowOpenWithWhatWasTyped)
{
    execSql(
        u"CREATE TRIGGER Lock BEFORE UPDATE ON Vendeurs BEGIN SELECT RAISE(ABORT, 'employees locked'); END"_s);
    execSql(
        u"CREATE TRIGGER NoDelete BEFORE DELETE ON Vendeurs BEGIN SELECT RAISE(ABORT, 'no delete'); END"_s);
    open();
    typeInto(1, 1, u"Robert"_s);
    click(window->cmdOk);
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].startsWith(u"The change to the employee could not be saved"_s) &&
                dialogs->messages()[0].contains(u"employees locked"_s));
    execSql(u"DROP TRIGGER Lock"_s);
    QTest::keyClick(grid()->viewport(), Qt::Key_Delete); // the row being edited goes, if it can
    EXPECT_TRUE(dialogs->messages().last().startsWith(u"The employee could not be deleted"_s));
    click(window->cmdOk);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(stored(), QStringList({u"1001 Alice Martin In"_s, u"1002 Bob O'Neil Out"_s}))
        << "the failed delete dropped the change of its row, nothing else was written";
}

// Another program holds the database while the user leaves a row by Tab (from its last cell) or Shift+Tab
// (from its first): no editor is left open on another row, and the next keys work on the cell left, in the
// row that the grid shows as current: letters type into it, Delete deletes it.
TEST_F(frmVendeursTest, UnderALockTabLeavesNoEditorOnAnotherRow)
{
    addEmployee(u"1003"_s, u"Chloé"_s, u"Out"_s);
    addEmployee(u"1004"_s, u"David"_s, u"Out"_s);
    shortBusyWait();
    // Row and column typed into, text, the key that leaves the row, what is typed after the lock ("" for
    // Delete), then the employees stored.
    const QList<std::tuple<int, int, QString, Qt::Key, QString, QString>> cases = {
        {1, 3, u"In"_s, Qt::Key_Tab, QString(), u"1001 Alice Martin In,1003 Chloé Out,1004 David Out"_s},
        {1, 0, u"1009"_s, Qt::Key_Backtab, u"1005"_s,
         u"1001 Alice Martin In,1004 David Out,1005 Chloé Out"_s},
    };
    for (const auto &[row, column, text, key, after, left] : cases) {
        SCOPED_TRACE(text.toStdString());
        open();
        dialogs->clear();
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualRect(grid()->model()->index(row, column)).center());
        const auto typeKeys = [](const QString &keys) {
            for (const QChar c : keys)
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                                    {});
        };
        typeKeys(text);
        holdWriteLock(true);
        QTest::keyClick(QApplication::focusWidget(), key);
        QApplication::processEvents();
        EXPECT_EQ(dialogs->messages(),
                  QStringList{LOC_RTString(1800).arg(LOC_RTString(1730).arg(databasePath()))});
        const QModelIndexList highlighted = grid()->selectionModel()->selectedRows();
        EXPECT_TRUE(highlighted.size() == 1 && highlighted[0].row() == row &&
                    grid()->currentIndex().row() == row && grid()->currentIndex().column() == column);
        EXPECT_EQ(QApplication::focusWidget(), grid()) << "no editor left open";
        holdWriteLock(false);
        if (after.isEmpty()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        } else {
            typeKeys(after);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        click(window->cmdOk);
        EXPECT_EQ(stored().join(u','), left);
    }
}

} // namespace
