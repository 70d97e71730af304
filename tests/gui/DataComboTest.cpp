#include "platform/ui/DataCombo.h"
#include "common/DataSource.h"
#include "common/ProgramState.h"
#include "support/ProgramFixture.h"

#include <QTest>

using namespace tarnvik;
using namespace Qt::StringLiterals;
using DataComboTest = tarnvik::test::ProgramFixture;

TEST_F(DataComboTest, ListFollowsTheRowSourceAndTheBoundFieldTheChoice)
{
    // Stored out of alphabetical order: the list shows them in the order the query asks for.
    addProject(u"Chantier"_s, {u"Plomberie"_s, u"Peinture"_s});
    addEmployee(u"1001"_s, u"Alice"_s);
    execSql(u"UPDATE Vendeurs SET SousProjet = 'Plomberie'"_s);
    DataSource list(u"SELECT SousProjet FROM Projets WHERE SousProjet NOTNULL ORDER BY 1"_s);
    DataSource employee(u"SELECT * FROM Vendeurs"_s);
    for (DataSource *s : {&list, &employee})
        s->setConnectionString(ProgramState::ConnString);
    ASSERT_TRUE(list.Refresh());
    DataCombo combo;
    combo.setRowSource(&list), combo.setListField(u"SousProjet"_s), combo.Refresh();
    combo.setDataSource(&employee), combo.setDataField(u"SousProjet"_s);
    ASSERT_TRUE(employee.Refresh());
    const auto items = [&combo] {
        QString list;
        for (int i = 0; i < combo.count(); ++i)
            list += combo.itemText(i) + u' ';
        return list.toStdString();
    };
    EXPECT_EQ(items(), "Peinture Plomberie ");
    EXPECT_EQ(combo.currentIndex(), 1) << "the stored value is shown";
    combo.setCurrentIndex(0);
    ASSERT_TRUE(employee.recordset().Update());
    EXPECT_EQ(scalar(u"SELECT SousProjet FROM Vendeurs"_s).toString(), u"Peinture"_s);

    // A typed name stays through a reload of the list; the list follows the table only when asked.
    combo.clearEditText();
    QTest::keyClicks(&combo, u"Jard"_s);
    addProject(u"Parc"_s, {u"Jardin"_s});
    ASSERT_TRUE(list.Refresh());
    EXPECT_EQ(combo.count(), 2);
    combo.Refresh();
    EXPECT_EQ(items(), "Jardin Peinture Plomberie ");
    EXPECT_EQ(combo.Text(), u"Jard"_s);
}
