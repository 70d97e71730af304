// A database file that is deleted, replaced, damaged or locked while the
// station uses it: writes stop, the reason names the file, nothing is made
// in its place.
#include "common/Database.h"
#include "support/ProgramFixture.h"
#include "support/ScratchDisk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThreadPool>

using namespace tarnvik;

namespace {

class StorageFaultsTest : public test::ProgramFixture {
protected:
    QString pathOf(const QString &name) const { return folder() + "/" + name; }
    bool insertPunch(const QSqlDatabase &db, const QString &number, QString *error)
    {
        return Database::exec(db, QStringLiteral("INSERT INTO Punch (NoVendeur, InOut) VALUES (?, 'In')"),
                              {number}, error);
    }
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
};

TEST_F(StorageFaultsTest, AFileDeletedWhileInUseTakesNoMoreWritesAndIsNotMadeAgain)
{
    const QString path = databasePath();
    QSqlDatabase db = Database::connection(path);
    QString error;
    ASSERT_TRUE(insertPunch(db, "1", &error)) << error.toStdString();
    ASSERT_TRUE(QFile::remove(path));

    // The open handle would still write into the deleted file: it is refused.
    EXPECT_FALSE(insertPunch(db, "2", &error));
    EXPECT_TRUE(error.contains(path) && error.contains("deleted")) << error.toStdString();
    EXPECT_FALSE(Database::connection(path, &error).isOpen());
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_EQ(Database::ensure(path, false).state, Database::State::Missing);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(StorageFaultsTest, AFileReplacedWhileInUseIsLeftAloneAndTheNewOneOpenedAnew)
{
    const QString path = databasePath();
    QSqlDatabase db = Database::connection(path);
    QString error;
    ASSERT_TRUE(insertPunch(db, "1", &error));

    // Garbage renamed over the file: the old handle writes nothing, and the
    // garbage is neither written nor taken for a database.
    const QByteArray garbage = QByteArray("not a database ") + QByteArray(8192, '#');
    writeFile(pathOf("garbage"), garbage);
    ASSERT_EQ(::rename(QFile::encodeName(pathOf("garbage")).constData(), QFile::encodeName(path).constData()),
              0);
    EXPECT_FALSE(insertPunch(db, "2", &error));
    EXPECT_TRUE(error.contains(path) && error.contains("replaced")) << error.toStdString();
    EXPECT_FALSE(Database::connection(path).isOpen());
    QFile check(path);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), garbage);
    check.close();

    // A sound database put back at the path is opened at the next start.
    ASSERT_TRUE(Database::ensure(pathOf("restored.mdb"), true).usable());
    db = QSqlDatabase();
    Database::closeAll();
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(pathOf("restored.mdb"), path));
    QSqlDatabase reopened = Database::connection(path, &error);
    ASSERT_TRUE(reopened.isOpen()) << error.toStdString();
    EXPECT_TRUE(insertPunch(reopened, "3", &error)) << error.toStdString();
    EXPECT_EQ(scalar("SELECT group_concat(NoVendeur) FROM Punch").toString(), "3");
}

TEST_F(StorageFaultsTest, ADamagedFileFoundInTheBackgroundTakesNoMoreWrites)
{
    const QString path = databasePath();
    {
        QSqlDatabase db = Database::connection(path);
        Transaction tx(db);
        for (int i = 0; i < 3000; ++i)
            ASSERT_TRUE(insertPunch(db, QString::number(i), nullptr));
        ASSERT_TRUE(tx.commit());
    }
    Database::closeAll();
    // Scribble over pages in the middle of the punches, sparing the schema.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    ASSERT_GT(size, 40 * 1024);
    for (qint64 at = 16 * 1024; at < size - 8 * 1024; at += 8 * 1024) {
        file.seek(at);
        file.write(QByteArray(512, char(0x5a)));
    }
    file.close();

    ASSERT_TRUE(Database::ensure(path, false).usable()) << "the schema still reads";
    QString told;
    Database::startIntegrityCheck(path, [&](const QString &message) { told = message; });
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_TRUE(told.contains(path) && told.contains("damaged")) << told.toStdString();
    QString error;
    const QSqlDatabase db = Database::connection(path, &error);
    EXPECT_FALSE(insertPunch(db, "late", &error));
    EXPECT_TRUE(error.contains(path) && error.contains("damaged")) << error.toStdString();

    // A sound file finds nothing to say.
    ASSERT_TRUE(Database::ensure(pathOf("sound.mdb"), true).usable());
    told.clear();
    Database::startIntegrityCheck(pathOf("sound.mdb"), [&](const QString &message) { told = message; });
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_TRUE(told.isEmpty());
}

