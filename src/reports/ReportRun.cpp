#include "reports/ReportRun.h"

#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "platform/Spreadsheet.h"
#include "reports/ProjRep.h"
#include "reports/PunchRepPro.h"
#include "reports/ReportData.h"
#include "reports/ReportShapes.h"
#include "reports/Totals.h"
#include "reports/WorkbookExport.h"

#include <QFileInfo>

#include <exception>
#include <optional>

namespace tarnvik {

namespace {

// The busy mouse pointer, cleared on every way out.
class BusyPointer {
public:
    BusyPointer() { set(); }
    ~BusyPointer() { release(); }
    void set()
    {
        Dialogs().setBusyCursor(true);
        m_on = true;
    }
    void release()
    {
        if (m_on)
            Dialogs().setBusyCursor(false);
        m_on = false;
    }

private:
    bool m_on = true;
};

// The workbook of a run, dropped (its file removed) unless handed over.
class PendingWorkbook {
public:
    explicit PendingWorkbook(std::unique_ptr<SpreadsheetApplication> xl) : m_xl(std::move(xl)) {}
    ~PendingWorkbook()
    {
        if (m_xl)
            m_xl->discard();
    }
    PendingWorkbook(const PendingWorkbook &) = delete;
    PendingWorkbook &operator=(const PendingWorkbook &) = delete;
    void handOver()
    {
        if (m_xl)
            m_xl->release();
        m_xl.reset();
    }

private:
    std::unique_ptr<SpreadsheetApplication> m_xl;
};

} // namespace

ReportRun::ReportRun(const QString &databasePath, const ReportSelection &selection, Hooks hooks)
    : m_databasePath(databasePath), m_selection(selection), m_hooks(std::move(hooks))
{
    // The spreadsheet of the report kind, saved and opened on the desktop;
    // a workbook that cannot be made is told to the user and the run goes on.
    if (!m_hooks.exportWorkbook)
        m_hooks.exportWorkbook = [](const QSqlDatabase &db, const ReportSelection &s,
                                    StepProgress &progress) {
            return prepareWorkbook(db, s,
                                   [&progress](int done, int total) { return progress.at(done, total); });
        };
}

QString ReportRun::missingDatabaseText(const QString &databasePath)
{
    return QStringLiteral("Please verify the database name if it is in ") + databasePath;
}

QString ReportRun::punchHeaderSection(ReportSelection::Kind kind)
{
    return kind == ReportSelection::Kind::ByProject ? QStringLiteral("Vendeurs_Header")
                                                    : QStringLiteral("SousProjet_Header");
}

std::shared_ptr<DataReport> ReportRun::createLayout(const ReportSelection &selection)
{
    const bool byProject = selection.kind == ReportSelection::Kind::ByProject;
    std::shared_ptr<DataReport> report;
    if (byProject)
        report = ProjRep::create();
    else
        report = PunchRepPro::create(selection);
    // Files of the report are named as its workbook is: kind and period.
    report->DocumentName =
        LOC_RTString(byProject ? 1882 : 1880)
            .arg(selection.periodStart.toString(Qt::ISODate), selection.periodEnd.toString(Qt::ISODate));
    return report;
}

bool ReportRun::hideDetail(DataReport &report, const QString &headerSection)
{
    ReportSection *header = report.Sections(headerSection);
    ReportSection *detail = report.Sections(QStringLiteral("Punch_Detail"));
    if (!header || !detail)
        return false;
    const QStringList captions = {QStringLiteral("Label5"), QStringLiteral("Label6"),
                                  QStringLiteral("Label8"), QStringLiteral("Label9"),
                                  QStringLiteral("Label14")};
    for (const QString &name : captions) {
        ReportControl *control = header->Controls(name);
        if (!control)
            return false;
        control->Visible = false;
    }
    for (const QString &name : captions)
        header->Controls(name)->Top = 0;
    header->Height = 240;
    detail->Visible = false;
    return true;
}

void ReportRun::cancel()
{
    m_cancelled = true;
    if (m_progress)
        m_progress->cancel();
}

bool ReportRun::run()
{
    // The reason a run failed, as the data layer or the engine gives it.
    std::optional<QString> failure;
    bool shown = false;
    m_report.reset();
    try {
        BusyPointer busy;
        ReportData data;
        std::optional<StepProgress> progress(std::in_place, LOC_RTString(1840));
        m_progress = &*progress;
        if (m_cancelled)
            progress->cancel();
        const auto stopped = [&] { return progress->cancelled(); };
        [&] {
            if (!QFileInfo(m_databasePath).isFile()) {
                busy.release();
                MsgBox(missingDatabaseText(m_databasePath), MsgStyle::OkOnly);
                return;
            }
            QString error;
            if (!data.open(m_databasePath, &error)) {
                failure = error;
                return;
            }
            progress->step(TotalsShare);
            if (m_hooks.computeTotals && !m_hooks.computeTotals(data.database(), m_selection, *progress))
                return;
            busy.set(); // the totals may have shown and cleared their own
            progress->step(ResultShare, LOC_RTString(2200));
            if (!progress->at(0, 1))
                return;
            auto result = std::make_shared<HierarchicalResult>();
            const auto resultStep = [&](qint64 done, qint64 total) { return progress->at(done, total); };
            if (!result->open(data.database(), ReportShapes::forSelection(m_selection, NoProjectName()),
                              &error, resultStep)) {
                if (!stopped())
                    failure = error;
                return;
            }
            m_report = createLayout(m_selection);
            if (!m_report->setDataSource(result)) {
                failure = m_report->lastError();
                return;
            }
            if (!m_selection.detail && !hideDetail(*m_report, punchHeaderSection(m_selection.kind))) {
                failure = QStringLiteral("the layout %1 has no punch lines to hide").arg(m_report->name());
                return;
            }
            progress->step(TextShare, LOC_RTString(2206));
            if (!progress->at(0, 1))
                return;
            busy.release();
            // A text file that cannot be written has been reported by the
            // export; the run goes on to the spreadsheet and the report.
            if (m_selection.exportText) {
                m_report->ExportProgress = resultStep;
                m_report->ExportKeptAside = true;
                m_report->ExportReport(QLatin1String(DataReport::TextFormatKey), QString(), true, true, 0);
                m_report->ExportKeptAside = false;
                m_report->ExportProgress = nullptr;
            }
            progress->step(WorkbookShare, LOC_RTString(1888));
            if (!progress->at(0, 1))
                return;
            PendingWorkbook workbook(m_selection.exportWorkbook && m_hooks.exportWorkbook && !stopped()
                                         ? m_hooks.exportWorkbook(data.database(), m_selection, *progress)
                                         : nullptr);
            // The last chance to stop (a Cancel clicked while the workbook
            // was saved is taken here). From here on nothing can be undone:
            // the Cancel button is disabled, the files are put in place, the
            // workbook goes to the desktop and the report shows.
            if (!progress->pointOfNoReturn())
                return;
            m_report->commitExport();
            workbook.handOver();
            // The run's data and its progress go before the report shows:
            // the report holds what it shows.
            data.close();
            m_progress = nullptr;
            progress.reset();
            if (m_hooks.showReport && !m_cancelled) {
                m_hooks.showReport(m_report);
                shown = true;
            }
        }();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    m_progress = nullptr;
    if (failure)
        MsgBox(*failure, MsgStyle::OkOnly);
    cleanUp();
    return shown;
}

void ReportRun::cleanUp()
{
    if (m_report) {
        m_report->discardExport(); // a text file of a run that stopped
        m_report->setDataSource(nullptr);
    }
    // Report rows that an older program left in the file go at the first
    // run that finds them (only a look while there are none).
    if (QFileInfo(m_databasePath).isFile() && hasTemporaryReportRows(m_databasePath)) {
        QString error;
        if (!removeTemporaryReportRows(m_databasePath, &error))
            MsgBox(error, MsgStyle::Exclamation);
    }
    if (m_hooks.afterCleanUp)
        m_hooks.afterCleanUp();
}

} // namespace tarnvik
