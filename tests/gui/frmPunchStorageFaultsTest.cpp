// The station over a database that is missing, read-only, busy, moved away while it idles, or named by a
// settings file that says nothing: the user is told plainly, naming the file, no empty database takes the
// place of his, and what he typed stays. (What becomes of a file deleted, replaced or damaged while in use is
// the storage layer's, tested with it.)
#include "PunchWindowFixture.h"

#include "common/Database.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "station/Scramble.h"

#include <QThreadPool>
#include <QTest>
#include <QFileInfo>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <functional>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchStorageTest = PunchWindowFixture;

// Moved, share not mounted: told at start-up, never created, punches refused until it is back.
TEST_F(frmPunchStorageTest, AMissingDatabaseIsToldAndNeverMadeAnew)
{
    const QString moved = folder() + u"/share/tarnvik.mdb"_s;
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), moved));
    dialogs->then(Answer::choose(1)); // no database: the language chooser asks
    frmPunch &w = open();
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].contains(moved) &&
                dialogs->messages()[0].contains(LOC_RTString(1710)));
    dialogs->clear();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages().value(0).contains(moved));
    EXPECT_EQ(w.txtNumVendeur->text(), u"1001"_s) << "the number stays for another try";
    EXPECT_FALSE(QFile::exists(moved));
}

// A file that is no station database named in the settings: one message, naming it, at start-up; the
// check of the whole file that follows does not tell it again, and the file is left as it was.
TEST_F(frmPunchStorageTest, AForeignFileIsToldOnceAtStartUp)
{
    const QString notes = folder() + u"/notes.mdb"_s;
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'x')) == 8192);
    file.close();
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), notes));
    dialogs->then(Answer::choose(1));
    open();
    QTest::qWait(frmPunch::IntegrityCheckDelayMs + 200);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs->messages().size(), 1) << dialogs->messages().join(u'\n').toStdString();
    EXPECT_TRUE(dialogs->messages()[0].contains(notes));
    EXPECT_EQ(QFileInfo(notes).size(), 8192);
}

// Moved away while the station idles: said within seconds, without a punch, and once only (not again at
// Quit). (What the moved file keeps is the storage layer's, tested with it.)
TEST_F(frmPunchStorageTest, AFileMovedWhileIdleIsToldWithoutAPunch)
{
    frmPunch &w = open();
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    const QString moved = folder() + u"/moved.mdb"_s;
    ASSERT_TRUE(QFile::rename(databasePath(), moved));
    dialogs->clear();
    w.Timer3_Timer(); // the look every few seconds
    ASSERT_EQ(dialogs->messages().size(), 1);
    // The sentence of a file gone, naming it, with nothing kept aside (the log was empty).
    EXPECT_EQ(dialogs->messages()[0], LOC_RTString(2600).arg(databasePath(), QString()));
    w.close();
    EXPECT_EQ(dialogs->messages().size(), 1);
}

// Another database put at the path while the supervisor is logged on: told once, naming the file, and
// the supervisor is logged off, since the password was the other file's; the next punch goes into the
// file now at the path.
TEST_F(frmPunchStorageTest, AnotherFilePutAtThePathIsToldAndLogsTheSupervisorOff)
{
    execSql(u"UPDATE Acces SET RapPass = ?"_s, {Brouiller(u"Secret"_s, u"Secret"_s)});
    const QString other = folder() + u"/other.mdb"_s;
    ASSERT_TRUE(Database::ensure(other, true).usable());
    Database::closeAll();
    frmPunch &w = open();
    dialogs->then(Answer::file(u"Secret"_s)).then(Answer::no()); // the password, then not the end of day
    w.mnuFin->trigger();
    ASSERT_TRUE(w.AdminUnlocked());
    ASSERT_TRUE(QFile::remove(databasePath()));
    ASSERT_TRUE(QFile::copy(other, databasePath()));
    dialogs->clear();
    w.Timer3_Timer();
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0], LOC_RTString(2602).arg(databasePath(), QString()));
    EXPECT_FALSE(w.AdminUnlocked());
    EXPECT_FALSE(w.lblDeconnexion->isVisible());
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    EXPECT_EQ(punchCount(), 0) << "employee 1001 is not in the other file";
    w.Timer3_Timer();
    EXPECT_EQ(dialogs->messages().size(), 2) << "told once; the punch's own message follows";
}

// A database file that the user may not write, in a folder he may: said at start-up, as a read-only
// folder is, not at the first punch. (Run by root, the file system is reached as another user.)
TEST_F(frmPunchStorageTest, AReadOnlyFileIsToldAtStartUp)
{
    Database::closeAll();
    ASSERT_EQ(::chmod(QFile::encodeName(databasePath()).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0777), 0);
    const bool asOther = ::geteuid() == 0;
    if (asOther)
        ::setfsuid(65534);
    open();
    if (asOther)
        ::setfsuid(0);
    const QString readOnly = LOC_RTString(1732).section(u"%1"_s, 0, 0);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].contains(databasePath()) && dialogs->messages()[0].contains(readOnly))
        << dialogs->messages()[0].toStdString();
}

TEST_F(frmPunchStorageTest, ASettingsFileNamingNothingIsTold)
{
    for (const QByteArray &content : {QByteArray(), QByteArray("\"\"\r\n")}) {
        QFile ini(SettingsFile::path());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly) && ini.write(content) == content.size());
        ini.close();
        dialogs->clear();
        dialogs->then(Answer::choose(1));
        open();
        EXPECT_TRUE(dialogs->messages().value(dialogs->messages().size() - 1).contains(SettingsFile::path()))
            << content.toStdString();
        EXPECT_EQ(ProgramState::DbPath, QString());
        window.reset();
        Database::closeAll();
    }
}

