#include "PunchWindowFixture.h"
#include "admin/frmOptions.h"
#include "common/Windows1252.h"
#include "reports/frmRapport.h"
#include "station/AdminGate.h"
#include "station/Scramble.h"
#include "station/ui/AdminMenus.h"
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {

// The station as a user without the password finds it when its database changes: a log-on never outlives
// the database it was given for, and a database made in the preferences keeps the password of the one it
// replaces.
struct DatabaseChangeTest : test::PunchWindowFixture {
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
    // Preferences: types a database path and presses OK (the window may have opened without the password).
    QString choosePath(const QString &path)
    {
        return trigger(window->mnuPref, [&](QWidget *modal) {
            auto *options = qobject_cast<frmOptions *>(modal);
            options->txtPath->selectAll();
            QTest::keyClicks(options->txtPath, path);
            QTest::mouseClick(options->cmdOk, Qt::LeftButton);
            if (options->isVisible())
                options->close();
        });
    }
    static QVariant passwordIn(const QString &database)
    {
        QSqlQuery q(Database::connection(database));
        return q.exec(u"SELECT quote(RapPass) FROM Acces"_s) && q.next() ? q.value(0) : QVariant();
    }
    bool loggedOn() const { return window->AdminUnlocked() && window->lblDeconnexion->isVisible(); }
    QString other() const { return folder() + u"/new.mdb"_s; }
};

// The holes as a user at a shared station found them: start while the database cannot be read, make an empty
// one in the preferences, set a password there and log on; once the real file is back and chosen, the log-on
// is gone and the real database's password is asked for.
TEST_F(DatabaseChangeTest, ALogOnNeverSurvivesAChangeOfDatabase)
{
    execSql(u"UPDATE Acces SET RapPass = ?"_s, {Brouiller(u"Secret"_s, u"Secret"_s)});
    Database::closeAll();
    const QString away = folder() + u"/unmounted.mdb"_s;
    ASSERT_TRUE(QFile::rename(databasePath(), away));
    dialogs->then(test::Answer::choose(1));
    open();
    dialogs->clear();
    EXPECT_EQ(choosePath(other()), u"tarnvik::frmOptions"_s) << "opens on the choice of the database alone";
    EXPECT_EQ(dialogs->messages().value(0),
              LOC_RTString(1704).arg(other()) + u'\n' + LOC_RTString(2264).arg(databasePath()))
        << "made without a password, and said so";
    dialogs->thenType(u"x"_s);
    EXPECT_EQ(trigger(window->mnuEmployes), u"tarnvik::frmVendeurs"_s) << "a first password on the new one";
    ASSERT_TRUE(loggedOn());

    ASSERT_TRUE(QFile::rename(away, databasePath())); // the real file is back
    EXPECT_EQ(choosePath(databasePath()), u"tarnvik::frmOptions"_s) << "logged on: no prompt";
    EXPECT_FALSE(loggedOn()) << "another database: logged off";
    dialogs->clear();
    dialogs->thenType(u"x"_s).then(test::Answer::cancel());
    EXPECT_TRUE(trigger(window->mnuAcces).isEmpty()) << "the new database's password opens nothing here";
    EXPECT_TRUE(trigger(window->mnuPref).isEmpty());
    EXPECT_EQ(dialogs->shown().value(0).text, LOC_RTString(1246));
    EXPECT_EQ(passwordIn(databasePath()).toString(), u"'"_s + Brouiller(u"Secret"_s, u"Secret"_s) + u"'"_s)
        << "the supervisor's password is still there";

    // Logged on again, then another file is put at the same path: the next guarded click asks again.
    dialogs->clear();
    dialogs->thenType(u"Secret"_s);
    EXPECT_EQ(trigger(window->mnuEmployes), u"tarnvik::frmVendeurs"_s);
    ASSERT_TRUE(loggedOn());
    Database::closeAll();
    ASSERT_TRUE(QFile::remove(databasePath()) && QFile::copy(other(), databasePath()));
    dialogs->then(test::Answer::cancel());
    EXPECT_TRUE(trigger(window->mnuEmployes).isEmpty());
    EXPECT_FALSE(loggedOn());
}

// The one entry point for a change of database logs off and closes the report window opened for the old one;
// an entry whose action moves the station to another database does not log on when it returns.
TEST_F(DatabaseChangeTest, TheChangeOfDatabaseEntryPointLogsOffAndClosesTheReportWindow)
{
    open();
    dialogs->thenType(u"Premier"_s);
    EXPECT_TRUE(trigger(window->mnuEmp).isEmpty()); // the report window is not modal
    QPointer<QWidget> reportWindow;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<frmRapport *>(w) && w->isVisible())
            reportWindow = w;
    ASSERT_TRUE(reportWindow && loggedOn());
    window->databaseChanged();
    QApplication::processEvents();
    EXPECT_FALSE(loggedOn());
    EXPECT_TRUE(!reportWindow || !reportWindow->isVisible());

    // The password given, the preferences move the station to a new database: nobody is logged on after.
    dialogs->clear();
    dialogs->thenType(u"Premier"_s);
    EXPECT_EQ(choosePath(other()), u"tarnvik::frmOptions"_s);
    EXPECT_EQ(window->datPunch->databasePath(), other());
    EXPECT_FALSE(loggedOn());
    // The same database saved again (another period): the supervisor stays logged on.
    dialogs->clear();
    dialogs->thenType(u"Premier"_s);
    EXPECT_EQ(choosePath(other()), u"tarnvik::frmOptions"_s);
    EXPECT_TRUE(loggedOn());
    EXPECT_EQ(dialogs->shown().size(), 1);
}

