// What other programs and other stations do to the database file while the
// station uses it, done by real processes (the sqlite3 program, stations in
// processes of their own killed with SIGKILL): no ordinary event stops the
// station or costs a punch, no write goes through a stale view of a file, and
// no log ever lands in a file it does not belong to.
#include "common/DataSource.h"
#include "common/Database.h"
#include "common/Recordset.h"
#include "station/PunchStore.h"
#include "support/ProgramFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QThread>

#include <signal.h>
#include <sys/stat.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {

// A station in a process of its own (tests/tools/station_peer.cpp).
class Peer {
public:
    Peer(const QString &path, const QString &number, int count, int pauseMs = 0, bool hold = false)
    {
        m_process.setProgram(QStringLiteral(TARNVIK_STATION_PEER));
        QStringList args{path, number, QString::number(count), QString::number(pauseMs)};
        if (hold)
            args << u"hold"_s;
        m_process.setArguments(args);
        m_process.start();
    }
    ~Peer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    // Reads what it said until a line starting with prefix (false on time-out or exit).
    bool waitFor(const QString &prefix, int timeoutMs = 30000)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            while (m_process.canReadLine()) {
                const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
                m_lines << line;
                if (line.startsWith(u"stored "_s))
                    m_stored << line.mid(7);
                if (line.startsWith(prefix))
                    return true;
            }
            if (timer.elapsed() > timeoutMs)
                return false;
            if (!m_process.waitForReadyRead(200) && m_process.state() == QProcess::NotRunning &&
                !m_process.canReadLine())
                return false;
        }
    }
    bool finish()
    {
        m_process.waitForFinished(60000);
        waitFor(u"\x01"_s, 0);
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    void killHard()
    {
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished();
        waitFor(u"\x01"_s, 0);
    }
    // The notes of the punches it was told were stored.
    QSet<QString> stored() const { return m_stored; }
    QStringList lines() const { return m_lines; }
    QStringList linesStarting(const QString &prefix) const
    {
        return m_lines.filter(QRegularExpression(u"^"_s + prefix));
    }

private:
    QProcess m_process;
    QSet<QString> m_stored;
    QStringList m_lines;
};

class StorageEventsTest : public test::ProgramFixture {
protected:
    QString pathOf(const QString &name) const { return folder() + u"/"_s + name; }

    // The sqlite3 program run on a file: its output (trimmed); the test fails when it fails.
    static QString sqlite(const QString &path, const QString &sql)
    {
        QProcess p;
        p.start(u"sqlite3"_s, {u"-cmd"_s, u".timeout 10000"_s, path, sql});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    // What the file at a path holds by itself, as a copy of it alone (without
    // any -wal beside it) reads: the notes of one number's punches.
    QSet<QString> notesInFileAlone(const QString &path, const QString &number)
    {
        const QString copy = pathOf(u"alone-%1.db"_s.arg(++m_copies));
        EXPECT_TRUE(QFile::copy(path, copy));
        return notesIn(copy, number);
    }
    static QSet<QString> notesIn(const QString &path, const QString &number)
    {
        const QStringList notes =
            sqlite(path, u"SELECT Description FROM Punch WHERE NoVendeur = '%1'"_s.arg(number)).split(u'\n');
        QSet<QString> set(notes.begin(), notes.end());
        set.remove(QString());
        return set;
    }
    static QSet<QString> range(int from, int to)
    {
        QSet<QString> set;
        for (int i = from; i < to; ++i)
            set << QString::number(i);
        return set;
    }
    bool punch(PunchStore &store, const QString &number, int note, QString *error = nullptr)
    {
        const PunchStore::NewPunch p{number,    u"In"_s,       QDate(2026, 12, 7), QTime(9, 0),
                                     QString(), u"Chantier"_s, u"Peinture"_s,      QString::number(note)};
        return store.storePunch(p, error);
    }
    // A sound station database of its own, holding 5000 punches of "other".
    QString soundDatabase()
    {
        const QString sound = pathOf(u"sound-%1.mdb"_s.arg(++m_copies));
        EXPECT_TRUE(Database::ensure(sound, true).usable());
        EXPECT_TRUE(
            Database::exec(Database::connection(sound),
                           u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 4999) "
                           "INSERT INTO Punch (NoVendeur, Description) SELECT 'other', i FROM n"_s));
        Database::closeAll();
        return sound;
    }
    static QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
    }

