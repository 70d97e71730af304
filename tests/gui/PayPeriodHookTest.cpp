#include "PunchWindowFixture.h"

#include "admin/frmOptions.h"
#include "common/ProgramState.h"
#include "station/ui/PayPeriodHook.h"

#include <QPushButton>
#include <QTimer>

namespace tarnvik::test {
namespace {

class PayPeriodHookTest : public PunchWindowFixture {
protected:
    void setPeriod(const QVariant &periode, const QVariant &start)
    {
        execSql(QStringLiteral("UPDATE Acces SET Periode = ?, DateDebut = ?"), {periode, start});
    }
    QString storedStart() const { return scalar(QStringLiteral("SELECT DateDebut FROM Acces")).toString(); }
    // Builds the main window with the roll-over plugged in and loads it.
    void load()
    {
        window = std::make_unique<frmPunch>();
        plugInPeriodCheck(window.get());
        window->Form_Load();
    }
};

TEST_F(PayPeriodHookTest, StationCatchesUpMissedPeriodsAtStartAndOnItsTimer)
{
    setPeriod(1, QStringLiteral("2003-02-13"));
    addPunch(QStringLiteral("1001"), QStringLiteral("In"), QDate(2003, 2, 14), QTime(8, 0),
             QStringLiteral("Chantier"), QStringLiteral("Peinture"));
    addPunch(QStringLiteral("1001"), QStringLiteral("Out"), QDate(2003, 2, 21), QTime(17, 0),
             QStringLiteral("Chantier"), QStringLiteral("Peinture"));

    load();
    EXPECT_EQ(storedStart(), QStringLiteral("2003-02-20"));
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1630)});
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Punch WHERE Archived = 1")).toInt(), 1);

    // While the window loads, the timer leaves the period alone.
    ProgramState::Loading = true;
    window->Timer2_Timer();
    EXPECT_EQ(storedStart(), QStringLiteral("2003-02-20"));
    ProgramState::Loading = false;

    window->Timer2_Timer();
    EXPECT_EQ(storedStart(), QStringLiteral("2003-02-27"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Punch WHERE Archived = 1")).toInt(), 2);
    window->Timer2_Timer();
    EXPECT_EQ(storedStart(), QStringLiteral("2003-02-27"));
    EXPECT_EQ(dialogs->messages(), QStringList(2, LOC_RTString(1630)));
}

TEST_F(PayPeriodHookTest, NoPeriodOpensTheOptionsOwnedByTheMainWindowOnce)
{
    setPeriod(QVariant(), QVariant());
    QWidget *owner = nullptr;
    bool modal = false;
    int opened = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *options = qobject_cast<frmOptions *>(w);
            if (!options || !options->isVisible())
                continue;
            ++opened;
            owner = options->parentWidget();
            modal = options->isModal();
            QTest::mouseClick(options->cmdAnnuler, Qt::LeftButton);
        }
    });
    load();

    EXPECT_EQ(opened, 1);
    EXPECT_EQ(owner, window.get());
    EXPECT_TRUE(modal);
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1650)});
    EXPECT_TRUE(ProgramState::PeriodeMsgShown);
    EXPECT_TRUE(scalar(QStringLiteral("SELECT Periode FROM Acces")).isNull()) << "cancelled: nothing stored";

    window->Timer2_Timer();
    window->Timer2_Timer();
    EXPECT_EQ(dialogs->messages().size(), 1);
}

} // namespace
} // namespace tarnvik::test
