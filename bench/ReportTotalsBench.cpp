// The worked-time totals of the reports on a database of a million punches:
// every employee over a period of 28 days, by employee and by project.
#include "common/Database.h"
#include "common/ProgramFolder.h"
#include "common/ProgramState.h"
#include "reports/Totals.h"
#include "support/DataGenerator.h"
#include "support/ProgramFixture.h"
#include "support/ScriptedDialogs.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tarnvik;

namespace {

// A program folder holding the language file and a copy of the generated
// database, where the totals write their rows.
class ReportDatabase {
public:
    ReportDatabase()
    {
        QString error;
        const QString cached = test::cachedGeneratedDatabase(test::millionPunches(), &error);
        if (cached.isEmpty())
            qFatal("cannot generate the benchmark database: %s", qPrintable(error));
        Database::closeAll();
        ProgramFolder::setOverride(m_dir.path());
        test::copyProgramFiles(m_dir.path());
        m_database = m_dir.filePath(QStringLiteral("tarnvik.mdb"));
        if (!QFile::copy(cached, m_database))
            qFatal("cannot copy the benchmark database");
        // The station opens its database this way at start, which adds the
        // indexes a file made by an earlier version lacks.
        if (!Database::ensure(m_database, false).usable())
            qFatal("cannot open the benchmark database");
        Database::exec(Database::connection(m_database), QStringLiteral("UPDATE Acces SET Lang = 2"));
        ProgramState::DbPath = m_database;
        ProgramState::ConnString = buildConnString(m_database);
    }
    ~ReportDatabase()
    {
        Database::closeAll();
        ProgramFolder::setOverride(QString());
    }
    QString path() const { return m_database; }

    static ReportDatabase &instance()
    {
        static ReportDatabase database;
        return database;
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

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
    const QString path = ReportDatabase::instance().path();
    test::ScriptedDialogs dialogs;
    const ReportSelection selection = fourWeeks();
    qint64 rows = 0;
    for (auto _ : state) {
        const TotalsResult result = kind == ReportSelection::Kind::ByEmployee
                                        ? TotalsByEmployee(path, selection)
                                        : TotalsByProject(path, selection);
        state.PauseTiming();
        if (!result.written()) {
            state.SkipWithError(qPrintable(u"the totals were not written: "_qs + result.error));
            break;
        }
        rows = result.rows;
        removeTemporaryReportRows(path);
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
