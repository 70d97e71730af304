// The station over a database that is missing, or named by a settings file that says nothing: the user is
// told plainly, naming the file, no empty database takes the place of his, and what he typed stays. (A file
// deleted, replaced or damaged while in use is the storage layer's, tested with it.)
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

TEST_F(frmPunchFirstStartTest, CreatesTheSettingsFileAndTheDatabase)
{
    dialogs->then(Answer::choose(1));
    const QString db = SettingsFile::defaultDatabasePath();
    open();
    EXPECT_EQ(SettingsFile::readFirstField(SettingsFile::path()).value_or(QString()), db);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    execSql(u"INSERT INTO Vendeurs (NoVendeur, NomVendeur) VALUES ('7', 'Zoé')"_s);
    dialogs->thenYes();
    punchByKeyboard(u"7"_s, QString());
    EXPECT_EQ(punchCount(), 1) << "the new database takes punches at once";
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
