#include "reports/ReportRun.h"

#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "reports/ProjRep.h"
#include "reports/PunchRepPro.h"
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

} // namespace

ReportRun::ReportRun(const QString &databasePath, const ReportSelection &selection, Hooks hooks)
    : m_databasePath(databasePath), m_selection(selection), m_hooks(std::move(hooks))
{
    // The spreadsheet of the report kind, saved and opened on the desktop;
    // a workbook that cannot be made is told to the user and the run goes on.
    if (!m_hooks.exportWorkbook)
        m_hooks.exportWorkbook = [path = databasePath](const ReportSelection &s) {
            tarnvik::exportWorkbook(path, s);
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
    if (selection.kind == ReportSelection::Kind::ByProject)
        return ProjRep::create();
    return PunchRepPro::create(selection);
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

bool ReportRun::run()
{
    // The reason a run failed, as the data layer or the engine gives it.
    std::optional<QString> failure;
    bool shown = false;
    m_report.reset();
    try {
        BusyPointer busy;
        [&] {
            if (m_hooks.computeTotals && !m_hooks.computeTotals(m_selection))
                return;
            busy.set(); // the totals may have shown and cleared their own
            if (!QFileInfo(m_databasePath).isFile()) {
                busy.release();
                MsgBox(missingDatabaseText(m_databasePath), MsgStyle::OkOnly);
                return;
            }
            auto result = std::make_shared<HierarchicalResult>();
            QString error;
            if (!result->open(m_databasePath, ReportShapes::forSelection(m_selection, NoProjectName()),
                              &error)) {
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
            busy.release();
            // A text file that cannot be written has been reported by the
            // export; the run goes on to the spreadsheet and the report.
            if (m_selection.exportText)
                m_report->ExportReport(QLatin1String(DataReport::TextFormatKey), QString(), true, true, 0);
            if (m_selection.exportWorkbook && m_hooks.exportWorkbook)
                m_hooks.exportWorkbook(m_selection);
            if (m_hooks.showReport) {
                m_hooks.showReport(m_report);
                shown = true;
            }
        }();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    if (failure)
        MsgBox(*failure, MsgStyle::OkOnly);
    cleanUp();
    return shown;
}

void ReportRun::cleanUp()
{
    if (m_report)
        m_report->setDataSource(nullptr);
    // With no database file there is nothing to remove (and the user was told).
    if (QFileInfo(m_databasePath).isFile()) {
        QString error;
        if (!removeTemporaryReportRows(m_databasePath, &error))
            MsgBox(error, MsgStyle::Exclamation);
    }
    if (m_hooks.afterCleanUp)
        m_hooks.afterCleanUp();
}

} // namespace tarnvik
