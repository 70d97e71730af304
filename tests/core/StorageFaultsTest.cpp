// A database file that is deleted, replaced or damaged while the station uses
// it, not a database, or on a read-only disk: writes stop, the reason names the
// file, nothing is made in its place.
#include "common/DataSource.h"
#include "common/Database.h"
#include "common/DatabaseMessages.h"
#include "common/ProgramState.h"
#include "support/ProgramFixture.h"
#include "support/ScratchDisk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThreadPool>

#include <fcntl.h>
#include <sys/stat.h>

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
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
    }
    // What the background integrity check of a file tells.
    static QString integrityCheck(const QString &path)
    {
        QString told;
        Database::startIntegrityCheck(path, [&](const QString &message) { told = message; });
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        return told;
    }
};

// A file moved, deleted (with or without another database put in its place: a sound one, or an older
// backup of the same one), or scribbled on in place (its time put back) while the station runs: the
// change is told once, naming the file, by the idle look or by the write that finds it; every punch
// stored stays in the file it was stored in; a file put at the path is used from then on, a scribbled
// one refused and left as the other program left it; at Quit nothing the station used stays beside it.
TEST_F(StorageFaultsTest, AFileMovedReplacedOrScribbledIsToldOnceAndKeepsItsPunches)
{
    enum Fault { Moved, Deleted, ReplacedBySound, ReplacedByBackup, Scribbled };
    const struct {
        Fault fault;
        const char *name;
        bool toldByWrite; // a write notices it (else the idle look)
        Database::Problem told;
    } cases[] = {{Moved, "moved", false, Database::Problem::Gone},
                 {Deleted, "deleted", true, Database::Problem::Gone},
                 {ReplacedBySound, "replaced", false, Database::Problem::Replaced},
                 {ReplacedByBackup, "backup", true, Database::Problem::Replaced},
                 {Scribbled, "scribbled", true, Database::Problem::Damaged}};
    const QString sound = pathOf("sound.mdb");
    ASSERT_TRUE(Database::ensure(sound, true).usable());
    ASSERT_TRUE(
        Database::exec(Database::connection(sound),
                       "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 9999) "
                       "INSERT INTO Punch (NoVendeur) SELECT 'old' FROM n"));
    Database::closeAll();
    QByteArray random(40 * 1024, 0);
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) % 251);
    const auto count = [](const QString &file) {
        QSqlQuery q(Database::connection(file));
        return q.exec("SELECT COUNT(*) FROM Punch WHERE NoVendeur <> 'old'") && q.next() ? q.value(0).toInt()
                                                                                         : -1;
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = pathOf(QString("%1.mdb").arg(int(c.fault))), elsewhere = path + ".moved";
        ASSERT_TRUE(Database::ensure(path, true).usable());
        QSqlDatabase db = Database::connection(path);
        QString error;
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(insertPunch(db, QString::number(i), &error)) << error.toStdString();
        ASSERT_TRUE(QFile::copy(path, path + ".backup")) << "the file alone holds every punch";
        for (int i = 3; i < 6; ++i)
            ASSERT_TRUE(insertPunch(db, QString::number(i), &error)) << error.toStdString();
        QByteArray left; // what the other program leaves at the path
        switch (c.fault) {
        case Moved:
            ASSERT_TRUE(QFile::rename(path, elsewhere));
            break;
        case Deleted:
            ASSERT_TRUE(QFile::remove(path));
            break;
        case ReplacedBySound:
        case ReplacedByBackup:
            ASSERT_TRUE(QFile::remove(path));
            ASSERT_TRUE(QFile::copy(c.fault == ReplacedBySound ? sound : path + ".backup", path));
            left = readFile(path);
            break;
        case Scribbled: { // the same file, its time put back: its change time and first bytes tell
            struct stat before;
            ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
            QFile over(path);
            ASSERT_TRUE(over.open(QIODevice::ReadWrite));
            over.write(random);
            over.close();
            const struct timespec times[2] = {before.st_atim, before.st_mtim};
            ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
            left = readFile(path);
            break;
        }
        }
        const QString sentence = Database::problemText(c.told, path);
        if (c.toldByWrite) {
            EXPECT_FALSE(insertPunch(db, "late", &error));
            EXPECT_TRUE(error.startsWith(sentence.left(30)) && error.contains(path)) << error.toStdString();
        } else {
            const QStringList told = Database::checkOpenFiles();
            EXPECT_TRUE(told.size() == 1 && told[0] == sentence) << told.join('\n').toStdString();
        }
        EXPECT_TRUE(Database::checkOpenFiles().isEmpty()) << "told once";
        if (c.fault == Moved || c.fault == Deleted) {
            EXPECT_FALSE(insertPunch(db, "late", &error));
            EXPECT_EQ(error, Database::problemText(Database::Problem::Missing, path));
        }
        if (c.fault == ReplacedBySound || c.fault == ReplacedByBackup) {
            EXPECT_EQ(readFile(path), left) << "left as the other program put it until the next write";
        }
        db = QSqlDatabase();
        Database::closeAll(); // Quit
        for (const char *beside : {"-wal", "-shm"})
            EXPECT_FALSE(QFile::exists(path + beside)) << beside;
        if (c.fault == Moved || c.fault == Deleted) {
            EXPECT_EQ(Database::ensure(path, false).state, Database::State::Missing);
        }
        if (c.fault == Moved) {
            EXPECT_EQ(count(elsewhere), 6);
        }
        if (c.fault == ReplacedByBackup) {
            EXPECT_EQ(count(path), 3) << "the later punches stay out of the backup put back";
        }
        if (c.fault == ReplacedBySound) {
            EXPECT_EQ(count(path), 0);
        }
        if (c.fault == Scribbled) {
            EXPECT_EQ(readFile(path), left) << "left as the other program put it";
        }
        Database::closeAll();
    }
}

