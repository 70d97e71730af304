#include "common/Database.h"
#include "common/DatabaseMessages.h"
#include "common/ProgramState.h"
#include "support/ProgramFixture.h"
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace tarnvik;

namespace {

class DatabaseTest : public test::ProgramFixture {
protected:
    bool prepareDatabase() const override { return false; }
    QString pathOf(const QString &name) const { return folder() + "/" + name; }
    QSqlDatabase db() const { return Database::connection(databasePath()); }
};

TEST_F(DatabaseTest, MissingFileIsCreatedOnceWithOneSettingsRow)
{
    ASSERT_EQ(Database::ensure(pathOf("tarnvik.mdb"), true).state, Database::State::Created);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Acces WHERE RapPass = '' AND Lang IS NULL").toInt(), 1);
    Database::closeAll();
    EXPECT_EQ(Database::ensure(pathOf("tarnvik.mdb"), true).state, Database::State::Ready);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Acces").toInt(), 1);
    EXPECT_EQ(Database::ensure(pathOf("none.mdb"), false).state, Database::State::Missing);
    EXPECT_FALSE(QFile::exists(pathOf("none.mdb")));
}

TEST_F(DatabaseTest, ForeignFilesAreRefusedAndLeftUntouched)
{
    const QByteArray content("This is a shopping list, not a database.\n" + QByteArray(4096, 'x'));
    QFile f(pathOf("notes.mdb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
    f.close();
    ProgramState::CurrentLang = 2; // the message's language
    const Database::Status status = Database::ensure(f.fileName(), true);
    EXPECT_EQ(status.state, Database::State::NotADatabase);
    EXPECT_TRUE(databaseProblemText(status).contains(f.fileName()));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), content);
    ASSERT_EQ(Database::ensure(pathOf("other.db"), true).state, Database::State::Created);
    Database::exec(Database::connection(pathOf("other.db")), "DROP TABLE Vendeurs");
    Database::closeAll();
    EXPECT_EQ(Database::ensure(pathOf("other.db"), true).state, Database::State::MissingTables);
}

TEST_F(DatabaseTest, LockedDatabaseFailsClearlyAndTransactionsAreAllOrNothing)
{
    ASSERT_TRUE(Database::ensure(pathOf("tarnvik.mdb"), true).usable());
    Database::closeAll();
    Database::setBusyTimeout(200);
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-process");
        other.setDatabaseName(databasePath());
        ASSERT_TRUE(other.open() && QSqlQuery(other).exec("BEGIN IMMEDIATE"));
        QString error;
        EXPECT_FALSE(Database::exec(db(), "INSERT INTO Punch (NoVendeur) VALUES ('locked')", {}, &error));
        EXPECT_TRUE(error.contains("busy", Qt::CaseInsensitive) && error.contains(databasePath())) << error.toStdString();
        other.close();
    }
    QSqlDatabase::removeDatabase("other-process");
    Database::setBusyTimeout(5000);
    {
        Transaction outer(db());
        execSql("INSERT INTO Punch (NoVendeur) VALUES ('kept')");
        {
            Transaction inner(db());
            execSql("INSERT INTO Punch (NoVendeur) VALUES ('dropped')");
        } // inner rolled back
        EXPECT_TRUE(outer.commit());
    }
    {
        Transaction abandoned(db());
        execSql("INSERT INTO Punch (NoVendeur) VALUES ('abandoned')");
    }
    EXPECT_EQ(scalar("SELECT group_concat(NoVendeur) FROM Punch").toString(), "kept");
}

} // namespace
