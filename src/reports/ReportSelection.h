#pragma once

#include "common/DataSource.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace tarnvik {

// What the supervisor chose in the report window, as plain values: the
// totals, the report layouts and the exports read these instead of the
// window's controls, so they run (and are tested) without a screen. The
// report window fills one from its controls when a run starts.
struct ReportSelection {
    enum class Kind { ByProject, ByEmployee };                          // optProjet / optEmp
    enum class Archive { Both, CurrentOnly, ArchivedOnly, NoneChosen }; // optBoth / optNonArch / optArch
    enum class Employees { All, Checked, NoneChosen };                  // optTous / optSel

    Kind kind = Kind::ByProject;
    bool exportText = false;     // chkExport
    bool exportWorkbook = false; // chkExportXL
    bool detail = true;          // chkDetail
    Archive archive = Archive::Both;
    Employees employees = Employees::All;
    // The numbers of the checked items of the employee list, in list order.
    QStringList checkedEmployees;
    // First and last day of the period (the pickers), and whether they made a
    // valid period.
    QDate periodStart;
    QDate periodEnd;
    bool periodInvalid = false;
};

// The clause appended to every punch query of the reports: empty for both
// archived and current punches, else a condition on Archived. Starts with
// "AND " when not empty and ends with a space.
SqlQuery ArchiveFilter(const ReportSelection &selection);

// The words naming which punches a report counts (archived, current or
// both), as its page header and its workbook show them; empty when no
// choice was made.
QString ArchiveCaption(ReportSelection::Archive archive);

// The clause appended to every employee query of the reports, right after a
// condition that picks employee rows: empty for all employees (or when no
// item is checked), else "AND (NoVendeur = ? OR NoVendeur = ? ...) " with the
// checked numbers bound in list order.
SqlQuery EmployeeFilter(const ReportSelection &selection);

} // namespace tarnvik