private:
    int m_copies = 0;
};

// touch, reads, a backup, commits and checkpoints of every form by the sqlite3 program: the station
// tells nothing, takes every later punch, and after each of its writes the file alone holds every punch.
TEST_F(StorageEventsTest, OrdinaryEventsOfOtherProgramsNeitherStopTheStationNorCostAPunch)
{
    const QString path = databasePath();
    PunchStore store(path);
    const QStringList events = {u"touch"_s,
                                u"PRAGMA wal_checkpoint"_s,
                                u"PRAGMA wal_checkpoint(PASSIVE)"_s,
                                u"PRAGMA wal_checkpoint(FULL)"_s,
                                u"PRAGMA wal_checkpoint(RESTART)"_s,
                                u"PRAGMA wal_checkpoint(TRUNCATE)"_s,
                                u"SELECT COUNT(*) FROM Punch"_s,
                                u".backup '%1'"_s.arg(pathOf(u"backup.mdb"_s)),
                                u"INSERT INTO Vendeurs (NoVendeur, NomVendeur) VALUES ('77', 'O''Brien')"_s};
    int note = 0;
    for (const QString &event : events) {
        SCOPED_TRACE(event.toStdString());
        for (int i = 0; i < 10; ++i) {
            QString error;
            ASSERT_TRUE(punch(store, u"1001"_s, note++, &error)) << error.toStdString();
        }
        EXPECT_EQ(notesInFileAlone(path, u"1001"_s), range(0, note)) << "the log does not outlive a write";
        if (event == u"touch"_s)
            ASSERT_EQ(QProcess::execute(u"touch"_s, {path}), 0);
        else
            sqlite(path, event);
        EXPECT_EQ(Database::checkOpenFiles(), QStringList()) << "the idle look tells nothing";
        QString error;
        EXPECT_TRUE(punch(store, u"1001"_s, note++, &error)) << error.toStdString();
        EXPECT_EQ(notesIn(path, u"1001"_s).size(), note);
    }
    Database::closeAll();
    EXPECT_EQ(notesIn(path, u"1001"_s), range(0, note));
    EXPECT_EQ(sqlite(path, u"PRAGMA quick_check"_s), u"ok"_s);
    EXPECT_EQ(sqlite(path, u"SELECT NomVendeur FROM Vendeurs WHERE NoVendeur = '77'"_s), u"O'Brien"_s);
}

// Stations in processes of their own, punching with no pause while this one punches and looks, and
// while another program purges: no alarm, no refusal, and every punch each was told stored is there.
TEST_F(StorageEventsTest, StationsAtFullSpeedRaiseNoAlarmAndLoseNoPunch)
{
    const QString path = databasePath();
    constexpr int kEach = 250;
    // Every station waits as long as a loaded machine may need for the write lock: what is checked here
    // is what is lost or told, not how fast.
    qputenv("TARNVIK_BUSY_TIMEOUT_MS", "30000");
    Database::closeAll();
    Database::setBusyTimeout(30000);
    std::vector<std::unique_ptr<Peer>> peers;
    for (int p = 0; p < 3; ++p)
        peers.push_back(std::make_unique<Peer>(path, u"p%1"_s.arg(p), kEach));
    PunchStore store(path);
    QStringList told;
    for (int i = 0; i < kEach; ++i) {
        QString error;
        EXPECT_TRUE(punch(store, u"here"_s, i, &error)) << error.toStdString();
        told << Database::checkOpenFiles();
    }
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p);
        EXPECT_TRUE(peers[p]->finish());
        EXPECT_EQ(peers[p]->linesStarting(u"refused"_s), QStringList());
        EXPECT_EQ(peers[p]->linesStarting(u"told"_s), QStringList());
        EXPECT_EQ(peers[p]->stored(), range(0, kEach));
        EXPECT_EQ(notesIn(path, u"p%1"_s.arg(p)), range(0, kEach));
    }
    EXPECT_EQ(told, QStringList());
    EXPECT_EQ(notesIn(path, u"here"_s), range(0, kEach));

    // Another program purges every punch of the peers while this station idles and looks.
    QProcess purge;
    purge.start(u"sqlite3"_s,
                {u"-cmd"_s, u".timeout 10000"_s, path, u"DELETE FROM Punch WHERE NoVendeur LIKE 'p%'"_s});
    while (!purge.waitForFinished(1))
        told << Database::checkOpenFiles();
    told << Database::checkOpenFiles();
    EXPECT_EQ(told, QStringList());
    QString error;
    EXPECT_TRUE(punch(store, u"here"_s, kEach, &error)) << error.toStdString();
    Database::closeAll();
    EXPECT_EQ(notesIn(path, u"here"_s), range(0, kEach + 1));
    EXPECT_EQ(sqlite(path, u"SELECT COUNT(*) FROM Punch WHERE NoVendeur LIKE 'p%'"_s), u"0"_s);
    EXPECT_EQ(sqlite(path, u"PRAGMA quick_check"_s), u"ok"_s);
    Database::setBusyTimeout(3000);
    qunsetenv("TARNVIK_BUSY_TIMEOUT_MS");
}

