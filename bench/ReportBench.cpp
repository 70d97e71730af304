// The worked-time report by employee over 28 days for all 500 employees with
// detail, on a database of a million punches: the first page on screen,
// turning pages, and the whole report written as PDF.
#include "common/Database.h"
#include "common/ProgramFolder.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "localisation/LOCRTSModule.h"
#include "reports/ReportRun.h"
#include "reports/ReportShapes.h"
#include "reports/ui/ReportPainter.h"
#include "support/DataGenerator.h"
#include "support/ProgramFixture.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tarnvik;

namespace {

// Peak resident memory of the process, in megabytes.
double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// A copy of the generated database holding the temporary rows that the totals
// by employee write: every employee on every sub-project and project.
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
        m_path = m_dir.filePath(QStringLiteral("tarnvik.mdb"));
        if (!QFile::copy(cached, m_path))
            qFatal("cannot copy the benchmark database");
        QSqlDatabase db = Database::connection(m_path);
        Database::exec(db, QStringLiteral("UPDATE Acces SET Lang = 2"));
        SettingsFile::writeDatabasePath(SettingsFile::path(), m_path);
        ProgramState::DbPath = m_path;
        ProgramState::ConnString = buildConnString(m_path);
        const test::GeneratedData data = test::millionPunches();
        Transaction tx(db);
        const QString sql = QStringLiteral("INSERT INTO Projets (NoVendeur, Projet, SousProjet, TotalHeures) "
                                           "VALUES (?, ?, ?, '12:34 Hours:Minutes')");
        for (int e = 0; e < data.employees; ++e)
            for (int p = 0; p < data.projects; ++p) {
                for (int s = 0; s < data.subProjectsPerProject; ++s)
                    Database::exec(
                        db, sql, {test::employeeNumber(e), test::projectName(p), test::subProjectName(p, s)});
                Database::exec(db, sql, {test::employeeNumber(e), test::projectName(p), QVariant()});
            }
        tx.commit();
        selection.kind = ReportSelection::Kind::ByEmployee;
        selection.periodStart = QDate(2003, 6, 2);
        selection.periodEnd = selection.periodStart.addDays(27);
        LOC_RTString(1024);
    }
    ~ReportDatabase()
    {
        Database::closeAll();
        ProgramFolder::setOverride(QString());
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
        if (!result->open(m_path, ReportShapes::forSelection(selection, NoProjectName()), &error))
            qFatal("cannot open the report: %s", qPrintable(error));
        auto report = ReportRun::createLayout(selection);
        report->setDataSource(result);
        return report;
    }

    QString directory() const { return m_dir.path(); }
    ReportSelection selection;

private:
    QTemporaryDir m_dir;
    QString m_path;
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
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ReportFirstPageOnScreen)->Unit(benchmark::kMillisecond)->Iterations(3);

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
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ReportWholePdf)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
