#include "platform/ui/DataCombo.h"
#include "common/DataSource.h"
#include "common/ProgramState.h"
#include "platform/ui/Pickers.h"
#include "support/ProgramFixture.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace tarnvik;
using tarnvik::test::ProgramFixture;

namespace {

class DataComboTest : public ProgramFixture {
protected:
    QStringList items(const DataCombo &combo) const
    {
        QStringList list;
        for (int i = 0; i < combo.count(); ++i)
            list << combo.itemText(i);
        return list;
    }
};

TEST_F(DataComboTest, ListComesFromTheRowSourceOnRefresh)
{
    addProject(QStringLiteral("Chantier"), {QStringLiteral("Peinture"), QStringLiteral("Plomberie")});
    DataSource rows(
        QStringLiteral("SELECT SousProjet FROM Projets WHERE SousProjet IS NOT NULL ORDER BY SousProjet"));
    rows.setConnectionString(ProgramState::ConnString);
    ASSERT_TRUE(rows.Refresh());
    DataCombo combo;
    combo.setRowSource(&rows);
    combo.setListField(QStringLiteral("SousProjet"));
    combo.Refresh();
    EXPECT_EQ(items(combo), QStringList({"Peinture", "Plomberie"}));
    EXPECT_TRUE(combo.Text().isEmpty());

    // A typed name stays through a reload; the list follows the table only
    // when asked to.
    QSignalSpy changes(&combo, &DataCombo::Change);
    QTest::keyClicks(&combo, QStringLiteral("Jard"));
    EXPECT_EQ(combo.Text(), QStringLiteral("Jard"));
    EXPECT_EQ(changes.count(), 4);
    addProject(QStringLiteral("Parc"), {QStringLiteral("Jardin")});
    ASSERT_TRUE(rows.Refresh());
    EXPECT_EQ(combo.count(), 2);
    combo.Refresh();
    EXPECT_EQ(items(combo), QStringList({"Jardin", "Peinture", "Plomberie"}));
    EXPECT_EQ(combo.Text(), QStringLiteral("Jard"));
    EXPECT_EQ(changes.count(), 4);

    combo.clearChoice();
    EXPECT_TRUE(combo.Text().isEmpty());
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(changes.count(), 5);
    // Emptying an empty choice is no change.
    combo.clearChoice();
    EXPECT_EQ(changes.count(), 5);
}

TEST_F(DataComboTest, BoundFieldReceivesTheChoiceAndShowsTheStoredValue)
{
    addProject(QStringLiteral("Chantier"), {QStringLiteral("Peinture"), QStringLiteral("Plomberie")});
    addEmployee(QStringLiteral("1001"), QStringLiteral("Alice"));
    execSql(QStringLiteral("UPDATE Vendeurs SET SousProjet = 'Plomberie'"));
    DataSource list(
        QStringLiteral("SELECT SousProjet FROM Projets WHERE SousProjet IS NOT NULL ORDER BY SousProjet"));
    DataSource employee(QStringLiteral("SELECT * FROM Vendeurs"));
    for (DataSource *s : {&list, &employee})
        s->setConnectionString(ProgramState::ConnString);
    list.Refresh();
    DataCombo combo;
    combo.setRowSource(&list);
    combo.setListField(QStringLiteral("SousProjet"));
    combo.Refresh();
    combo.setDataSource(&employee);
    combo.setDataField(QStringLiteral("SousProjet"));
    employee.Refresh();
    EXPECT_EQ(combo.Text(), QStringLiteral("Plomberie"));
    EXPECT_EQ(combo.currentIndex(), 1);

    combo.setCurrentIndex(0);
    ASSERT_TRUE(employee.recordset().Update());
    EXPECT_EQ(scalar(QStringLiteral("SELECT SousProjet FROM Vendeurs")).toString(),
              QStringLiteral("Peinture"));
}

TEST_F(DataComboTest, PickersCanBeEmptiedAndFilledAgain)
{
    DatePicker date;
    TimePicker time;
    date.setValue(QDate(2003, 2, 25));
    time.setValue(QTime(7, 45, 30));
    EXPECT_EQ(date.Value(), QDate(2003, 2, 25));
    EXPECT_EQ(time.Value(), QTime(7, 45, 30));
    EXPECT_EQ(time.text(), QStringLiteral("07:45:30"));

    QTest::keyClick(&date, Qt::Key_Delete);
    QTest::keyClick(&time, Qt::Key_Backspace);
    EXPECT_FALSE(date.Value().isValid());
    EXPECT_FALSE(time.Value().isValid());
    EXPECT_TRUE(date.text().isEmpty());
    EXPECT_TRUE(time.text().isEmpty());

    // Stepping an empty picker fills it from the clock (fixed by the fixture).
    QTest::keyClick(&date, Qt::Key_Up);
    QTest::keyClick(&time, Qt::Key_Down);
    EXPECT_EQ(date.Value(), QDate(2003, 3, 1));
    EXPECT_EQ(time.Value(), QTime(9, 0));
    EXPECT_EQ(time.text(), QStringLiteral("09:00:00"));

    time.setValue(QTime());
    EXPECT_TRUE(time.isBlank());
    time.setValue(QTime(23, 59, 59));
    EXPECT_EQ(time.Value(), QTime(23, 59, 59));
}

} // namespace
