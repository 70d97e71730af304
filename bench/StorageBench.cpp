// Storage look-ups of the punch road on a database of a million punches.
#include "common/DataSource.h"
#include "common/Database.h"
#include "common/DateFormat.h"
#include "common/ProgramState.h"
#include "support/DataGenerator.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tarnvik;

namespace {

const QString &benchDatabase()
{
    static const QString path = [] {
        QString error;
        const QString p = test::cachedGeneratedDatabase(test::millionPunches(), &error);
        if (p.isEmpty())
            qFatal("cannot generate the benchmark database: %s", qPrintable(error));
        return p;
    }();
    return path;
}

void BM_LatestPunchOfOneNumber(benchmark::State &state)
{
    DataSource source;
    source.setConnectionString(buildConnString(benchDatabase()));
    int i = 0;
    for (auto _ : state) {
        source.setRecordSource(SqlQuery("SELECT * FROM Punch WHERE NoVendeur = ? "
                                        "ORDER BY PunchDateShort DESC, PunchTime DESC",
                                        {test::employeeNumber(i++ % 500)}));
        source.Refresh();
        benchmark::DoNotOptimize(source->Fields("InOut").Value());
    }
}
BENCHMARK(BM_LatestPunchOfOneNumber)->Unit(benchmark::kMicrosecond);

void BM_CurrentPunchesOfNumberOnSubProject(benchmark::State &state)
{
    DataSource source;
    source.setConnectionString(buildConnString(benchDatabase()));
    int i = 0;
    for (auto _ : state) {
        source.setRecordSource(
            SqlQuery("SELECT * FROM Punch WHERE NoVendeur = ? AND Archived = 0 AND "
                     "SousProjet = ? ORDER BY PunchDateShort, PunchTime",
                     {test::employeeNumber(i % 500), test::subProjectName(i % 20, i % 10)}));
        ++i;
        source.Refresh();
        int in = 0;
        for (Recordset &rs = source.recordset(); !rs.isEOF(); rs.MoveNext())
            in += rs.Fields("InOut").Value().toString() == QLatin1String("In");
        benchmark::DoNotOptimize(in);
    }
}
BENCHMARK(BM_CurrentPunchesOfNumberOnSubProject)->Unit(benchmark::kMicrosecond);

void BM_OpenAllCurrentPunchesFirst50Rows(benchmark::State &state)
{
    DataSource source;
    source.setConnectionString(buildConnString(benchDatabase()));
    source.setRecordSource("SELECT * FROM Punch WHERE Archived = 0 ORDER BY NoVendeur, Projet, SousProjet, "
                           "PunchDateShort DESC, PunchTime");
    for (auto _ : state) {
        source.Refresh();
        Recordset &rs = source.recordset();
        for (int row = 0; row < 50 && !rs.isEOF(); ++row) {
            benchmark::DoNotOptimize(rs.Fields("NoVendeur").Value());
            rs.MoveNext();
        }
    }
}
BENCHMARK(BM_OpenAllCurrentPunchesFirst50Rows)->Unit(benchmark::kMillisecond);

void BM_AppendOnePunchDurably(benchmark::State &state)
{
    // A copy, so the shared database keeps its million punches unchanged.
    QTemporaryDir dir;
    const QString path = dir.filePath("tarnvik.mdb");
    QFile::copy(benchDatabase(), path);
    {
        QSqlDatabase db = Database::connection(path);
        int i = 0;
        for (auto _ : state) {
            Transaction tx(db);
            Database::exec(
                db,
                "INSERT INTO Punch (NoVendeur, InOut, PunchDateShort, PunchTime, PunchDateLong, Projet, "
                "SousProjet) VALUES (?, ?, ?, ?, ?, ?, ?)",
                {test::employeeNumber(i++ % 500), "In", QDate(2004, 1, 5), QTime(8, 0), "lundi",
                 test::projectName(1), test::subProjectName(1, 1)});
            tx.commit();
        }
    }
    Database::closeAll();
}
BENCHMARK(BM_AppendOnePunchDurably)->Unit(benchmark::kMillisecond);

} // namespace
