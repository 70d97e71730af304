#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QTime>
#include <QVariant>

#include "station/PunchRules.h"

#include <functional>
#include <optional>

namespace tarnvik {

// The punch road's reads and writes on the station's database.
//
// Punches, employee rows and presence rows change together: storing a punch
// writes its Punch row, the employee's Status and his presence row in one
// transaction, and the general end of day closes every open presence in one
// transaction, so that a failure leaves the database as it was and can be
// reported.
//
// Two stations may share one database file. Every write transaction takes
// the file's write lock when it begins, and a punch's direction, decided on
// the counts read while the employee confirms it, is decided again inside
// that transaction: the punch is stored only when both decisions agree, so
// two stations never store an "In" after an "In" nor drift the presence rows.
class PunchStore {
public:
    explicit PunchStore(const QString &databasePath);
    // A store on a connection of its own (another station on the same file).
    explicit PunchStore(const QSqlDatabase &connection);

    // The latest punch of a number, archived or not.
    struct LatestPunch {
        QString inOut;
        QVariant time; // stored forms, or Null
        QVariant date;
    };
    std::optional<LatestPunch> latestPunch(const QString &number) const;

    // The rows of Vendeurs holding a number: whether there are any, and the
    // name on the employee row (the first one, when several hold the number).
    struct Employee {
        bool anyRow = false;
        bool hasEmployeeRow = false;
        QString name;
        QString error; // set when the database could not be read
    };
    Employee findEmployee(const QString &number) const;

    // The project of a sub-project name: the first in alphabetical order when
    // the name stands under several projects.
    std::optional<QString> projectOf(const QString &subProject) const;

    // The number's current (unarchived) punches on a sub-project name, under
    // whatever project.
    struct Counts {
        int in = 0;
        int out = 0;
        QString error; // set when the database could not be read
    };
    Counts counts(const QString &number, const QString &subProject) const;

    struct NewPunch {
        QString number;
        QString inOut;
        QDate date;
        QTime time;
        QString dateLong;
        QString project;
        QString subProject;
        QVariant description; // Null: not written
    };
    // Stores one punch: the Punch row, the Status of the employee row and the
    // presence: a new presence row on "In", and on "Out" the oldest presence
    // row of that number on that sub-project removed. All or nothing.
    bool storePunch(const NewPunch &punch, QString *error = nullptr);

    enum class Outcome {
        Stored,
        Failed,           // not stored: error says why
        DirectionChanged, // not stored: another punch changed the counts since the decision
    };
    // Stores a punch whose direction (punch.inOut) was decided from the
    // direction given. The rule is applied again to the counts read inside
    // the write transaction; when it no longer gives punch.inOut, nothing is
    // written.
    Outcome storeDecidedPunch(const NewPunch &punch, const QString &given, QString *error = nullptr);

    // The general end of day: for every presence row (Projet and SousProjet
    // set), an "Out" punch stamped with the clock (read again for each row)
    // and the given description, Status "Out" on the employee row, and the
    // presence row removed. All or nothing; closed receives the number of
    // presence rows closed.
    bool endOfDay(const QString &description, int *closed = nullptr, QString *error = nullptr);

    QString lastError() const { return m_error; }

private:
    QSqlDatabase db(QString *error) const;
    // Runs the writes in one transaction; on failure nothing is kept and the
    // reason goes to lastError() and error.
    bool writeTogether(const std::function<bool(const QSqlDatabase &, QString *)> &writes, QString *error);

    bool readCounts(const QSqlDatabase &database, const QString &number, const QString &subProject,
                    Counts *counts, QString *error) const;
    bool writePunch(const QSqlDatabase &database, const NewPunch &punch, QString *why);

    QString m_path;
    QSqlDatabase m_connection; // set: used instead of the shared connection of m_path
    mutable QString m_error;
};

} // namespace tarnvik
