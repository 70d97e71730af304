#include "PunchWindowFixture.h"

#include "admin/frmAcces.h"
#include "admin/frmInfo.h"
#include "admin/frmOptions.h"
#include "common/ProgramState.h"
#include "station/Scramble.h"
#include "station/ui/AdminMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

using namespace tarnvik;
using tarnvik::test::Answer;
using tarnvik::test::PunchWindowFixture;
using tarnvik::test::Shown;

namespace {

class AdminMenusTest : public PunchWindowFixture {
protected:
    AdminMenus &menus() { return *window->adminMenus; }

    void setStoredPassword(const QString &password)
    {
        execSql(u"UPDATE Acces SET RapPass = ?"_s, {Brouiller(password, password)});
    }
    QString storedRapPass() const { return scalar(u"SELECT RapPass FROM Acces"_s).toString(); }
    int prompts() const
    {
        int count = 0;
        for (const Shown &s : dialogs->shown())
            count += s.kind == Shown::Input ? 1 : 0;
        return count;
    }

    // Clicks a menu entry; handle runs on the modal window it opens, from
    // inside that window's own event loop, and must close it. Returns the
    // class name of the window that opened, or an empty text.
    QString trigger(QAction *entry, const std::function<void(QWidget *)> &handle = {})
    {
        QString opened;
        bool armed = true;
        QTimer::singleShot(0, [&] {
            if (!armed)
                return;
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            opened = QLatin1String(modal->metaObject()->className());
            if (handle)
                handle(modal);
            else
                modal->close();
        });
        entry->trigger();
        // A click that opened nothing leaves the pending check behind.
        QApplication::processEvents();
        armed = false;
        return opened;
    }
};

TEST_F(AdminMenusTest, EntriesAreWiredAndGuarded)
{
    // (The menu tree itself is checked with the window's captions.)
    open();
    // The entries wired here work; those whose windows are not built yet wait.
    for (QAction *a : {window->mnuQuitter, window->mnuFin, window->mnuAcces, window->mnuPref, window->mnuAide,
                       window->mnuApropos})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    for (const char *name : {"mnuAcces", "mnuArchives", "mnuEmp", "mnuEmployes", "mnuFin", "mnuPref"})
        EXPECT_TRUE(menus().isGuarded(QLatin1String(name))) << name;
    for (const char *name : {"mnuProjets", "mnuAide", "mnuApropos", "mnuQuitter"})
        EXPECT_FALSE(menus().isGuarded(QLatin1String(name))) << name;
    EXPECT_FALSE(window->lblDeconnexion->isVisible());
}

TEST_F(AdminMenusTest, EndOfDayBehindAFirstPasswordLogsOn)
{
    open();
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    ASSERT_EQ(presenceCount(u"1001"_s), 1);
    dialogs->clear();

    dialogs->thenType(u"Premier"_s).thenYes();
    EXPECT_TRUE(trigger(window->mnuFin).isEmpty());

    EXPECT_EQ(storedRapPass(), Brouiller(u"Premier"_s, u"Premier"_s));
    EXPECT_EQ(presenceCount(u"1001"_s), 0);
    EXPECT_EQ(status(u"1001"_s), u"Out"_s);
    EXPECT_TRUE(menus().AdminUnlocked());
    EXPECT_TRUE(window->lblDeconnexion->isVisible());
    EXPECT_EQ(dialogs->remaining(), 0);
}

TEST_F(AdminMenusTest, WrongPasswordOpensNothingAndRightOneOpensThePasswordWindow)
{
    setStoredPassword(u"Secret"_s);
    open();

    dialogs->thenType(u"secret"_s);
    EXPECT_TRUE(trigger(window->mnuAcces).isEmpty());
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1394)});
    EXPECT_FALSE(window->lblDeconnexion->isVisible());

    // The right password opens frmAcces, where a new password is set.
    dialogs->clear();
    dialogs->thenType(u"Secret"_s);
    bool loggedOnWhileOpen = true;
    const QString opened = trigger(window->mnuAcces, [&](QWidget *modal) {
        auto *acces = qobject_cast<frmAcces *>(modal);
        ASSERT_NE(acces, nullptr);
        loggedOnWhileOpen = window->lblDeconnexion->isVisible();
        EXPECT_EQ(acces->parentWidget(), window.get());
        EXPECT_EQ(acces->txtPass->text(), u"Secret"_s);
        acces->txtPass->selectAll();
        QTest::keyClicks(acces->txtPass, u"Nouveau"_s);
        QTest::keyClicks(acces->txtPass2, u"Nouveau"_s);
        QTest::mouseClick(acces->cmdOk, Qt::LeftButton);
    });
    EXPECT_EQ(opened, u"tarnvik::frmAcces"_s);
    EXPECT_FALSE(loggedOnWhileOpen) << "the log-on follows the window's closing";
    EXPECT_EQ(storedRapPass(), Brouiller(u"Nouveau"_s, u"Nouveau"_s));
    EXPECT_TRUE(window->lblDeconnexion->isVisible());

    // Logged on: the guarded entries open at once.
    const int promptsBefore = prompts();
    EXPECT_EQ(trigger(window->mnuAcces), u"tarnvik::frmAcces"_s);
    EXPECT_EQ(trigger(window->mnuPref), u"tarnvik::frmOptions"_s);
    EXPECT_EQ(prompts(), promptsBefore);
}