TEST_F(StorageFaultsTest, ADamagedFileFoundInTheBackgroundTakesNoMoreWrites)
{
    const QString path = databasePath();
    ASSERT_TRUE(execSql("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2999) "
                        "INSERT INTO Vendeurs (NoVendeur, NomVendeur) SELECT i, printf('%0100d', i) FROM n"));
    Database::closeAll();
    // Scribble over pages in the middle of the employees, sparing the schema and the punches' pages,
    // which a punch reads and writes: the damage is only found by reading the whole file.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    ASSERT_GT(size, 200 * 1024);
    for (qint64 at = 96 * 1024; at < size - 8 * 1024; at += 8 * 1024) {
        file.seek(at);
        file.write(QByteArray(512, char(0x5a)));
    }
    file.close();

    // Found by the background check, or by the check that the station expects before the first write
    // (a punch made before the background check has run).
    for (const bool beforeFirstWrite : {false, true}) {
        SCOPED_TRACE(beforeFirstWrite);
        Database::closeAll();
        ASSERT_TRUE(Database::ensure(path, false).usable()) << "the schema still reads";
        if (beforeFirstWrite) {
            Database::expectIntegrityCheck(path);
        } else {
            const QString told = integrityCheck(path);
            EXPECT_TRUE(told.contains(path) && told.contains("damaged")) << told.toStdString();
        }
        QString error;
        const QSqlDatabase db = Database::connection(path, &error);
        EXPECT_FALSE(insertPunch(db, "late", &error));
        EXPECT_TRUE(error.contains(path) && error.contains("damaged")) << error.toStdString();
    }
    // A sound file finds nothing to say.
    ASSERT_TRUE(Database::ensure(pathOf("sound.mdb"), true).usable());
    EXPECT_EQ(integrityCheck(pathOf("sound.mdb")), QString());
}

