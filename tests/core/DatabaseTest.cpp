#include "common/Database.h"
#include "common/DatabaseMessages.h"
#include "common/ProgramState.h"
#include "support/ProgramFixture.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace tarnvik;
using tarnvik::test::ProgramFixture;

namespace {

class DatabaseTest : public ProgramFixture {
protected:
    bool prepareDatabase() const override { return false; }
    QString pathOf(const QString &name) const { return folder() + "/" + name; }
};

TEST_F(DatabaseTest, MissingFileIsCreatedWithTheFourTablesAndOneSettingsRow)
{
    const Database::Status status = Database::ensure(pathOf("tarnvik.mdb"), true);
    ASSERT_EQ(status.state, Database::State::Created) << status.detail.toStdString();
    const auto settings = rows("SELECT RapPass, Periode, DateDebut, Lang FROM Acces");
    ASSERT_EQ(settings.size(), 1);
    EXPECT_EQ(settings[0]["RapPass"].toString(), "");
    EXPECT_FALSE(settings[0]["RapPass"].isNull());
    EXPECT_TRUE(settings[0]["Periode"].isNull());
    EXPECT_TRUE(settings[0]["DateDebut"].isNull());
    EXPECT_TRUE(settings[0]["Lang"].isNull());
    for (const char *table : {"Punch", "Vendeurs", "Projets"})
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt(), 0);
    EXPECT_EQ(scalar("PRAGMA journal_mode").toString(), "wal");
    EXPECT_EQ(scalar("PRAGMA synchronous").toInt(), 2); // FULL: committed writes survive a power cut

    // Opening it again finds it ready and adds no second settings row.
    Database::closeAll();
    EXPECT_EQ(Database::ensure(pathOf("tarnvik.mdb"), true).state, Database::State::Ready);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Acces").toInt(), 1);
}

TEST_F(DatabaseTest, ArchivedIsNeverNullAndDefaultsToCurrent)
{
    ASSERT_TRUE(Database::ensure(pathOf("tarnvik.mdb"), true).usable());
    execSql("INSERT INTO Punch (NoVendeur) VALUES ('1')");
    EXPECT_EQ(scalar("SELECT Archived FROM Punch").toInt(), 0);
    QString error;
    EXPECT_FALSE(Database::exec(Database::connection(databasePath()), "UPDATE Punch SET Archived = NULL", {}, &error));
}

TEST_F(DatabaseTest, FileThatIsNotADatabaseIsNamedInTheMessageAndLeftUntouched)
{
    const QString path = pathOf("notes.mdb");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray content("This is a shopping list, not a database.\n" + QByteArray(4096, 'x'));
    f.write(content);
    f.close();
    ProgramState::CurrentLang = 2;
    const Database::Status status = Database::ensure(path, true);
    EXPECT_EQ(status.state, Database::State::NotADatabase);
    EXPECT_FALSE(status.usable());
    const QString message = databaseProblemText(status);
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_TRUE(message.contains("not a database")) << message.toStdString();
    QFile back(path);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), content);
}

TEST_F(DatabaseTest, SqliteFileWithoutTheStationsTablesIsRefused)
{
    const QString path = pathOf("other.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec("CREATE TABLE Punch (NoVendeur TEXT)");
        db.close();
    }
    QSqlDatabase::removeDatabase("other");
    const Database::Status status = Database::ensure(path, true);
    EXPECT_EQ(status.state, Database::State::MissingTables);
    EXPECT_TRUE(status.detail.contains("Vendeurs"));
    EXPECT_TRUE(status.detail.contains("Punch.InOut"));
}

TEST_F(DatabaseTest, MissingFileIsNotCreatedWhenNotAsked)
{
    EXPECT_EQ(Database::ensure(pathOf("none.mdb"), false).state, Database::State::Missing);
    EXPECT_FALSE(QFile::exists(pathOf("none.mdb")));
    EXPECT_EQ(Database::ensure(pathOf("no-folder/x.mdb"), true).state, Database::State::CannotOpen);
}

TEST_F(DatabaseTest, WriteWaitsForAnotherProcessThenFailsClearly)
{
    ASSERT_TRUE(Database::ensure(pathOf("tarnvik.mdb"), true).usable());
    Database::closeAll();
    Database::setBusyTimeout(200);
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-process");
        other.setDatabaseName(databasePath());
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec("BEGIN IMMEDIATE"));
        QString error;
        EXPECT_FALSE(Database::exec(Database::connection(databasePath()), "INSERT INTO Punch (NoVendeur) VALUES ('1')",
                                    {}, &error));
        EXPECT_TRUE(error.contains("locked", Qt::CaseInsensitive)) << error.toStdString();
        lock.exec("ROLLBACK");
        // Once the other process lets go, the write goes through.
        EXPECT_TRUE(Database::exec(Database::connection(databasePath()), "INSERT INTO Punch (NoVendeur) VALUES ('1')"));
        other.close();
    }
    QSqlDatabase::removeDatabase("other-process");
    Database::setBusyTimeout(5000);
}

TEST_F(DatabaseTest, TransactionKeepsAllOrNothingAndNests)
{
    ASSERT_TRUE(Database::ensure(pathOf("tarnvik.mdb"), true).usable());
    QSqlDatabase db = Database::connection(databasePath());
    {
        Transaction outer(db);
        execSql("INSERT INTO Punch (NoVendeur) VALUES ('kept')");
        {
            Transaction inner(db);
            execSql("INSERT INTO Punch (NoVendeur) VALUES ('dropped')");
        } // inner rolled back
        EXPECT_TRUE(outer.commit());
    }
    {
        Transaction abandoned(db);
        execSql("INSERT INTO Punch (NoVendeur) VALUES ('abandoned')");
    }
    EXPECT_EQ(scalar("SELECT group_concat(NoVendeur) FROM Punch").toString(), "kept");
}

} // namespace
