#pragma once

#include "common/Progress.h"
#include "reports/DataReport.h"
#include "reports/ReportSelection.h"

#include <QSqlDatabase>

#include <functional>
#include <memory>

namespace tarnvik {

class SpreadsheetApplication;

// One run of a worked-time report, from the totals to the clean-up, without
// a screen: the report window fills a selection, plugs in what it owns (the
// totals, the spreadsheet export, showing the report) and runs it.
//
// The run checks the database file and opens it for the run (ReportData.h:
// one state of the punches, the temporary rows in the run's own tables, the
// file never written but for the employees' Status), computes the totals,
// builds the result of the report kind over those rows and the punches of
// the period, creates the layout (a new one each run) and binds it, hides
// the punch lines when no detail is wanted, writes the text file and the
// spreadsheet when asked, and shows the report. Its progress shows on one
// bar from the totals to the spreadsheet, with a Cancel button that stops
// the run at once; nothing of a run outlives it. The text file and the
// workbook are written beside their names and put in place only once the
// last step is done: from there on (files put in place, the workbook handed
// to the desktop, the Status written, the report shown) the run can no
// longer stop and the Cancel button is disabled, so that a Cancel the
// window takes always takes effect.
class ReportRun {
public:
    struct Hooks {
        // The totals of the report kind (by employee or by project) through
        // the run's connection, telling their progress; false when the period
        // is not valid (the user told), when they failed or were cancelled.
        std::function<bool(const QSqlDatabase &, const ReportSelection &, StepProgress &)> computeTotals;
        // The spreadsheet export of the report kind, run after the text file
        // when the selection asks for it, while the temporary rows exist:
        // the workbook saved but not handed over yet (null when stopped or
        // failed), which the run releases once nothing can stop it or else
        // discards. Left empty, the run makes the workbook of WorkbookExport.h.
        std::function<std::unique_ptr<SpreadsheetApplication>(const QSqlDatabase &, const ReportSelection &,
                                                              StepProgress &)>
            exportWorkbook;
        // Shows the report modally; returns once the user has closed it.
        std::function<void(const std::shared_ptr<DataReport> &)> showReport;
        // After the clean-up (the window refreshes its employee list).
        std::function<void()> afterCleanUp;
    };

    ReportRun(const QString &databasePath, const ReportSelection &selection, Hooks hooks);

    // Runs the report. Returns true when the report was shown.
    bool run();
    // Stops a run in progress at its next step (the window closing, the
    // station quitting); nothing is shown afterwards.
    void cancel();
    bool cancelled() const { return m_cancelled; }

    // Shares of the progress bar (out of StepProgress::Scale) of each step.
    static constexpr int TotalsShare = 500;
    static constexpr int ResultShare = 200;
    static constexpr int TextShare = 100;
    static constexpr int WorkbookShare = 200;

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
    StepProgress *m_progress = nullptr;
    bool m_cancelled = false;
};

} // namespace tarnvik
