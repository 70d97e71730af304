#include "PunchWindowFixture.h"

#include "common/ProgramState.h"
#include "platform/ui/PictureButton.h"

#include <QPushButton>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchTest = PunchWindowFixture;

TEST_F(frmPunchTest, StartUpChecksThePeriodSynchronisesAndWritesNothing)
{
    addProject(u"Aucun"_s, {u"Aucun"_s});
    int checks = 0, syncs = 0;
    bool loadingAtCheck = true;
    window = std::make_unique<frmPunch>();
    window->onCheckPeriode = [&]() { ++checks, loadingAtCheck = ProgramState::Loading; };
    window->onClockSync = [&]() { ++syncs; };
    window->Form_Load();
    frmPunch &w = *window;
    // The period check runs once loading is over, then one clock synchronisation; the punch routine on the
    // empty number box writes nothing and asks nothing.
    EXPECT_EQ(std::tuple(checks, loadingAtCheck, syncs), std::tuple(1, false, 1));
    EXPECT_EQ(punchCount() + dialogs->shown().size(), 0);
    EXPECT_EQ(w.dcbProjet->count(), 3) << "the sub-projects, without the placeholder name";
    // The arrow button shows the time-server area below the entry, and hides it again.
    const auto areaShown = [&w] {
        return w.Command4->mapTo(&w, QPoint(0, w.Command4->height())).y() < w.height();
    };
    EXPECT_FALSE(areaShown());
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    EXPECT_TRUE(areaShown());
    w.Command4->click();
    EXPECT_EQ(syncs, 2) << "Connect synchronises";
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    EXPECT_FALSE(areaShown());
}

} // namespace
