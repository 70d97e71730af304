#include "station/ui/AdminMenus.h"
#include "PunchWindowFixture.h"
#include "admin/frmInfo.h"
#include "admin/frmOptions.h"
#include "common/DataSource.h"
#include "platform/ui/MonthView.h"
#include "reports/ui/ReportPreview.h"
#include "station/Scramble.h"
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {

struct AdminMenusTest : test::PunchWindowFixture {
    // Clicks an entry; handle (run in the loop of the modal window it opens) closes it. Returns its class.
    QString trigger(QAction *entry, const std::function<void(QWidget *)> &handle = {})
    {
        return opens([entry] { entry->trigger(); }, handle);
    }
    QString opens(const std::function<void()> &click, const std::function<void(QWidget *)> &handle = {})
    {
        QString opened;
        QTimer::singleShot(0, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                opened = QLatin1String(modal->metaObject()->className());
                handle ? handle(modal) : void(modal->close());
            }
        });
        click();
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
    dialogs->thenType(u"premier"_s).thenType(u"Premier"_s);
    EXPECT_TRUE(trigger(window->mnuAcces).isEmpty()) << "a wrong password opens nothing";
    bool loggedOnWhileOpen = true;
    EXPECT_EQ(trigger(window->mnuAcces,
                      [&](QWidget *modal) {
                          loggedOnWhileOpen = window->lblDeconnexion->isVisible();
                          modal->close();
                      }),
              u"tarnvik::frmAcces"_s);
    EXPECT_TRUE(!loggedOnWhileOpen && window->lblDeconnexion->isVisible()) << "logged on once it closed";
}

// With the database moved away there is no password to ask for: the preferences open on the choice of the
// database alone, which connects the station to the file chosen; nothing else of the administration opens.
TEST_F(AdminMenusTest, WhileTheDatabaseCannotBeReadOnlyItsChoiceOpens)
{
    execSql(u"UPDATE Acces SET RapPass = ?, Periode = 1"_s, {Brouiller(u"Secret"_s, u"Secret"_s)});
    Database::closeAll();
    const QString moved = folder() + u"/elsewhere.mdb"_s;
    ASSERT_TRUE(QFile::rename(databasePath(), moved));
    dialogs->then(test::Answer::choose(1));
    open();
    dialogs->clear();
    for (QAction *entry :
         {window->mnuAcces, window->mnuEmployes, window->mnuArchives, window->mnuEmp, window->mnuFin})
        EXPECT_TRUE(trigger(entry).isEmpty()) << entry->objectName().toStdString();
    EXPECT_EQ(dialogs->messages().size(), 5);
    EXPECT_TRUE(dialogs->shown().size() == 5) << "no password asked";
    QString enabled; // of the path, its button, the period, the language, the calendar
    const QString opened = trigger(window->mnuPref, [&](QWidget *modal) {
        auto *options = qobject_cast<frmOptions *>(modal);
        for (const QWidget *part : std::initializer_list<const QWidget *>{
                 options->txtPath, options->cmdChoose, options->opt7, options->optEn, options->Calendrier})
            enabled += part->isEnabled() ? u'1' : u'0';
        options->txtPath->selectAll();
        QTest::keyClicks(options->txtPath, moved);
        QTest::mouseClick(options->cmdOk, Qt::LeftButton);
    });
    EXPECT_EQ(opened, u"tarnvik::frmOptions"_s);
    EXPECT_EQ(enabled, u"11000"_s);
    EXPECT_EQ(SettingsFile::readFirstField(SettingsFile::path()).value_or(QString()), moved);
    EXPECT_EQ(window->datPunch->databasePath(), moved);
    EXPECT_FALSE(window->lblDeconnexion->isVisible()) << "not logged on";
    QSqlQuery q(Database::connection(moved));
    EXPECT_TRUE(q.exec(u"SELECT Periode FROM Acces"_s) && q.next() && q.value(0).toInt() == 1)
        << "its own row";
    dialogs->then(test::Answer::cancel());
    EXPECT_TRUE(trigger(window->mnuPref).isEmpty()) << "readable again: the password is asked";
}

// Logged off with a password set: every administration entry asks first (Cancel opens nothing), the
// projects window and the about box never ask.
TEST_F(AdminMenusTest, EveryAdministrationEntryAsksAndOnlyProjectsAndAboutDoNot)
{
    execSql(u"UPDATE Acces SET RapPass = ?"_s, {Brouiller(u"Secret"_s, u"Secret"_s)});
    open();
    for (QAction *entry : {window->mnuFin, window->mnuPref, window->mnuAcces, window->mnuEmployes,
                           window->mnuArchives, window->mnuEmp}) {
        dialogs->clear();
        dialogs->then(test::Answer::cancel());
        EXPECT_TRUE(trigger(entry).isEmpty() && dialogs->shown().size() == 1 &&
                    dialogs->shown()[0].text == LOC_RTString(1246))
            << entry->objectName().toStdString();
    }
    const QWidgetList shown = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(), [](QWidget *w) { return w->isVisible(); }), 1);
    dialogs->clear();
    bool mainHiddenWhileOpen = false;
    trigger(window->mnuApropos, [&](QWidget *modal) {
        mainHiddenWhileOpen = !window->isVisible();
        QTest::mouseClick(qobject_cast<frmInfo *>(modal)->cmdOk, Qt::LeftButton);
    });
    EXPECT_TRUE(mainHiddenWhileOpen && window->isVisible()) << "the entry asks for it";
    EXPECT_EQ(trigger(window->mnuProjets), u"tarnvik::frmProjets"_s);
    // The report label shows the report by employee in a window of its own, not modal.
    EXPECT_TRUE(opens([this] { QTest::mouseClick(window->Label2, Qt::LeftButton); }).isEmpty());
    const QWidgetList after = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(after.begin(), after.end(),
                            [](QWidget *w) { return w->isVisible() && qobject_cast<ReportPreview *>(w); }),
              1);
    EXPECT_TRUE(dialogs->shown().isEmpty());
    dialogs->openUrlResult = false; // no program shows the guide: the user is told where it is
    trigger(window->mnuAide);
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1942).arg(folder() + u'/' + LOC_RTString(1102))});
}

} // namespace
