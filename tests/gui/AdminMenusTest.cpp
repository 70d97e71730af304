#include "station/ui/AdminMenus.h"
#include "PunchWindowFixture.h"
#include "admin/frmAcces.h"
#include "admin/frmInfo.h"
#include "station/Scramble.h"
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {

struct AdminMenusTest : test::PunchWindowFixture {
    // Clicks an entry; handle (run in the loop of the modal window it opens) closes it. Returns its class.
    QString trigger(QAction *entry, const std::function<void(QWidget *)> &handle = {})
    {
        QString opened;
        QTimer::singleShot(0, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                opened = QLatin1String(modal->metaObject()->className());
                handle ? handle(modal) : void(modal->close());
            }
        });
        entry->trigger();
        QApplication::processEvents(); // a click that opened nothing leaves the check behind
        return opened;
    }
};

TEST_F(AdminMenusTest, GuardedEntriesAskUntilLoggedOnAndAgainAfterLogOff)
{
    open();
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    dialogs->thenType(u"Premier"_s).thenYes(); // a first password, then the end of day's own question
    EXPECT_TRUE(trigger(window->mnuFin).isEmpty());
    EXPECT_EQ(presenceCount(u"1001"_s), 0);
    EXPECT_TRUE(window->lblDeconnexion->isVisible());
    EXPECT_EQ(trigger(window->mnuPref), u"tarnvik::frmOptions"_s) << "logged on: no prompt";

    QTest::mouseClick(window->lblDeconnexion, Qt::LeftButton);
    EXPECT_FALSE(window->lblDeconnexion->isVisible());
    dialogs->then(test::Answer::cancel()).thenType(u"premier"_s).thenType(u"Premier"_s);
    EXPECT_TRUE(trigger(window->mnuAcces).isEmpty() && trigger(window->mnuAcces).isEmpty());
    EXPECT_EQ(dialogs->messages().mid(2), QStringList{LOC_RTString(1394)}) << "after the two questions above";
    bool loggedOnWhileOpen = true;
    trigger(window->mnuAcces, [&](QWidget *modal) {
        auto *acces = qobject_cast<frmAcces *>(modal);
        loggedOnWhileOpen = window->lblDeconnexion->isVisible();
        acces->txtPass->selectAll();
        QTest::keyClicks(acces->txtPass, u"Nouveau"_s);
        QTest::keyClicks(acces->txtPass2, u"Nouveau"_s);
        QTest::mouseClick(acces->cmdOk, Qt::LeftButton);
    });
    EXPECT_TRUE(!loggedOnWhileOpen && window->lblDeconnexion->isVisible()) << "logged on once it closed";
    EXPECT_EQ(scalar(u"SELECT RapPass FROM Acces"_s).toString(), Brouiller(u"Nouveau"_s, u"Nouveau"_s));
}

TEST_F(AdminMenusTest, UnguardedEntriesNeverAskAndGuardedOnesDo)
{
    execSql(u"UPDATE Acces SET RapPass = ?"_s, {Brouiller(u"Secret"_s, u"Secret"_s)});
    open();
    bool mainHiddenWhileOpen = false;
    trigger(window->mnuApropos, [&](QWidget *modal) {
        mainHiddenWhileOpen = !window->isVisible();
        QTest::mouseClick(qobject_cast<frmInfo *>(modal)->cmdOk, Qt::LeftButton);
    });
    EXPECT_TRUE(mainHiddenWhileOpen && window->isVisible()) << "the entry asks for it";
    EXPECT_EQ(trigger(window->mnuProjets), u"tarnvik::frmProjets"_s);
    dialogs->thenType(u"Secret"_s);
    EXPECT_EQ(trigger(window->mnuArchives), u"tarnvik::frmArchives"_s);
    EXPECT_EQ(dialogs->shown().size(), 1) << "only the archives asked";
    dialogs->openUrlResult = false; // no program shows the guide: the user is told where it is
    trigger(window->mnuAide);
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1942).arg(folder() + u'/' + LOC_RTString(1102))});
}

} // namespace
