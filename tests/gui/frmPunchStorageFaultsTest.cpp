// The station over a database that is missing, gone, busy, or named by a
// settings file that says nothing: the user is told plainly, naming the
// file, no empty database takes the place of his, and what he typed stays.
#include "PunchWindowFixture.h"

#include "common/Database.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchStorageTest = PunchWindowFixture;

// The settings file names a database that is not there (moved, share not
// mounted): told at start-up, never created, punches refused until it is back.
TEST_F(frmPunchStorageTest, AMissingDatabaseIsToldAndNeverMadeAnew)
{
    const QString moved = folder() + u"/share/tarnvik.mdb"_s;
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), moved));
    // No database: the language chooser asks; its choice holds for this run.
    dialogs->then(Answer::choose(1));
    frmPunch &w = open();
    ASSERT_EQ(dialogs->messages().size(), 1) << dialogs->messages().join(u'\n').toStdString();
    const QString told = dialogs->messages().last();
    EXPECT_TRUE(told.contains(moved) && told.contains(LOC_RTString(1710))) << told.toStdString();
    EXPECT_FALSE(QFile::exists(moved));

    dialogs->clear();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages().first().contains(moved));
    EXPECT_EQ(w.txtNumVendeur->text(), u"1001"_s) << "the number stays for another try";
    EXPECT_FALSE(QFile::exists(moved));
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
        const QStringList told = dialogs->messages();
        ASSERT_FALSE(told.isEmpty());
        EXPECT_TRUE(told.last().contains(SettingsFile::path())) << told.last().toStdString();
        EXPECT_EQ(ProgramState::DbPath, QString());
        window.reset();
        Database::closeAll();
    }
}

// The database file deleted while the station runs: the next punch is not
// taken into the deleted file, and the user hears why.
TEST_F(frmPunchStorageTest, ADatabaseDeletedWhileRunningTakesNoPunch)
{
    frmPunch &w = open();
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    ASSERT_EQ(punchCount(), 1);
    ASSERT_TRUE(QFile::remove(databasePath()));

    dialogs->clear();
    w.txtNumVendeur->setFocus();
    type(u"1002"_s);
    punchByKeyboard(QString(), u"Peinture"_s);
    ASSERT_FALSE(dialogs->messages().isEmpty());
    const QString told = dialogs->messages().last();
    EXPECT_TRUE(told.contains(databasePath())) << told.toStdString();
    EXPECT_NE(told, LOC_RTString(1152)) << "not 'employee not found'";
    EXPECT_EQ(w.txtNumVendeur->text(), u"1002"_s);
    EXPECT_FALSE(QFile::exists(databasePath()));
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
    EXPECT_TRUE(w.isVisible());
    const QString busy = LOC_RTString(1730).arg(databasePath());
    EXPECT_TRUE(dialogs->messages().contains(busy)) << dialogs->messages().join(u'\n').toStdString();

    dialogs->clear();
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s, u"note"_s);
    ASSERT_FALSE(dialogs->messages().isEmpty());
    EXPECT_TRUE(dialogs->messages().last().contains(busy)) << dialogs->messages().last().toStdString();
    EXPECT_EQ(w.txtNumVendeur->text() + u'|' + w.txtDescription->text(), u"1001|note"_s);

    QSqlQuery(other).exec(u"ROLLBACK"_s);
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"other-program"_s);
    Database::setBusyTimeout(3000);
    EXPECT_EQ(punchCount(), 0);
}

} // namespace