// Creation is atomic and leaves nothing beside; a file that is not a database is refused and left
// untouched; where the folder is missing nothing is made.
TEST_F(StorageFaultsTest, CreationIsAtomicAndForeignFilesAreLeftUntouched)
{
    const QByteArray list("This is a shopping list, not a database.\n" + QByteArray(4096, 'x'));
    writeFile(pathOf("notes.mdb"), list);
    writeFile(pathOf("empty.mdb"), QByteArray()); // left by an interrupted start: it gets its tables
    const std::pair<const char *, Database::State> cases[] = {
        {"empty.mdb", Database::State::Created},
        {"new.mdb", Database::State::Created},
        {"notes.mdb", Database::State::NotADatabase},
        {"no/such/folder.mdb", Database::State::CannotOpen}};
    ProgramState::CurrentLang = 2; // the message's language
    for (const auto &[name, state] : cases) {
        const Database::Status status = Database::ensure(pathOf(name), true);
        EXPECT_EQ(status.state, state) << name;
        EXPECT_TRUE(state == Database::State::Created || databaseProblemText(status).contains(pathOf(name)));
    }
    EXPECT_EQ(readFile(pathOf("notes.mdb")), list);
    Database::closeAll();
    const QStringList leftovers = QDir(folder()).entryList({"*creating*"}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(leftovers.isEmpty()) << leftovers.join(", ").toStdString();
    EXPECT_EQ(Database::ensure(pathOf("new.mdb"), true).state, Database::State::Ready);
    Database::exec(Database::connection(pathOf("new.mdb")), "DROP TABLE Vendeurs");
    Database::closeAll();
    EXPECT_EQ(Database::ensure(pathOf("new.mdb"), true).state, Database::State::MissingTables);

    // A file named in the settings is never written when refused: an empty one, another program's
    // SQLite database (not switched to the write-ahead log, nothing beside it), a station file without
    // one of its tables.
    writeFile(pathOf("named-empty.mdb"), QByteArray());
    {
        QSqlDatabase foreign = QSqlDatabase::addDatabase("QSQLITE", "foreign");
        foreign.setDatabaseName(pathOf("foreign.db"));
        ASSERT_TRUE(foreign.open() && QSqlQuery(foreign).exec("CREATE TABLE Recipes (Name TEXT)"));
        foreign.close();
    }
    QSqlDatabase::removeDatabase("foreign");
    Database::closeAll();
    for (const char *name : {"named-empty.mdb", "foreign.db", "new.mdb"}) {
        SCOPED_TRACE(name);
        const QByteArray before = readFile(pathOf(name));
        EXPECT_FALSE(Database::ensure(pathOf(name), false).usable());
        QString error;
        EXPECT_FALSE(Database::connection(pathOf(name), &error).isOpen());
        Database::closeAll();
        EXPECT_EQ(readFile(pathOf(name)), before);
        EXPECT_FALSE(QFile::exists(pathOf(name) + "-wal") || QFile::exists(pathOf(name) + "-shm"));
    }
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
    ASSERT_TRUE(
        Database::exec(Database::connection(path),
                       "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199) "
                       "INSERT INTO Punch (NoVendeur) SELECT CAST(100000 + i AS TEXT) FROM n"));
    Database::closeAll();
    ASSERT_TRUE(scratch.makeReadOnly());

    // A large result (where SQLite cannot make the files its log needs) is read to its end.
    EXPECT_EQ(Database::ensure(path, false).state, Database::State::Ready);
    {
        Recordset rs;
        ASSERT_TRUE(rs.open(path, SqlQuery("SELECT NoVendeur FROM Punch ORDER BY NoVendeur")))
            << rs.lastError().toStdString();
        EXPECT_EQ(rs.RecordCount(), 200) << rs.lastError().toStdString();
        int walked = 0;
        for (; !rs.isEOF() && rs.value(0).toString() == QString::number(100000 + walked); rs.MoveNext())
            ++walked;
        EXPECT_EQ(walked, 200) << rs.lastError().toStdString();
    }
    EXPECT_EQ(Database::probeWritable(path, 50).state, Database::State::ReadOnly);
    QString error;
    EXPECT_FALSE(insertPunch(Database::connection(path), "after", &error));
    EXPECT_TRUE(error.contains(path) && error.contains("read")) << error.toStdString();
    Database::closeAll();
}

} // namespace