// Another program holds the write lock: start-up says so at once, and a punch
// waits a bounded time, says so and keeps the input.
TEST_F(frmPunchStorageTest, ABusyDatabaseIsToldAtStartUpAndAtThePunch)
{
    Database::closeAll();
    Database::setBusyTimeout(200);
    QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other-program"_s);
    other.setDatabaseName(databasePath());
    ASSERT_TRUE(other.open() && QSqlQuery(other).exec(u"BEGIN IMMEDIATE"_s));
    frmPunch &w = open();
    const QString busy = LOC_RTString(1730).arg(databasePath());
    EXPECT_TRUE(dialogs->messages().contains(busy));
    dialogs->clear();
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s, u"note"_s);
    EXPECT_TRUE(dialogs->messages().value(dialogs->messages().size() - 1).contains(busy));
    EXPECT_EQ(w.txtNumVendeur->text() + u'|' + w.txtDescription->text(), u"1001|note"_s);
    QSqlQuery(other).exec(u"ROLLBACK"_s);
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"other-program"_s);
    Database::setBusyTimeout(3000);
    EXPECT_EQ(punchCount(), 0);
}

// Only the very first start (no settings file) makes the settings file and a database.
class frmPunchFirstStartTest : public PunchWindowFixture {
protected:
    bool prepareDatabase() const override { return false; }
};

// A first start interrupted before the database is in place (here: its creation fails) leaves no settings
// file, so the next start is a first start again; that one finishes it and clears what interrupted starts
// left behind. The settings file gets the rights of a file the user saves.
TEST_F(frmPunchFirstStartTest, CreatesTheSettingsFileOnceTheDatabaseIsInPlace)
{
    const QString db = SettingsFile::defaultDatabasePath();
    QDir here(folder());
    const QString obstacle = u".tarnvik.mdb.creating-%1"_s.arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(here.mkdir(obstacle));
    dialogs->then(Answer::choose(1));
    open();
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_FALSE(QFile::exists(SettingsFile::path())) << "nothing says a database exists";
    window.reset();
    Database::closeAll(), LOCRTSModule::reset();
    ASSERT_TRUE(here.rmdir(obstacle));
    QFile pidMax(u"/proc/sys/kernel/pid_max"_s); // no process has this number
    ASSERT_TRUE(pidMax.open(QIODevice::ReadOnly));
    const QString ended = QString::fromLatin1(pidMax.readAll()).trimmed();
    const QStringList stray = {u".tarnvik.mdb.creating-"_s + ended,
                               u".tarnvik.mdb.creating-"_s + ended + u"-journal"_s,
                               u".tarnvik.ini."_s + ended + u".aB3xYz"_s};
    for (const QString &name : stray)
        QFile(here.filePath(name)).open(QIODevice::WriteOnly);
    dialogs->clear();
    dialogs->then(Answer::choose(1));
    open();
    EXPECT_EQ(SettingsFile::readFirstField(SettingsFile::path()).value_or(QString()), db);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_EQ(here.entryList(QDir::Files | QDir::Hidden).filter(u".tarnvik."_s), QStringList());
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(SettingsFile::path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    execSql(u"INSERT INTO Vendeurs (NoVendeur, NomVendeur) VALUES ('7', 'Zoé')"_s);
    dialogs->thenYes();
    punchByKeyboard(u"7"_s, QString());
    EXPECT_EQ(punchCount(), 1) << "the new database takes punches at once";
}

// A settings file that is a pipe, or a link to a device or to nothing: not a first start. It is said
// unreadable, naming it, and left as it is; no database is made.
TEST_F(frmPunchFirstStartTest, ASettingsFileThatIsNoFileIsToldAndLeft)
{
    const QString ini = SettingsFile::path();
    const struct {
        const char *name;
        std::function<bool()> make;
        mode_t type;
    } cases[] = {
        {"pipe", [&] { return ::mkfifo(QFile::encodeName(ini).constData(), 0600) == 0; }, S_IFIFO},
        {"link to /dev/zero", [&] { return QFile::link(u"/dev/zero"_s, ini); }, S_IFLNK},
        {"link to nothing", [&] { return QFile::link(folder() + u"/nowhere.ini"_s, ini); }, S_IFLNK}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.make());
        dialogs->clear();
        dialogs->then(Answer::choose(1));
        open();
        ASSERT_FALSE(dialogs->messages().isEmpty());
        EXPECT_TRUE(dialogs->messages().last().contains(ini)) << dialogs->messages().last().toStdString();
        struct stat st;
        ASSERT_EQ(::lstat(QFile::encodeName(ini).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.type);
        EXPECT_FALSE(QFile::exists(SettingsFile::defaultDatabasePath()));
        window.reset();
        Database::closeAll(), LOCRTSModule::reset();
        ASSERT_EQ(::unlink(QFile::encodeName(ini).constData()), 0);
    }
}

// A folder that is not a program folder (no language file) is told before anything is made in it.
TEST_F(frmPunchFirstStartTest, AFolderWithoutTheLanguageFileStaysUntouched)
{
    ASSERT_TRUE(QFile::remove(folder() + u"/LANGUAGE.DAT"_s));
    EXPECT_THROW(open(), ProgramTerminated);
    EXPECT_TRUE(dialogs->messages().value(0).endsWith(u"LANGUAGE.DAT not found."_s));
    EXPECT_FALSE(QFile::exists(SettingsFile::path()) || QFile::exists(SettingsFile::defaultDatabasePath()));
}

} // namespace
