// The worked-time totals of the reports on a database of a million punches:
// every employee over a period of 28 days, by employee and by project.
#include "MillionPunchFolder.h"
#include "reports/ReportData.h"
#include "reports/Totals.h"
#include "support/ScriptedDialogs.h"

#include <benchmark/benchmark.h>

using namespace tarnvik;

namespace {

// The program folder whose database the totals read.
bench::MillionPunchFolder &reportFolder()
{
    static bench::MillionPunchFolder folder(bench::MillionPunchFolder::Indexes::Ensured);
    return folder;
}

// All employees, archived and current punches, the 28 days from 3 March 2003.
ReportSelection fourWeeks()
{
    ReportSelection selection;
    selection.periodStart = QDate(2003, 3, 3);
    selection.periodEnd = QDate(2003, 3, 30);
    return selection;
}

void runTotals(benchmark::State &state, ReportSelection::Kind kind)
{
    const QString path = reportFolder().database();
    test::ScriptedDialogs dialogs;
    const ReportSelection selection = fourWeeks();
    qint64 rows = 0;
    for (auto _ : state) {
        // A run's connection and its copies of the tables, then the totals.
        ReportData data;
        QString error;
        if (!data.open(path, &error)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        const TotalsResult result = kind == ReportSelection::Kind::ByEmployee
                                        ? TotalsByEmployee(data.database(), selection)
                                        : TotalsByProject(data.database(), selection);
        state.PauseTiming();
        data.close();
        if (!result.written()) {
            state.SkipWithError(qPrintable(u"the totals were not written: "_qs + result.error));
            break;
        }
        rows = result.rows;
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
}

void BM_TotalsByEmployeeFourWeeks(benchmark::State &state)
{
    runTotals(state, ReportSelection::Kind::ByEmployee);
}
BENCHMARK(BM_TotalsByEmployeeFourWeeks)->Unit(benchmark::kMillisecond);

void BM_TotalsByProjectFourWeeks(benchmark::State &state)
{
    runTotals(state, ReportSelection::Kind::ByProject);
}
BENCHMARK(BM_TotalsByProjectFourWeeks)->Unit(benchmark::kMillisecond);

} // namespace
