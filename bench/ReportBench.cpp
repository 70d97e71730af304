// The worked-time report by employee over 28 days for all 500 employees with
// detail, on a database of a million punches: the first page on screen,
// turning pages, and the whole report written as PDF.
#include "MillionPunchFolder.h"
#include "common/Database.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "reports/ReportData.h"
#include "reports/ReportRun.h"
#include "reports/ReportShapes.h"
#include "reports/Totals.h"
#include "reports/ui/ReportPainter.h"
#include "support/DataGenerator.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

using namespace tarnvik;

namespace {

// The generated database opened for a report run by employee over four
// weeks, its totals computed into the run's own tables, as a run has them
// when it builds its report.
class ReportDatabase {
public:
    ReportDatabase()
    {
        selection.kind = ReportSelection::Kind::ByEmployee;
        selection.periodStart = QDate(2003, 6, 2);
        selection.periodEnd = selection.periodStart.addDays(27);
        LOC_RTString(1024);
        QString error;
        if (!m_data.open(m_folder.database(), &error))
            qFatal("cannot open the database: %s", qPrintable(error));
        const TotalsResult totals = TotalsByEmployee(m_data.database(), selection);
        if (!totals.written())
            qFatal("cannot compute the totals: %s", qPrintable(totals.error));
    }
    static ReportDatabase &instance()
    {
        static ReportDatabase database;
        return database;
    }

    // The report as a run builds it: the result, the layout, the binding.
    std::shared_ptr<DataReport> build() const
    {
        auto result = std::make_shared<HierarchicalResult>();
        QString error;
        if (!result->open(m_data.database(), ReportShapes::forSelection(selection, NoProjectName()), &error))
            qFatal("cannot open the report: %s", qPrintable(error));
        auto report = ReportRun::createLayout(selection);
        report->setDataSource(result);
        return report;
    }

    QString directory() const { return m_folder.directory(); }
    ReportSelection selection;

private:
    bench::MillionPunchFolder m_folder;
    ReportData m_data;
};

const ReportPageGeometry &geometry()
{
    static const ReportPageGeometry g =
        ReportPageGeometry::forPageSize(ReportPageGeometry::defaultPageSize());
    return g;
}

void paintOnScreen(const DataReport &report, const ReportPages &pages, int page)
{
    const double scale = 96.0 / Twips::PerInch;
    QImage image(int(geometry().pageWidth * scale), int(geometry().pageHeight * scale), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    ReportPainter::paintPage(painter, report, pages, page, geometry(), scale);
}

void BM_ReportFirstPageOnScreen(benchmark::State &state)
{
    ReportDatabase &db = ReportDatabase::instance();
    int pageCount = 0;
    for (auto _ : state) {
        const auto report = db.build();
        const ReportPages pages = report->paginate(geometry().bodyHeight());
        paintOnScreen(*report, pages, 0);
        pageCount = pages.pageCount();
    }
    state.counters["pages"] = pageCount;
    state.counters["peak_MB"] = bench::processMegabytes("VmHWM:");
}
BENCHMARK(BM_ReportFirstPageOnScreen)->Unit(benchmark::kMillisecond)->Iterations(3);

// The two parts of the first page: the report's rows read, then its pages laid out.
void BM_ReportRowsRead(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReportDatabase::instance().build());
}
BENCHMARK(BM_ReportRowsRead)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReportPagesLaidOut(benchmark::State &state)
{
    const auto report = ReportDatabase::instance().build();
    for (auto _ : state)
        benchmark::DoNotOptimize(report->paginate(geometry().bodyHeight()));
}
BENCHMARK(BM_ReportPagesLaidOut)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReportTurnPage(benchmark::State &state)
{
    const auto report = ReportDatabase::instance().build();
    const ReportPages pages = report->paginate(geometry().bodyHeight());
    int page = 0;
    for (auto _ : state) {
        paintOnScreen(*report, pages, page);
        page = (page + 997) % pages.pageCount();
    }
}
BENCHMARK(BM_ReportTurnPage)->Unit(benchmark::kMillisecond);

void BM_ReportWholePdf(benchmark::State &state)
{
    ReportDatabase &db = ReportDatabase::instance();
    const auto report = db.build();
    const QString path = db.directory() + QStringLiteral("/report.pdf");
    for (auto _ : state) {
        QString error;
        if (!ReportPainter::writePdf(*report, path, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["MB_pdf"] = QFile(path).size() / 1048576.0;
    state.counters["peak_MB"] = bench::processMegabytes("VmHWM:");
}
BENCHMARK(BM_ReportWholePdf)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
