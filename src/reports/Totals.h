#pragma once

#include "reports/ReportSelection.h"

#include <QString>

#include <functional>

namespace tarnvik {

// What a computation of the report totals did.
struct TotalsResult {
    enum class Outcome {
        Written,       // the temporary rows are stored
        PeriodInvalid, // a bound of the period is not a date: nothing written
        Cancelled,     // stopped through the progress callback: nothing written
        Failed,        // the database could not be read or written: nothing written
    };
    Outcome outcome = Outcome::Failed;
    QString error;   // the reason of a failure
    qint64 rows = 0; // temporary rows written

    bool written() const { return outcome == Outcome::Written; }
};

// Told now and then how much of the computation is done (done out of total);
// returning false stops it and nothing is written. It is called only while
// the totals are read and computed, never while they are being written, so
// that whatever it lets run meanwhile (a punch) is never part of, nor held up
// by, the report's own writes.
using TotalsProgress = std::function<bool(qint64 done, qint64 total)>;

// The totals of the report by employee, over the selection's period, archive
// choice and employees, written as temporary rows of Projets: for every
// employee row (a name, in number order) and every sub-project row (in
// project then sub-project order) a row of the employee's worked time on it,
// and after each project's last sub-project a row of his total on the
// project (no sub-project). A total whose In and Out counts differ carries
// the at-work suffix, and so does the project total holding it. Each
// employee's Status becomes "In" when a sub-project of his last project has
// unequal counts, else "Out".
TotalsResult TotalsByEmployee(const QString &databasePath, const ReportSelection &selection,
                              const TotalsProgress &progress = {});

// The totals of the report by project: for every project row (in project
// order), every sub-project row of it (in sub-project order) and every
// employee row (no project nor sub-project), a temporary row of Vendeurs with
// the employee's number, name, Status as it stands at that point and worked
// time; then a Projets row of the sub-project's total over the employees and,
// after the project's last sub-project, one of the project's total (neither
// with the at-work suffix). An employee who ends a sub-project with unequal
// counts gets Status "In"; this never writes "Out".
TotalsResult TotalsByProject(const QString &databasePath, const ReportSelection &selection,
                             const TotalsProgress &progress = {});

// Removes every temporary report row: the rows of Projets with an employee
// number or a total, and the rows of Vendeurs holding a name together with
// a project and a sub-project. Both computations start with this (in their
// own transaction), so rows left by a run that did not finish are never
// counted or shown twice.
bool removeTemporaryReportRows(const QString &databasePath, QString *error = nullptr);

} // namespace tarnvik