TEST_F(AdminMenusTest, LogOffLabelLocksTheGuardedEntriesAgain)
{
    setStoredPassword(u"Secret"_s);
    open();
    dialogs->thenType(u"Secret"_s);
    ASSERT_EQ(trigger(window->mnuPref), u"tarnvik::frmOptions"_s);
    ASSERT_TRUE(window->lblDeconnexion->isVisible());

    QTest::mouseClick(window->lblDeconnexion, Qt::LeftButton);
    EXPECT_FALSE(window->lblDeconnexion->isVisible());
    EXPECT_FALSE(menus().AdminUnlocked());

    // Asked again; a cancelled prompt opens nothing and keeps the state.
    dialogs->clear();
    dialogs->then(Answer::cancel());
    EXPECT_TRUE(trigger(window->mnuPref).isEmpty());
    EXPECT_EQ(prompts(), 1);
    EXPECT_FALSE(window->lblDeconnexion->isVisible());
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

TEST_F(AdminMenusTest, HelpAboutAndQuitNeverAskForThePassword)
{
    setStoredPassword(u"Secret"_s);
    open();

    trigger(window->mnuAide);
    ASSERT_EQ(dialogs->openedUrls().size(), 1);
    EXPECT_EQ(dialogs->openedUrls().at(0).toLocalFile(), folder() + u"/help-en.html"_s);

    ProgramState::ShowMainAfterInfo = false;
    bool mainHiddenWhileOpen = false;
    const QString opened = trigger(window->mnuApropos, [&](QWidget *modal) {
        auto *box = qobject_cast<frmInfo *>(modal);
        ASSERT_NE(box, nullptr);
        mainHiddenWhileOpen = !window->isVisible();
        QTest::mouseClick(box->cmdOk, Qt::LeftButton);
    });
    EXPECT_EQ(opened, u"tarnvik::frmInfo"_s);
    EXPECT_TRUE(mainHiddenWhileOpen);
    EXPECT_TRUE(ProgramState::ShowMainAfterInfo);
    EXPECT_TRUE(window->isVisible());

    EXPECT_EQ(prompts(), 0);
    EXPECT_FALSE(menus().AdminUnlocked());

    window->mnuQuitter->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(prompts(), 0);
}

TEST_F(AdminMenusTest, LaterWindowsPlugIntoTheirEntries)
{
    setStoredPassword(u"Secret"_s);
    open();
    EXPECT_FALSE(window->mnuArchives->isEnabled());
    EXPECT_FALSE(window->mnuProjets->isEnabled());

    int archivesOpened = 0;
    int projectsOpened = 0;
    menus().plugIn(u"mnuArchives"_s, [&] { ++archivesOpened; });
    menus().plugIn(u"mnuProjets"_s, [&] { ++projectsOpened; });
    EXPECT_TRUE(window->mnuArchives->isEnabled());
    EXPECT_TRUE(window->mnuProjets->isEnabled());

    window->mnuProjets->trigger();
    EXPECT_EQ(projectsOpened, 1);
    EXPECT_EQ(prompts(), 0);

    dialogs->thenType(u"wrong"_s);
    window->mnuArchives->trigger();
    EXPECT_EQ(archivesOpened, 0);
    dialogs->thenType(u"Secret"_s);
    window->mnuArchives->trigger();
    EXPECT_EQ(archivesOpened, 1);
    EXPECT_TRUE(window->lblDeconnexion->isVisible());
}

} // namespace