// A file copied over the open one, after another program committed: the station reads the new file
// afresh and its next punch goes into it, sound. Bytes written over its start: the next punch is
// refused, naming the file, and the file is left as the other program left it.
TEST_F(StorageEventsTest, AFileWrittenOverIsReadAfreshNeverWrittenBlind)
{
    const QString path = databasePath();
    const QString other = soundDatabase();
    PunchStore store(path);
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(punch(store, u"1001"_s, i));
    sqlite(path, u"INSERT INTO Vendeurs (NoVendeur, NomVendeur) VALUES ('78', 'Other program')"_s);
    ASSERT_TRUE(punch(store, u"1001"_s, 6));
    ASSERT_TRUE(punch(store, u"1001"_s, 7));
    ASSERT_EQ(QProcess::execute(u"cp"_s, {other, path}), 0); // in place: the same inode
    QString error;
    EXPECT_TRUE(punch(store, u"1001"_s, 8, &error)) << error.toStdString();
    EXPECT_EQ(Database::checkOpenFiles(), QStringList());
    Database::closeAll();
    EXPECT_EQ(sqlite(path, u"PRAGMA quick_check"_s), u"ok"_s);
    EXPECT_EQ(notesIn(path, u"1001"_s), QSet<QString>{u"8"_s});
    EXPECT_EQ(notesIn(path, u"other"_s), range(0, 5000));

    // Scribbled on: refused, said naming the file, and left byte for byte.
    ASSERT_TRUE(punch(store, u"1001"_s, 9));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write(QByteArray(4096, char(0x5a)));
    file.close();
    const QByteArray left = bytesOf(path);
    EXPECT_FALSE(punch(store, u"1001"_s, 10, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    Database::closeAll();
    EXPECT_EQ(bytesOf(path), left);
}

// Punches stored by a station, then the file swapped under it and the station killed before it can
// look, or a second station started on the new file at once: the file put there comes out sound and
// holds exactly its own rows; a file moved away holds every punch; a new database made at the old
// name is new and sound.
TEST_F(StorageEventsTest, AKilledStationLeavesNoLogForTheFileNowAtItsPath)
{
    enum Swap { RemovedThenCopied, CopiedOver, BackupPutBack, MovedThenMadeAnew, SecondStation };
    for (const Swap swap : {RemovedThenCopied, CopiedOver, BackupPutBack, MovedThenMadeAnew, SecondStation}) {
        SCOPED_TRACE(int(swap));
        const QString path = pathOf(u"swap-%1.mdb"_s.arg(int(swap)));
        ASSERT_TRUE(Database::ensure(path, true).usable());
        Database::closeAll();
        const QString sound = soundDatabase();
        const QString backup = pathOf(u"backup-%1.mdb"_s.arg(int(swap)));
        Peer station(path, u"1001"_s, 3, 0, true);
        ASSERT_TRUE(station.waitFor(u"holding"_s));
        ASSERT_EQ(QProcess::execute(u"cp"_s, {path, backup}), 0); // a backup by copying the file alone
        Peer more(path, u"1001"_s, 2, 0, false);                  // two later punches: notes 0 and 1 again
        ASSERT_TRUE(more.finish());
        const QString moved = path + u".moved"_s;
        switch (swap) {
        case RemovedThenCopied:
        case SecondStation:
            ASSERT_TRUE(QFile::remove(path));
            ASSERT_TRUE(QFile::copy(sound, path));
            break;
        case CopiedOver:
            ASSERT_EQ(QProcess::execute(u"cp"_s, {sound, path}), 0);
            break;
        case BackupPutBack:
            ASSERT_TRUE(QFile::remove(path));
            ASSERT_TRUE(QFile::copy(backup, path));
            break;
        case MovedThenMadeAnew:
            ASSERT_TRUE(QFile::rename(path, moved));
            break;
        }
        std::unique_ptr<Peer> second;
        if (swap == SecondStation) {
            second = std::make_unique<Peer>(path, u"2002"_s, 3);
            ASSERT_TRUE(second->finish()) << second->lines().join(u'\n').toStdString();
            EXPECT_EQ(second->stored(), range(0, 3));
        }
        station.killHard();
        EXPECT_EQ(station.stored(), range(0, 3));
        if (swap == MovedThenMadeAnew) {
            EXPECT_EQ(sqlite(moved, u"SELECT COUNT(*) FROM Punch WHERE NoVendeur = '1001'"_s), u"5"_s);
            EXPECT_EQ(Database::ensure(path, true).state, Database::State::Created);
            Database::closeAll();
            EXPECT_EQ(sqlite(path, u"SELECT COUNT(*) FROM Punch"_s), u"0"_s);
        } else if (swap == BackupPutBack) {
            EXPECT_EQ(sqlite(path, u"SELECT COUNT(*) FROM Punch WHERE NoVendeur = '1001'"_s), u"3"_s)
                << "the later punches stay out of the backup";
        } else {
            EXPECT_EQ(notesIn(path, u"other"_s), range(0, 5000));
            EXPECT_EQ(notesIn(path, u"1001"_s), QSet<QString>());
            EXPECT_EQ(notesIn(path, u"2002"_s), swap == SecondStation ? range(0, 3) : QSet<QString>());
        }
        EXPECT_EQ(sqlite(path, u"PRAGMA quick_check"_s), u"ok"_s);
    }
}

// A log that another program's long read keeps from going into the file, when the file is moved and
// another put at its path: at the idle look, or at Quit without one, the log leaves the path, is kept
// under a name of its own (the user is told where), and with it the moved file holds every punch; the
// file put at the path is left byte for byte.
TEST_F(StorageEventsTest, ALogThatCannotGoIntoItsFileIsKeptAsideNeverLost)
{
    for (const bool idleLook : {true, false}) {
        SCOPED_TRACE(idleLook);
        const QString path = pathOf(u"kept-%1.mdb"_s.arg(idleLook));
        const QString other = soundDatabase();
        ASSERT_TRUE(Database::ensure(path, true).usable());
        PunchStore store(path);
        ASSERT_TRUE(punch(store, u"1001"_s, 0));
        QProcess reader; // holds a read of the file as it is now
        reader.start(u"sqlite3"_s, {path});
        reader.write("BEGIN; SELECT COUNT(*) FROM Punch;\n");
        ASSERT_TRUE(reader.waitForReadyRead(10000));
        for (int i = 1; i < 4; ++i)
            ASSERT_TRUE(punch(store, u"1001"_s, i));
        ASSERT_GT(QFileInfo(path + u"-wal"_s).size(), 0) << "the read keeps the log from the file";
        const QString moved = path + u".moved"_s;
        ASSERT_TRUE(QFile::rename(path, moved));
        ASSERT_TRUE(QFile::copy(other, path));
        const QByteArray left = bytesOf(path);
        QStringList told;
        if (idleLook)
            told = Database::checkOpenFiles();
        Database::closeAll();
        reader.closeWriteChannel();
        reader.waitForFinished();
        EXPECT_EQ(bytesOf(path), left);
        for (const char *beside : {"-wal", "-shm", "-journal"})
            EXPECT_FALSE(QFileInfo::exists(path + QLatin1String(beside))) << beside;
        const QStringList kept = QDir(folder()).entryList({u"kept-%1.mdb.kept-*-wal"_s.arg(idleLook)});
        ASSERT_EQ(kept.size(), 1);
        if (idleLook) {
            ASSERT_EQ(told.size(), 1);
            EXPECT_TRUE(told[0].contains(path) && told[0].contains(kept[0])) << told[0].toStdString();
        }
        ASSERT_TRUE(QFile::rename(pathOf(kept[0]), moved + u"-wal"_s));
        EXPECT_EQ(notesIn(moved, u"1001"_s), range(0, 4));
        EXPECT_EQ(sqlite(moved, u"PRAGMA quick_check"_s), u"ok"_s);
    }
}

// The file deleted and another copied at its path by cp, which on many file systems gets the freed inode
// number back: still told as another file (its birth tells it), never taken for the same one written over.
TEST_F(StorageEventsTest, AnotherFileUnderTheSameInodeNumberIsToldAsAnother)
{
    const QString path = databasePath();
    const QString other = soundDatabase();
    PunchStore store(path);
    ASSERT_TRUE(punch(store, u"1001"_s, 0));
    Database::releaseConnections(); // back to waiting
    const auto inodeOf = [](const QString &file) {
        struct stat st {};
        return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
    };
    // Until the file system gives the freed number back (a file told as another meanwhile is the
    // station's database from then on).
    bool reused = false;
    for (int i = 0; i < 200 && !reused; ++i) {
        const quint64 before = inodeOf(path);
        QThread::msleep(2); // another birth time
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_EQ(QProcess::execute(u"cp"_s, {other, path}), 0);
        reused = inodeOf(path) == before;
        if (!reused) {
            ASSERT_EQ(Database::checkOpenFiles().size(), 1);
        }
    }
    if (!reused)
        GTEST_SKIP() << "this file system never gave an inode number back";
    const QStringList told = Database::checkOpenFiles();
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0], Database::problemText(Database::Problem::Replaced, path));
    Database::closeAll();
    EXPECT_EQ(notesIn(path, u"other"_s), range(0, 5000));
    EXPECT_EQ(sqlite(path, u"PRAGMA quick_check"_s), u"ok"_s);
}

