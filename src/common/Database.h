#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

namespace tarnvik {

// The station's database: one SQLite 3 file holding the tables Punch,
// Vendeurs, Projets and Acces. Dates are stored as text "yyyy-MM-dd", times as
// "HH:mm:ss", Archived as 0 or 1, so that any SQLite tool reads them plainly.
namespace Database {

enum class State {
    Ready,         // opened and holding the four tables
    Created,       // did not exist and was created with its tables
    Missing,       // does not exist and was not to be created
    NotADatabase,  // exists but is not an SQLite database
    MissingTables, // an SQLite database without the station's tables
    CannotOpen,    // any other failure (no right to read, folder missing ...)
    Damaged,       // an SQLite database that SQLite reports corrupt
    Busy,          // another program holds the file's write lock
    ReadOnly,      // can be read but not written (file, folder or -wal/-shm)
};

// Why a file that was opened cannot take writes now.
enum class Problem {
    None,
    Missing,    // no file at the path
    Gone,       // the file was deleted or moved away while in use
    Replaced,   // another file (another inode) now stands at the path, and is used from now on
    Damaged,    // SQLite reported the file corrupt or not a database
    NotStation, // an SQLite database without the station's tables
    Busy,       // another program holds the write lock
    ReadOnly,   // the file (or its folder, or its -wal/-shm files) cannot be written
    RowGone,    // the row being written was deleted meanwhile (by another program)
};

struct Status {
    State state = State::CannotOpen;
    QString path;
    QString detail; // technical reason, for the message the user sees

    bool usable() const { return state == State::Ready || state == State::Created; }
};

// Opens the database file, creating it with its tables and the one Acces row
// when it is missing and createIfMissing is set. A new file is built under a
// temporary name and renamed into place, so an interrupted creation never
// leaves a half-made file at the path. Adds the indexes the station looks up
// by when they are missing, without taking the write lock when none is.
Status ensure(const QString &path, bool createIfMissing);

// Removes what interrupted creations of the database at path left beside it
// (temporary files of processes that no longer run).
void removeStrayTemporaries(const QString &path);
// Whether the process of that number runs.
bool processRuns(qint64 pid);

// Tries to take the write lock of a usable file for at most waitMs and gives
// it back at once: tells a file that is busy (another program writing) or
// read-only apart from one ready for punches. Never writes anything.
Status probeWritable(const QString &path, int waitMs);

// Reads the whole file in the background (SQLite's quick check) on a
// connection of its own; when it is damaged, marks it so that no write goes
// to it any more and calls onDamaged with the message, on the thread of the
// application object. Start-up does not wait for it.
void startIntegrityCheck(const QString &path, std::function<void(const QString &message)> onDamaged);
// Says that the file gets that check before anything is written to it: the
// first write waits for the check, or runs it at once when it has not begun
// (and is refused when the file is damaged).
void expectIntegrityCheck(const QString &path);

// Looks at every open file (the station does so every two seconds while
// idle): folds what the log still holds into the file; a file written by
// another program since is read afresh; one deleted or moved away is left
// (its log goes into it, or is kept aside), another file put at the path is
// taken. Returns the sentences, naming the files, of the problems not told
// yet.
QStringList checkOpenFiles();

// Closes the connections not in use (between transactions, no read
// stepping), after a look at their files: the station holds its database
// open only while it works on it, so that nothing of it stays beside the
// file while it waits. Runs by itself once the program is back to waiting
// after a statement; the next statement opens the connection again.
void releaseConnections();

// Called on the application's thread when a shared connection moved to
// another file put at its path: the station logs the supervisor off.
void setFileSwitchedHandler(std::function<void(const QString &path)> handler);

// The sentence the user sees for a problem of a file, naming it. The station
// installs its localised wording; the default one is English.
using ProblemWording = QString (*)(Problem problem, const QString &path, const QString &detail);
void setProblemWording(ProblemWording wording);
QString problemText(Problem problem, const QString &path, const QString &detail = QString());

// The shared connection to a database file, opened on first use. Returns an
// invalid (closed) connection when the file is missing, cannot be opened, is
// damaged or holds no station tables; it never creates a file, and a file it
// refuses is left byte for byte as it was. error receives the reason.
//
// The connection always works on the file at its path as it is now: before
// a transaction begins, or a write runs outside one, it is compared with
// what the connection last saw; a file written behind its back is read
// afresh, one deleted or moved is left with every punch (see
// checkOpenFiles()), and another file put at the path is taken, the write
// that finds it being refused once with the sentence that tells it. After
// each write the log is folded into the file and emptied.
QSqlDatabase connection(const QString &path, QString *error = nullptr);

// How long a write waits for another process that holds the file before it
// fails (3 seconds unless set); applies to connections opened afterwards.
void setBusyTimeout(int milliseconds);

// Closes every connection (at the end of the program, in tests), after a last
// look at the files as checkOpenFiles() takes: a log is folded into its own
// file only, and the -wal and -shm files beside a path are removed only when
// they are the ones that file used.
void closeAll();

// The statements that create the four tables, the settings row and the indexes.
QStringList schemaStatements();
QStringList indexStatements();

// Prepares a query, binds the values (in their stored forms) and runs it;
// false (and the reason) on failure. The rows are read forward only.
bool run(QSqlQuery &query, const QString &sql, const QVariantList &params, QString *error);

// Runs one statement with bound values; false (and the reason) on failure.
bool exec(const QSqlDatabase &db, const QString &sql, const QVariantList &params = {},
          QString *error = nullptr);

} // namespace Database

// One unit of work: everything written between construction and commit() is
// stored together or not at all. Transactions nest (as savepoints). A
// transaction neither committed nor explicitly rolled back is rolled back
// when it goes out of scope.
//
// A deferred transaction takes the file's write lock at its first write, so
// what it read before may have been changed by another station by then. An
// immediate one takes the write lock when it begins (waiting, like a write,
// while another process holds it): what it reads afterwards stays true until
// it commits, so a decision made on those reads holds for its writes. Only
// the outermost transaction of a connection can be immediate; one begun
// inside another shares the outer one's lock.
class Transaction {
public:
    enum class Lock { Deferred, Immediate };

    explicit Transaction(const QSqlDatabase &db, Lock lock = Lock::Deferred);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool ok() const { return m_active; } // false when it could not begin
    bool commit();
    void rollback();
    QString error() const { return m_error; }

    // Whether a transaction begun through this class is open on the
    // connection (in this thread).
    static bool isOpenOn(const QSqlDatabase &db);

    // Runs writes in one transaction on db: what they write is stored
    // together or not at all. False, and the reason, when the transaction
    // cannot begin, a write fails (it gives its reason) or the commit fails.
    static bool together(const QSqlDatabase &db, const std::function<bool(QString *why)> &writes,
                         QString *error, Lock lock = Lock::Deferred);
    // The same on the shared connection of a database file.
    static bool together(const QString &databasePath,
                         const std::function<bool(const QSqlDatabase &db, QString *why)> &writes,
                         QString *error, Lock lock = Lock::Deferred);

private:
    void end();

    QSqlDatabase m_db;
    QString m_name; // the savepoint; empty for an outermost immediate transaction
    bool m_active = false;
    QString m_error;
};

} // namespace tarnvik