// A database made from the preferences takes the administration password of the one it replaces, whole (also
// a scramble kept as its bytes), and the message that tells it was made says so.
TEST_F(DatabaseChangeTest, ADatabaseMadeInThePreferencesTakesThePasswordOfTheOneItReplaces)
{
    execSql(u"UPDATE Acces SET RapPass = ?"_s, {Windows1252::encode(Brouiller(u"¿A"_s, u"¿A"_s))});
    open();
    dialogs->thenType(u"¿A"_s);
    EXPECT_EQ(choosePath(other()), u"tarnvik::frmOptions"_s);
    EXPECT_EQ(dialogs->messages(),
              QStringList{LOC_RTString(1704).arg(other()) + u'\n' + LOC_RTString(2262).arg(databasePath())});
    EXPECT_EQ(passwordIn(other()).toString(), passwordIn(databasePath()).toString());
    EXPECT_EQ(passwordIn(other()).toString(), u"X'0000'"_s);
    EXPECT_FALSE(loggedOn());
    dialogs->clear();
    dialogs->thenType(u"¿A"_s);
    EXPECT_EQ(trigger(window->mnuAcces), u"tarnvik::frmAcces"_s) << "the same password opens the new one";
    const QString third = folder() + u"/third.mdb"_s;
    execSql(u"UPDATE Acces SET RapPass = ''"_s); // the old one had none: nothing to take, nothing more said
    Database::closeAll();
    QSqlQuery(Database::connection(other())).exec(u"UPDATE Acces SET RapPass = ''"_s);
    dialogs->clear();
    EXPECT_EQ(choosePath(third), u"tarnvik::frmOptions"_s) << "logged on to the new one: no prompt";
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1704).arg(third)});
    EXPECT_EQ(passwordIn(third).toString(), u"''"_s);
}

// Start-up on a file that is no station database (not SQLite, or without the settings table) shows the
// station's message naming the file first, and no box of the language file's load that Enter would end.
TEST_F(DatabaseChangeTest, StartUpOnAForeignDatabaseNamesTheFileFirst)
{
    const QString foreign = folder() + u"/foreign.mdb"_s, noSettings = folder() + u"/nosettings.mdb"_s;
    {
        QFile text(foreign);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write(QByteArray(4096, 'z')) == 4096);
        QSqlQuery q(Database::connection(databasePath()));
        ASSERT_TRUE(q.exec(u"VACUUM INTO '%1'"_s.arg(noSettings)));
    }
    Database::closeAll();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"drop"_s);
        db.setDatabaseName(noSettings);
        ASSERT_TRUE(db.open() && QSqlQuery(db).exec(u"DROP TABLE Acces"_s));
        db.close();
    }
    QSqlDatabase::removeDatabase(u"drop"_s);
    for (const QString &path : {foreign, noSettings}) {
        SCOPED_TRACE(path.toStdString());
        window.reset();
        LOCRTSModule::reset();
        ProgramState::CurrentLang = 0;
        ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), path));
        dialogs->clear();
        dialogs->then(test::Answer::choose(1));
        EXPECT_NO_THROW(open());
        ASSERT_FALSE(dialogs->messages().isEmpty());
        EXPECT_TRUE(dialogs->messages().first().contains(path)) << dialogs->messages().first().toStdString();
        for (const test::Shown &box : dialogs->shown())
            EXPECT_NE(MsgStyle::buttons(box.style), MsgStyle::AbortRetryIgnore) << box.text.toStdString();
    }
}

} // namespace