// A grid part way through a large result holds a read of the file: the punch stored meanwhile still goes
// into the file once the station is back to waiting (the read lets go), and the grid reads on to the end
// with every row once.
TEST_F(StorageEventsTest, AGridReadPartWayDoesNotKeepAPunchInTheLog)
{
    const QString path = databasePath();
    ASSERT_TRUE(execSql(u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2999) "
                        "INSERT INTO Punch (NoVendeur, Description) SELECT 'old', i FROM n"_s));
    Recordset rs;
    ASSERT_TRUE(rs.open(path, SqlQuery(u"SELECT Description FROM Punch WHERE NoVendeur = 'old' ORDER BY "
                                       "NoVendeur, Description"_s)));
    int read = 0;
    for (; read < 1500; ++read)
        ASSERT_TRUE(rs.MoveNext());
    PunchStore store(path);
    ASSERT_TRUE(punch(store, u"1001"_s, 0));
    Database::releaseConnections(); // back to waiting
    EXPECT_EQ(notesInFileAlone(path, u"1001"_s), QSet<QString>{u"0"_s});
    QSet<QString> seen;
    ASSERT_TRUE(rs.MoveFirst());
    for (; !rs.isEOF(); rs.MoveNext())
        seen << rs.value(0).toString();
    EXPECT_EQ(seen, range(0, 3000));
    EXPECT_EQ(rs.RecordCount(), 3000);
}

} // namespace