TEST_F(StorageFaultsTest, CreationIsAtomicAndLeavesNothingBeside)
{
    // An empty file left by an interrupted start holds nothing: it gets its tables.
    writeFile(pathOf("empty.mdb"), QByteArray());
    EXPECT_EQ(Database::ensure(pathOf("empty.mdb"), true).state, Database::State::Created);
    EXPECT_EQ(Database::ensure(pathOf("new.mdb"), true).state, Database::State::Created);
    Database::closeAll();
    const QStringList leftovers = QDir(folder()).entryList({"*creating*"}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(leftovers.isEmpty()) << leftovers.join(", ").toStdString();
    EXPECT_EQ(Database::ensure(pathOf("new.mdb"), false).state, Database::State::Ready);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Acces").toInt(), 1);
    // Where the folder is missing nothing is made.
    EXPECT_EQ(Database::ensure(pathOf("no/such/folder.mdb"), true).state, Database::State::CannotOpen);
}

TEST_F(StorageFaultsTest, ALockHeldByAnotherProgramIsToldAsBusy)
{
    const QString path = databasePath();
    Database::closeAll();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-program");
        other.setDatabaseName(path);
        ASSERT_TRUE(other.open() && QSqlQuery(other).exec("BEGIN IMMEDIATE"));
        // Start-up reads a complete file without asking for the write lock.
        EXPECT_EQ(Database::ensure(path, false).state, Database::State::Ready);
        const Database::Status status = Database::probeWritable(path, 50);
        EXPECT_EQ(status.state, Database::State::Busy);
        EXPECT_TRUE(Database::problemText(Database::Problem::Busy, path).contains(path));
        QSqlQuery(other).exec("ROLLBACK");
        other.close();
    }
    QSqlDatabase::removeDatabase("other-program");
    EXPECT_EQ(Database::probeWritable(path, 50).state, Database::State::Ready);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Punch").toInt(), 0) << "the probe writes nothing";
}

// A database on a disk mounted read-only: it is read, said read-only at the
// probe, and every write is refused as such. Needs a file system of its own,
// which only a user allowed to mount one gets.
TEST_F(StorageFaultsTest, AReadOnlyDiskIsReadAndToldReadOnly)
{
    const QString disk = pathOf("read-only-disk");
    test::ScratchDisk scratch(disk, "4m");
    if (!scratch.mounted())
        GTEST_SKIP() << "cannot mount a file system here";
    const QString path = disk + "/tarnvik.mdb";
    ASSERT_TRUE(Database::ensure(path, true).usable());
    ASSERT_TRUE(insertPunch(Database::connection(path), "before", nullptr));
    Database::closeAll();
    ASSERT_TRUE(scratch.makeReadOnly());

    EXPECT_EQ(Database::ensure(path, false).state, Database::State::Ready);
    QSqlQuery q(Database::connection(path));
    ASSERT_TRUE(q.exec("SELECT NoVendeur FROM Punch") && q.next());
    EXPECT_EQ(q.value(0).toString(), "before");
    q.finish();
    EXPECT_EQ(Database::probeWritable(path, 50).state, Database::State::ReadOnly);
    QString error;
    EXPECT_FALSE(insertPunch(Database::connection(path), "after", &error));
    EXPECT_TRUE(error.contains(path) && error.contains("read")) << error.toStdString();
    q = QSqlQuery();
    Database::closeAll();
}

} // namespace
