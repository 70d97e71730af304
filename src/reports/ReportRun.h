#pragma once

#include "reports/DataReport.h"
#include "reports/ReportSelection.h"

#include <functional>
#include <memory>

namespace tarnvik {

// One run of a worked-time report, from the totals to the clean-up, without
// a screen: the report window fills a selection, plugs in what it owns (the
// totals, the spreadsheet export, showing the report) and runs it.
//
// The run computes the totals into temporary rows, checks the database file,
// builds the result of the report kind over those rows and the punches of
// the period, creates the layout (a new one each run) and binds it, hides the
// punch lines when no detail is wanted, writes the text file and the
// spreadsheet when asked, shows the report, and deletes every temporary total
// row on every way out: after the report is closed, after a failure, and when
// the run stops on an invalid period or a missing database file.
class ReportRun {
public:
    struct Hooks {
        // The totals of the report kind (by employee or by project); false
        // when the period is not valid, the user having been told.
        std::function<bool(const ReportSelection &)> computeTotals;
        // The spreadsheet export of the report kind, run after the text file
        // when the selection asks for it, while the temporary rows exist.
        // Left empty, the run writes the workbook of WorkbookExport.h.
        std::function<void(const ReportSelection &)> exportWorkbook;
        // Shows the report modally; returns once the user has closed it.
        std::function<void(const std::shared_ptr<DataReport> &)> showReport;
        // After the clean-up (the window refreshes its employee list).
        std::function<void()> afterCleanUp;
    };

    ReportRun(const QString &databasePath, const ReportSelection &selection, Hooks hooks);

    // Runs the report. Returns true when the report was shown.
    bool run();

    // The layout of the last run (its data released once the run is over).
    std::shared_ptr<DataReport> report() const { return m_report; }

    // The layout of a report kind, created and initialised for the selection.
    static std::shared_ptr<DataReport> createLayout(const ReportSelection &selection);
    // The layout without punch lines: the column captions of the section
    // above the punches hidden and moved to the top, that section one line
    // high, the punch section hidden. False when the layout lacks a part.
    static bool hideDetail(DataReport &report, const QString &headerSection);
    // The section above the punches in the layout of a report kind.
    static QString punchHeaderSection(ReportSelection::Kind kind);

    // The message shown when the database file does not exist.
    static QString missingDatabaseText(const QString &databasePath);

private:
    void cleanUp();

    QString m_databasePath;
    ReportSelection m_selection;
    Hooks m_hooks;
    std::shared_ptr<DataReport> m_report;
};

} // namespace tarnvik
