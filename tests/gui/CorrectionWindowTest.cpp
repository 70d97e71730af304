#include "ArchivesFixture.h"
#include "platform/ui/ClickLabel.h"
#include "platform/ui/DataCombo.h"
#include "platform/ui/Pickers.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace tarnvik::test {
namespace {

class CorrectionWindowTest : public ArchivesFixture {
protected:
    // Ten current punches of 1001, four of 1002 from 2 March back to 27 February, two archived of 1002.
    void addHistory()
    {
        for (int i = 0; i < 10; ++i)
            punch(u"1001"_s, i % 2 ? u"Out"_s : u"In"_s, u"2003-02-%1"_s.arg(10 + i), u"08:00:00"_s,
                  u"Chantier"_s, u"Peinture"_s);
        for (int day = 3; day >= 0; --day)
            punch(u"1002"_s, u"In"_s, QDate(2003, 3, 1).addDays(day - 2).toString(Qt::ISODate), u"07:30:00"_s,
                  u"Chantier"_s, u"Plomberie"_s);
        punch(u"1002"_s, u"In"_s, u"2003-01-06"_s, u"08:00:00"_s, u"Chantier"_s, u"Peinture"_s, true);
        punch(u"1002"_s, u"Out"_s, u"2003-01-06"_s, u"12:00:00"_s, u"Chantier"_s, u"Peinture"_s, true);
    }
    // Opens the archives, selects a row (of the archived list when asked) and opens the corrections.
    frmModifier &openOn(int row, bool archived = false, DataSource *stationEmployees = nullptr)
    {
        openArchives();
        archives->chkVoir->setChecked(archived);
        clickRow(archives->dgArchives, row);
        return openCorrections(stationEmployees);
    }
    QString current() const
    {
        return u"%1 %2 %3 %4"_s.arg(
            corrections->lblNoEmp->text(), corrections->DPicker->Value().toString(Qt::ISODate),
            corrections->TPicker->Value().toString(u"HH:mm"_s), corrections->cbInOut->currentText());
    }
    QString storedRow(const QString &date) const
    {
        return stored().filter(QRegularExpression(u"^1002 .*"_s + date)).value(0);
    }
};

TEST_F(CorrectionWindowTest, OpensOnTheSelectedPunchAndLeavesTheArchivesOnTheirFirstRow)
{
    addHistory();
    // Row selected in the archives (0-based), archived list, then the punch shown and its row.
    const QList<std::tuple<int, bool, QString, int>> cases = {
        {12, false, u"1002 2003-02-28 07:30 In"_s, 2}, // P = 13 after C = 10 rows of 1001
        {10, false, u"1002 2003-03-02 07:30 In"_s, 0},
        {1, true, u"1002 2003-01-06 12:00 Out"_s, 1},
    };
    for (const auto &[row, archived, shown, listRow] : cases) {
        SCOPED_TRACE(shown.toStdString());
        openOn(row, archived);
        EXPECT_EQ(current(), shown);
        EXPECT_EQ(corrections->dgArchives->currentRow(), listRow);
        EXPECT_EQ(corrections->dgArchives->model()->rowCount(), archived ? 2 : 4);
        EXPECT_EQ(corrections->chkVoir->isChecked(), archived);
        EXPECT_EQ(archives->dgArchives->currentRow(), 0) << "the archives list was reloaded";
        QTest::mouseClick(corrections->cmdAnnuler, Qt::LeftButton);
    }
}

TEST_F(CorrectionWindowTest, SubProjectChoiceTakesTheProjectThatSortsFirstAndAddedPunchStartsNow)
{
    addProject(u"Atelier"_s, {u"Peinture"_s}); // added last, sorts first
    addHistory();
    openOn(10);
    corrections->dcbProjet->setFocus();
    const std::pair<QString, QString> picks[] = {{u"Accueil"_s, u"Bureau"_s}, {u"Peinture"_s, u"Atelier"_s}};
    for (const auto &[sub, project] : picks) {
        corrections->dcbProjet->lineEdit()->selectAll();
        QTest::keyClicks(corrections->dcbProjet->lineEdit(), sub);
        EXPECT_EQ(corrections->lblProjet->text(), project);
    }
    QTest::mouseClick(corrections->cmdOk, Qt::LeftButton);
    EXPECT_EQ(storedRow(u"2003-03-02"_s), u"1002 In 2003-03-02 07:30:00 Atelier/Peinture 0"_s);

    openOn(10);
    QTest::mouseClick(corrections->cmdAjouter, Qt::LeftButton);
    EXPECT_EQ(current(), u"1002 2003-03-01 09:00 In"_s);
    corrections->txtLong->setFocus();
    QTest::keyClick(corrections->txtLong, Qt::Key_Return); // Enter keeps the punch being added
    EXPECT_FALSE(corrections->isVisible());
    EXPECT_EQ(stored().last(), u"1002 In 2003-03-01 09:00:00 / 0 Heure / date ajoutée"_s);
    EXPECT_TRUE(scalar(u"SELECT Projet FROM Punch WHERE rowid = (SELECT MAX(rowid) FROM Punch)"_s).isNull());
}

// Every box, label and grid does what it shows: In/Out and archived changes mark the punch, OK stores and
// shows the change in the archives, Cancel drops it, the archived box follows its label and goes back to
// current punches for another number, the employee grid picks the number, the station's employee query
// is given back.
TEST_F(CorrectionWindowTest, BoxesLabelsAndGridsAreWiredToWhatTheyShow)
{
    addHistory();
    execSql(u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('1001', 'Bureau', 'Accueil')"_s);
    openOn(10);
    EXPECT_EQ(corrections->DataGrid2->model()->rowCount(), 2) << "employee rows only";
    corrections->DPicker->setFocus();
    QTest::keyClick(corrections->DPicker, Qt::Key_Delete); // an emptied date writes nothing
    // Each row changed alone, then left: In/Out, the time, the date (four digits) and the box of a
    // manual correction, the archived state; only the box's own text replaces the marker.
    corrections->cbInOut->setFocus();
    corrections->cbInOut->lineEdit()->selectAll();
    QTest::keyClicks(corrections->cbInOut->lineEdit(), u"Out"_s);
    clickRow(corrections->dgArchives, 1);
    typeInto(corrections->TPicker, u"101500"_s);
    clickRow(corrections->dgArchives, 2);
    typeInto(corrections->DPicker, u"30/2/1999"_s); // no such day: OK refuses it, never stores another
    QTest::mouseClick(corrections->cmdOk, Qt::LeftButton);
    clickRow(corrections->dgArchives, 3); // nor can the punch be left with it, for another row or list
    QTest::mouseClick(corrections->Label13, Qt::LeftButton);
    EXPECT_TRUE(corrections->isVisible() && corrections->dgArchives->currentRow() == 2 &&
                !corrections->chkVoir->isChecked() &&
                dialogs->messages() == QStringList(3, LOC_RTString(1944).arg(u"30/2/1999"_s)));
    typeInto(corrections->DPicker, u"15021999"_s);
    corrections->cbArch->setFocus();
    EXPECT_EQ(corrections->dgArchives->model()->index(2, 2).data().toString(), u"15/02/1999"_s)
        << "the row being edited shows its date as the pickers do";
    QTest::mouseClick(corrections->Label14, Qt::LeftButton);
    clickRow(corrections->dgArchives, 3);
    corrections->cbArch->setFocus();
    QTest::keyClick(corrections->cbArch, Qt::Key_Down); // "1": archived
    QTest::mouseClick(corrections->cmdOk, Qt::LeftButton);
    const QString marker = LOC_RTString(1296), row = u"1002 %1 %2 Chantier/Plomberie %3 "_s;
    EXPECT_EQ(storedRow(u"2003-03-02"_s), row.arg(u"Out"_s, u"2003-03-02 07:30:00"_s, u"0"_s) + marker);
    EXPECT_EQ(storedRow(u"2003-03-01"_s), row.arg(u"In"_s, u"2003-03-01 10:15:00"_s, u"0"_s) + marker);
    EXPECT_EQ(storedRow(u"1999-02-15"_s),
              row.arg(u"In"_s, u"1999-02-15 07:30:00"_s, u"0"_s) + LOC_RTString(1512));
    EXPECT_EQ(storedRow(u"2003-02-27"_s), row.arg(u"In"_s, u"2003-02-27 07:30:00"_s, u"1"_s) + marker);
    EXPECT_EQ(archives->dgArchives->model()->index(10, 1).data().toString(), u"Out"_s) << "list read again";

    DataSource station(u"SELECT * FROM Vendeurs"_s);
    station.setConnectionString(ProgramState::ConnString);
    openOn(10, false, &station);
    EXPECT_EQ(station.RecordSource().text, u"SELECT * FROM Vendeurs"_s);
    QTest::mouseClick(corrections->Label14, Qt::LeftButton);
    QTest::mouseClick(corrections->Label14, Qt::LeftButton);
    EXPECT_EQ(corrections->txtLong->text(), u"Sunday 02 March 2003"_s);
    QTest::mouseClick(corrections->cmdAnnuler, Qt::LeftButton);
    EXPECT_TRUE(storedRow(u"2003-03-02"_s).endsWith(marker)) << "Cancel drops the change";

    openOn(10);
    QTest::mouseClick(corrections->Label13, Qt::LeftButton);
    EXPECT_TRUE(corrections->chkVoir->isChecked() && corrections->dgArchives->model()->rowCount() == 3)
        << "the label ticks the box: the archived punches of 1002";
    clickRow(corrections->DataGrid2, 0); // another number: its current punches
    EXPECT_EQ(corrections->txtNoEmp->text() + u' ' + corrections->lblNomEmp->text(), u"1001 Alice Martin"_s);
    EXPECT_FALSE(corrections->chkVoir->isChecked());
    EXPECT_EQ(corrections->dgArchives->model()->rowCount(), 10);
}

// Another program holds the database: the punch left keeps what was typed and stays the one highlighted,
// shown in the controls and stored by OK.
TEST_F(CorrectionWindowTest, UnderALockThePunchShownEditedAndStoredIsOne)
{
    addHistory();
    shortBusyWait();
    openOn(10);
    corrections->cbInOut->setFocus();
    corrections->cbInOut->lineEdit()->selectAll();
    QTest::keyClicks(corrections->cbInOut->lineEdit(), u"Out"_s);
    holdWriteLock(true);
    clickRow(corrections->dgArchives, 2);
    EXPECT_EQ(dialogs->messages(),
              QStringList{LOC_RTString(1826).arg(LOC_RTString(1730).arg(databasePath()))});
    const QModelIndexList highlighted = corrections->dgArchives->selectionModel()->selectedRows();
    EXPECT_TRUE(highlighted.size() == 1 && highlighted[0].row() == 0 &&
                corrections->dgArchives->currentRow() == 0);
    EXPECT_EQ(current(), u"1002 2003-03-02 07:30 Out"_s);
    QTest::mouseClick(corrections->cmdOk, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().size() == 2 && corrections->isVisible())
        << "OK stays open on a failed write";
    holdWriteLock(false);
    QTest::mouseClick(corrections->cmdOk, Qt::LeftButton);
    EXPECT_FALSE(corrections->isVisible());
    EXPECT_EQ(storedRow(u"2003-03-02"_s),
              u"1002 Out 2003-03-02 07:30:00 Chantier/Plomberie 0 "_s + LOC_RTString(1296));
    EXPECT_EQ(storedRow(u"2003-02-28"_s), u"1002 In 2003-02-28 07:30:00 Chantier/Plomberie 0"_s);
}

// The employee grid follows the number typed, so that a click on the employee listed before lists him again.
TEST_F(CorrectionWindowTest, EmployeeGridFollowsTheNumberTyped)
{
    addHistory();
    openOn(10);
    corrections->txtNoEmp->selectAll();
    QTest::keyClicks(corrections->txtNoEmp, u"1001"_s);
    EXPECT_EQ(corrections->DataGrid2->currentRow(), 0);
    QTest::keyClicks(corrections->txtNoEmp, u"9"_s); // nobody's number: no employee highlighted
    EXPECT_EQ(corrections->DataGrid2->selectionModel()->selectedRows().size(), 0);
    clickRow(corrections->DataGrid2, 1);
    EXPECT_EQ(corrections->txtNoEmp->text() + u' ' + current(), u"1002 1002 2003-03-02 07:30 In"_s);
}

// Enter in a picker ends the typing as a click away does: a date or time that cannot exist stays refused,
// Enter on OK says so and stores nothing, whatever it was typed over.
TEST_F(CorrectionWindowTest, EnterNeverTurnsAnImpossibleDateIntoAnother)
{
    addHistory();
    openOn(10);
    const QString before = storedRow(u"2003-03-02"_s);
    // Keys typed from the day part, then what the message names ("" for none) and the punch stored after
    // Enter.
    const QList<std::tuple<QDateTimeEdit *, QString, QString>> refused = {
        {corrections->DPicker, u"31022026"_s, u"31/02/2026"_s},
        {corrections->DPicker, u"00/00/0000"_s, u"00/00/0000"_s},
        {corrections->DPicker, u"99/99/9999"_s, u"99/99/9999"_s},
        {corrections->TPicker, u"250000"_s, u"25:00:00"_s},
    };
    for (const auto &[picker, keys, named] : refused) {
        SCOPED_TRACE(keys.toStdString());
        dialogs->clear();
        clickFirstPart(picker);
        QTest::keyClicks(picker, keys);
        QTest::keyClick(picker, Qt::Key_Return);
        QTest::keyClick(picker, Qt::Key_Return); // once more, after the message
        EXPECT_TRUE(corrections->isVisible());
        EXPECT_EQ(dialogs->messages(), QStringList(2, LOC_RTString(1944).arg(named)));
        EXPECT_EQ(storedRow(u"2003-03-02"_s), before);
        picker->setFocus();
        QTest::keyClick(picker, Qt::Key_Delete);
        picker == corrections->DPicker ? corrections->DPicker->setValue(QDate(2003, 3, 2))
                                       : corrections->TPicker->setValue(QTime(7, 30));
    }
    dialogs->clear();
    corrections->DPicker->setValue(QDate(2026, 12, 31)); // a day 31 that November has not
    clickFirstPart(corrections->DPicker);
    QTest::keyClicks(corrections->DPicker, u"20/11"_s);
    QTest::keyClick(corrections->DPicker, Qt::Key_Return);
    EXPECT_FALSE(corrections->isVisible());
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_EQ(storedRow(u"2026-11-20"_s),
              u"1002 In 2026-11-20 07:30:00 Chantier/Plomberie 0 "_s + LOC_RTString(1296));
}

// Another program holds the database when the user takes another employee (in the grid or by his number):
// the number box, the employee grid, the name label and the punch list stay on the employee whose change
// could not be stored, and a punch added next is his.
TEST_F(CorrectionWindowTest, UnderALockAnotherEmployeeIsNeverTakenHalfway)
{
    addHistory();
    shortBusyWait();
    openOn(0); // a punch of 1001
    typeInto(corrections->TPicker, u"101500"_s);
    holdWriteLock(true);
    clickRow(corrections->DataGrid2, 1); // 1002
    corrections->txtNoEmp->setFocus();
    QTest::keyClicks(corrections->txtNoEmp, u"1002"_s); // each key is refused
    EXPECT_EQ(dialogs->messages(),
              QStringList(5, LOC_RTString(1826).arg(LOC_RTString(1730).arg(databasePath()))));
    const QModelIndexList highlighted = corrections->DataGrid2->selectionModel()->selectedRows();
    EXPECT_TRUE(highlighted.size() == 1 && highlighted[0].row() == 0 &&
                corrections->DataGrid2->currentRow() == 0);
    EXPECT_EQ(corrections->txtNoEmp->text() + u' ' + corrections->lblNomEmp->text(), u"1001 Alice Martin"_s);
    EXPECT_EQ(corrections->dgArchives->model()->rowCount(), 10);
    holdWriteLock(false);
    QTest::mouseClick(corrections->cmdAjouter, Qt::LeftButton);
    QTest::mouseClick(corrections->cmdOk, Qt::LeftButton);
    EXPECT_EQ(stored().filter(u"ajoutée"_s),
              QStringList{u"1001 In 2003-03-01 09:00:00 / 0 Heure / date ajoutée"_s});
    EXPECT_EQ(stored().filter(u"10:15:00"_s).value(0).left(28), u"1001 Out 2003-02-19 10:15:00"_s)
        << "the change left is stored";
}

// Enter in the In/Out box stores the direction typed (as the box completes it) and closes the window at
// once, as OK does.
TEST_F(CorrectionWindowTest, EnterInTheInOutBoxStoresAtOnce)
{
    addHistory();
    openOn(10);
    corrections->cbInOut->setFocus();
    QLineEdit *edit = corrections->cbInOut->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, u"O"_s);
    // The box completes what was typed, "Out", the completion selected (as it does when it has the focus,
    // which a window of this test does not get on the offscreen platform).
    edit->setText(u"Out"_s), edit->setSelection(1, 2);
    QTest::keyClick(corrections->cbInOut, Qt::Key_Return);
    EXPECT_FALSE(corrections->isVisible());
    EXPECT_EQ(storedRow(u"2003-03-02"_s),
              u"1002 Out 2003-03-02 07:30:00 Chantier/Plomberie 0 "_s + LOC_RTString(1296));
}

} // namespace
} // namespace tarnvik::test
