#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

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
};

struct Status {
    State state = State::CannotOpen;
    QString path;
    QString detail; // technical reason, for the message the user sees

    bool usable() const { return state == State::Ready || state == State::Created; }
};

// Opens the database file, creating it with its tables and the one Acces row
// when it is missing and createIfMissing is set. Adds the indexes the station
// looks up by when they are missing.
Status ensure(const QString &path, bool createIfMissing);

// The shared connection to a database file, opened on first use. Returns an
// invalid (closed) connection when the file is missing or cannot be opened;
// it never creates a file. error receives the reason.
QSqlDatabase connection(const QString &path, QString *error = nullptr);

// How long a write waits for another process that holds the file before it
// fails (5 seconds unless set); applies to connections opened afterwards.
void setBusyTimeout(int milliseconds);

// Closes every connection (tests, and a switch to another database file).
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

private:
    void end();

    QSqlDatabase m_db;
    QString m_name; // the savepoint; empty for an outermost immediate transaction
    bool m_active = false;
    QString m_error;
};

} // namespace tarnvik
