#pragma once

#include "reports/ReportSelection.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace tarnvik {

// What a computation of the report totals did.
struct TotalsResult {
    enum class Outcome {
        Written,       // the temporary rows are stored
        PeriodInvalid, // a bound of the period is not a date, or it ends before it starts: nothing written
        Cancelled,     // stopped through the progress callback: nothing written
        Failed,        // the database could not be read or written: nothing written
    };
    Outcome outcome = Outcome::Failed;
    QString error;   // the reason of a failure
    qint64 rows = 0; // temporary rows written
    // The Status the totals gave employee rows (row identity, number, the
    // Status read, the Status written), for applyStatusChanges.
    struct StatusChange {
        qint64 rowid;
        QVariant number;
        QVariant before;
        QString after;
    };
    std::vector<StatusChange> statusChanges;

    bool written() const { return outcome == Outcome::Written; }
};

// Told now and then how much of the computation is done (done out of total:
// the punches read, the totals computed, the rows written); returning false
// stops it and nothing is written. It reaches its total only once every row
// is written.
using TotalsProgress = std::function<bool(qint64 done, qint64 total)>;

// The totals read and write through the connection of a report run
// (ReportData.h): the punches as they stood when the run began, the
// temporary rows into the run's own tables.
//
// Pairing across the period's bounds: a list of punches (one number, project
// and sub-project, the archive choice) that ends with an "In" whose next
// punch after the period is an "Out" counts that pair in this period (a
// night shift belongs to the period of its In) and is not at work; a list
// that starts with an "Out" whose previous punch before the period is an
// "In" passes that "Out" over (it was counted in the period before).

// The totals of the report by employee, over the selection's period, archive
// choice and employees, written as temporary rows of Projets: for every
// employee row (a name, in number order) and every sub-project row (in
// project then sub-project order) a row of the employee's worked time on it,
// and after each project's last sub-project a row of his total on the
// project (no sub-project). A total whose In and Out counts differ carries
// the at-work suffix, and so does the project total holding it. Each
// employee's Status becomes "In" when a sub-project of his last project has
// unequal counts, else "Out".
TotalsResult TotalsByEmployee(const QSqlDatabase &db, const ReportSelection &selection,
                              const TotalsProgress &progress = {});

// The totals of the report by project: for every project row (in project
// order), every sub-project row of it (in sub-project order) and every
// employee row (no project nor sub-project), a temporary row of Vendeurs with
// the employee's number, name, Status as it stands at that point and worked
// time; then a Projets row of the sub-project's total over the employees and,
// after the project's last sub-project, one of the project's total (neither
// with the at-work suffix). An employee who ends a sub-project with unequal
// counts gets Status "In"; this never writes "Out".
TotalsResult TotalsByProject(const QSqlDatabase &db, const ReportSelection &selection,
                             const TotalsProgress &progress = {});

// Gives the employee rows of the file the Status the totals worked out, in
// one transaction; a row whose Status was changed since the run began (by a
// punch) keeps the newer one.
bool applyStatusChanges(const QString &databasePath, const std::vector<TotalsResult::StatusChange> &changes,
                        QString *error = nullptr);

// Removes the report rows that an older program left in a file: the rows of
// Projets with an employee number or a total, and the rows of Vendeurs
// holding a name together with a project and a sub-project. Report runs
// never write there (ReportData.h), so this is safe at any time.
bool removeTemporaryReportRows(const QString &databasePath, QString *error = nullptr);
// Whether the file holds such rows.
bool hasTemporaryReportRows(const QString &databasePath);

} // namespace tarnvik
