#include "station/ui/PayPeriodHook.h"
#include "PunchWindowFixture.h"
#include "admin/frmOptions.h"

#include <QPushButton>
#include <QTimer>
using namespace Qt::StringLiterals;

namespace tarnvik::test {
namespace {

using PayPeriodHookTest = PunchWindowFixture;

// No period: said once, options open modal over the main window; a period set later rolls over.
TEST_F(PayPeriodHookTest, LoadAndTimerRunThePeriodCheck)
{
    QWidget *owner = nullptr;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *o = qobject_cast<frmOptions *>(w); o && o->isVisible() && o->isModal()) {
                owner = o->parentWidget();
                QTest::mouseClick(o->cmdAnnuler, Qt::LeftButton);
            }
    });
    window = std::make_unique<frmPunch>();
    plugInPeriodCheck(window.get());
    window->Form_Load();
    window->Timer2_Timer();
    EXPECT_EQ(owner, window.get());
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1650)});
    execSql(u"UPDATE Acces SET Periode = 1, DateDebut = '2003-02-13'"_s);
    addPunch(u"1001"_s, u"In"_s, QDate(2003, 2, 14), QTime(8, 0), u"Chantier"_s, u"Peinture"_s);
    window->Timer2_Timer();
    EXPECT_EQ(scalar(u"SELECT DateDebut FROM Acces"_s).toString(), u"2003-02-20"_s);
    EXPECT_EQ(scalar(u"SELECT Archived FROM Punch"_s).toInt(), 1);
    EXPECT_EQ(dialogs->messages().last(), LOC_RTString(1630));
}

} // namespace
} // namespace tarnvik::test
