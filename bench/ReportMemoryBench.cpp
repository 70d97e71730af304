// The peak memory of whole report runs on the database of a million punches,
// each measured in a child process (peak resident size, getrusage): the
// totals, the report's rows, its pages in the preview window and, in one
// case, the workbook. A report without punch lines must not grow with the
// punches it does not show.
#include "MillionPunchFolder.h"
#include "ReportMemory.h"
#include "localisation/LOCRTSModule.h"
#include "platform/Spreadsheet.h"
#include "reports/ReportRun.h"
#include "reports/Totals.h"
#include "reports/ui/ReportPreview.h"
#include "support/DataGenerator.h"
#include "support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

using namespace tarnvik;

namespace {

struct MemoryCase {
    const char *name;
    ReportSelection::Kind kind;
    bool detail;
    int days; // from 2 June 2003, or 20 years up to the end of the data when 0
    bool workbook;
};

constexpr MemoryCase Cases[] = {
    {"employee-28-days-lines", ReportSelection::Kind::ByEmployee, true, 28, false},
    {"employee-28-days-lines-workbook", ReportSelection::Kind::ByEmployee, true, 28, true},
    {"employee-20-years-no-lines", ReportSelection::Kind::ByEmployee, false, 0, false},
    {"project-20-years-no-lines", ReportSelection::Kind::ByProject, false, 0, false},
    {"employee-20-years-lines", ReportSelection::Kind::ByEmployee, true, 0, false},
    {"project-20-years-lines", ReportSelection::Kind::ByProject, true, 0, false},
    {"project-20-years-no-lines-workbook", ReportSelection::Kind::ByProject, false, 0, true},
    {"employee-20-years-lines-workbook", ReportSelection::Kind::ByEmployee, true, 0, true},
};

const MemoryCase *findCase(const char *name)
{
    for (const MemoryCase &c : Cases)
        if (std::strcmp(c.name, name) == 0)
            return &c;
    return nullptr;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One report run as the report window makes it, its report shown in the
// preview window and closed.
int runCase(const MemoryCase &c)
{
    bench::MillionPunchFolder folder(bench::MillionPunchFolder::Indexes::Ensured);
    test::ScriptedDialogs dialogs; // answers every box, shows no window
    LOC_RTString(1024);
    SpreadsheetApplication::setDocumentsFolder(folder.filePath(QStringLiteral("Documents")));
    ReportSelection selection;
    selection.kind = c.kind;
    selection.detail = c.detail;
    selection.exportWorkbook = c.workbook;
    selection.periodEnd = c.days ? QDate(2003, 6, 2).addDays(c.days - 1) : QDate(2003, 12, 31);
    selection.periodStart = c.days ? QDate(2003, 6, 2) : selection.periodEnd.addYears(-20).addDays(1);
    const long before = peakKilobytes();

    ReportRun::Hooks hooks;
    hooks.computeTotals = [](const QSqlDatabase &db, const ReportSelection &s, StepProgress &progress) {
        const TotalsProgress tell = [&progress](qint64 done, qint64 total) {
            return progress.at(done, total);
        };
        const TotalsResult totals = s.kind == ReportSelection::Kind::ByEmployee
                                        ? TotalsByEmployee(db, s, tell)
                                        : TotalsByProject(db, s, tell);
        return totals.written();
    };
    int pages = 0;
    hooks.showReport = [&pages](const std::shared_ptr<DataReport> &report) {
        ReportPreview preview(report);
        preview.show();
        QCoreApplication::processEvents();
        pages = preview.pageCount();
    };
    QElapsedTimer timer;
    timer.start();
    const bool shown = ReportRun(folder.database(), selection, std::move(hooks)).run();
    std::printf("peak_kb=%ld before_kb=%ld pages=%d shown=%d ms=%lld\n", peakKilobytes(), before, pages,
                shown ? 1 : 0, timer.elapsed());
    SpreadsheetApplication::setDocumentsFolder(QString());
    return shown ? 0 : 1;
}

void BM_ReportPeakMemory(benchmark::State &state, const char *name)
{
    QString error;
    if (test::cachedGeneratedDatabase(test::millionPunches(), &error).isEmpty()) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    QString output;
    for (auto _ : state) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(bench::ReportMemorySwitch), QString::fromLatin1(name)});
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            state.SkipWithError("the report run did not show its report");
            return;
        }
        output = QString::fromLatin1(child.readAllStandardOutput());
    }
    const auto field = [&output](const char *key) {
        const QRegularExpression re(QString::fromLatin1(key) + QStringLiteral("=(\\d+)"));
        return re.match(output).captured(1).toDouble();
    };
    state.counters["peak_MB"] = field("peak_kb") / 1024.0;
    state.counters["before_run_MB"] = field("before_kb") / 1024.0;
    state.counters["pages"] = field("pages");
    state.counters["run_s"] = field("ms") / 1000.0;
}

} // namespace

BENCHMARK_CAPTURE(BM_ReportPeakMemory, employee_28_days_lines, "employee-28-days-lines")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_ReportPeakMemory, employee_28_days_lines_workbook, "employee-28-days-lines-workbook")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_ReportPeakMemory, employee_20_years_no_lines, "employee-20-years-no-lines")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_ReportPeakMemory, project_20_years_no_lines, "project-20-years-no-lines")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_ReportPeakMemory, employee_20_years_lines, "employee-20-years-lines")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_ReportPeakMemory, project_20_years_lines, "project-20-years-lines")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

BENCHMARK_CAPTURE(BM_ReportPeakMemory, project_20_years_no_lines_workbook,
                  "project-20-years-no-lines-workbook")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_ReportPeakMemory, employee_20_years_lines_workbook, "employee-20-years-lines-workbook")
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

namespace tarnvik::bench {

int runReportMemoryChild(int argc, char **argv)
{
    if (argc < 3 || std::strcmp(argv[1], ReportMemorySwitch) != 0)
        return -1;
    const MemoryCase *c = findCase(argv[2]);
    if (!c) {
        std::fprintf(stderr, "no report memory case %s\n", argv[2]);
        return 2;
    }
    return runCase(*c);
}

} // namespace tarnvik::bench
