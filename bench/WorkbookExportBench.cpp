// The spreadsheet export of the report by employee, with the punches, for
// every employee over 28 days of the database of a million punches.
#include "MillionPunchFolder.h"
#include "common/Database.h"
#include "localisation/LOCRTSModule.h"
#include "platform/Spreadsheet.h"
#include "reports/WorkbookExport.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

using namespace tarnvik;

namespace {

// All employees, archived and current punches, the 28 days from 3 March 2003.
ReportSelection fourWeeksWithDetail()
{
    ReportSelection selection;
    selection.kind = ReportSelection::Kind::ByEmployee;
    selection.detail = true;
    selection.exportWorkbook = true;
    selection.periodStart = QDate(2003, 3, 3);
    selection.periodEnd = QDate(2003, 3, 30);
    return selection;
}

// A program folder holding the language file and a copy of the generated
// database, with the temporary rows that the totals by employee write over
// the period: one per employee and sub-project, one per employee and
// project, each a worked-time text.
class ExportDatabase {
public:
    ExportDatabase()
    {
        writeTotals(Database::connection(m_folder.database()));
        SpreadsheetApplication::setDocumentsFolder(documents());
    }
    ~ExportDatabase() { SpreadsheetApplication::setDocumentsFolder(QString()); }
    QString path() const { return m_folder.database(); }
    QString documents() const { return m_folder.filePath(QStringLiteral("Documents")); }

    static ExportDatabase &instance()
    {
        static ExportDatabase database;
        return database;
    }

private:
    // The minutes of each employee on each sub-project: every Out adds its
    // moment and every In takes its moment away, which sums the In-Out pairs
    // of the generated punches.
    void writeTotals(const QSqlDatabase &db)
    {
        const ReportSelection s = fourWeeksWithDetail();
        const QString suffix = LOC_RTString(1032);
        QString error;
        const QStringList statements = {
            QStringLiteral("CREATE TEMP TABLE Worked AS SELECT NoVendeur, Projet, SousProjet, "
                           "MAX(0, CAST(ROUND(SUM(CASE InOut WHEN 'Out' THEN 1440.0 ELSE -1440.0 END * "
                           "julianday(PunchDateShort || ' ' || PunchTime))) AS INTEGER)) AS m FROM Punch "
                           "WHERE PunchDateShort >= ? AND PunchDateShort <= ? "
                           "GROUP BY NoVendeur, Projet, SousProjet"),
            QStringLiteral(
                "CREATE TEMP TABLE Pairs AS SELECT v.NoVendeur, s.Projet, s.SousProjet, "
                "COALESCE(w.m, 0) AS m FROM Vendeurs v CROSS JOIN Projets s LEFT JOIN Worked w "
                "ON w.NoVendeur = v.NoVendeur AND w.Projet = s.Projet AND w.SousProjet = s.SousProjet "
                "WHERE v.NomVendeur IS NOT NULL AND s.SousProjet IS NOT NULL AND s.TotalHeures IS NULL "
                "ORDER BY v.NoVendeur, s.Projet, s.SousProjet"),
            QStringLiteral(
                "INSERT INTO Projets (Projet, SousProjet, NoVendeur, TotalHeures) "
                "SELECT Projet, SousProjet, NoVendeur, (m / 60) || ':' || printf('%02d', m % 60) || ? "
                "FROM Pairs"),
            QStringLiteral(
                "INSERT INTO Projets (Projet, SousProjet, NoVendeur, TotalHeures) "
                "SELECT Projet, NULL, NoVendeur, (SUM(m) / 60) || ':' || printf('%02d', SUM(m) % 60) || ? "
                "FROM Pairs GROUP BY NoVendeur, Projet"),
        };
        const QList<QVariantList> params = {{s.periodStart, s.periodEnd}, {}, {suffix}, {suffix}};
        for (int i = 0; i < statements.size(); ++i) {
            if (!Database::exec(db, statements[i], params[i], &error))
                qFatal("cannot write the report totals: %s", qPrintable(error));
        }
    }

    bench::MillionPunchFolder m_folder{bench::MillionPunchFolder::Indexes::Ensured};
};

void BM_WorkbookByEmployeeWithDetailFourWeeks(benchmark::State &state)
{
    ExportDatabase &database = ExportDatabase::instance();
    test::ScriptedDialogs dialogs; // the desktop "opens" the workbook
    const ReportSelection selection = fourWeeksWithDetail();
    qint64 rows = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const WorkbookExportResult result = ExportXL(Database::connection(database.path()), selection);
        state.PauseTiming();
        if (!result.filled || result.savedFiles.size() != 1) {
            state.SkipWithError(qPrintable(QStringLiteral("the workbook was not written: ") + result.error));
            break;
        }
        rows = result.lastRow;
        bytes = QFileInfo(result.savedFiles[0]).size();
        QFile::remove(result.savedFiles[0]);
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_WorkbookByEmployeeWithDetailFourWeeks)->Unit(benchmark::kMillisecond);

} // namespace
