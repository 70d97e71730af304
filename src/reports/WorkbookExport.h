#pragma once

#include "reports/ReportSelection.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tarnvik {

class SpreadsheetApplication;

// What an export did.
struct WorkbookExportResult {
    bool filled = false;    // every cell was written (the database could be read)
    QString error;          // why not, when not
    qint64 lastRow = 0;     // the row number after the last line
    QStringList savedFiles; // the workbooks saved (and handed to the desktop)
    bool stopped = false;   // stopped through the progress: nothing saved
};

// The reports written into a spreadsheet: a period line and an archive line,
// then the temporary total rows that the report's totals have just written
// (Projets, and Vendeurs for the report by project), with labels in bold,
// the totals and, with the detail chosen, the punches behind each total.
//
// Each call starts a visible spreadsheet application with a new workbook,
// fills it and releases it: the workbook is saved in the user's documents
// folder under a name that says which report and period, and opened on the
// desktop. A failure (the database cannot be read, the file cannot be
// written) is told to the user in a message box, and the caller carries on.
// A progress window shows an export that lasts longer than half a second.
//
// The rows are read through db: the connection of the report run
// (ReportData.h), or a file's own connection.
WorkbookExportResult ExportXL(const QSqlDatabase &db, const ReportSelection &selection);
WorkbookExportResult ExportXLProj(const QSqlDatabase &db, const ReportSelection &selection);

// Called after each outer row (employee or project) with the rows done and
// their count; returning false stops the export (nothing is saved).
using ExportStep = std::function<bool(int done, int total)>;

// The same, from the kind of report chosen in the selection. With onStep,
// the caller shows the progress (the export's own window is not shown); a
// stop through it saves nothing and tells nothing.
WorkbookExportResult exportWorkbook(const QSqlDatabase &db, const ReportSelection &selection,
                                    const ExportStep &onStep = {});

// The workbook of the report kind for a report run: filled and saved beside
// its final name, but neither put in place nor handed to the desktop, which
// its release() does once nothing can stop the run (its discard() drops it):
// a stop asked for while the file is written is taken at the run's next
// check. Null when stopped through onStep (nothing is left, nothing told) or
// when it could not be filled (the user told).
std::unique_ptr<SpreadsheetApplication> prepareWorkbook(const QSqlDatabase &db,
                                                        const ReportSelection &selection,
                                                        const ExportStep &onStep,
                                                        WorkbookExportResult *result = nullptr);

// The filling alone, into the active sheet of an application that already
// has a workbook (what the exports do between starting and releasing it).
WorkbookExportResult writeReportByEmployee(SpreadsheetApplication &xl, const QSqlDatabase &db,
                                           const ReportSelection &selection, const ExportStep &onStep = {});
WorkbookExportResult writeReportByProject(SpreadsheetApplication &xl, const QSqlDatabase &db,
                                          const ReportSelection &selection, const ExportStep &onStep = {});

} // namespace tarnvik
