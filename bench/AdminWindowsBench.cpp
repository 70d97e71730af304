// The employees and projects windows on the database of a million punches:
// from the menu's call to the window on screen with its rows painted.
#include "admin/frmProjets.h"
#include "admin/frmVendeurs.h"
#include "common/Database.h"
#include "common/ProgramFolder.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/DataGrid.h"
#include "support/DataGenerator.h"
#include "support/ProgramFixture.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tarnvik;

namespace {

// A program folder holding the language file and a copy of the generated
// database, in English.
class AdminFolder {
public:
    AdminFolder()
    {
        QString error;
        const QString cached = test::cachedGeneratedDatabase(test::millionPunches(), &error);
        if (cached.isEmpty())
            qFatal("cannot generate the benchmark database: %s", qPrintable(error));
        Database::closeAll();
        ProgramFolder::setOverride(m_dir.path());
        test::copyProgramFiles(m_dir.path());
        const QString database = m_dir.filePath(QStringLiteral("tarnvik.mdb"));
        if (!QFile::copy(cached, database))
            qFatal("cannot copy the benchmark database");
        Database::exec(Database::connection(database), QStringLiteral("UPDATE Acces SET Lang = 2"));
        ProgramState::DbPath = database;
        ProgramState::ConnString = buildConnString(database);
        LOC_RTString(1232); // the language file is loaded by the main window at start-up
    }
    ~AdminFolder()
    {
        Database::closeAll();
        ProgramFolder::setOverride(QString());
    }
    static AdminFolder &instance()
    {
        static AdminFolder folder;
        return folder;
    }

private:
    QTemporaryDir m_dir;
};

template <typename Window, typename Open>
void openWindow(benchmark::State &state, Open open, DataGrid *Window::*grid)
{
    AdminFolder::instance();
    test::ScriptedDialogs dialogs;
    int rowsShown = 0;
    for (auto _ : state) {
        std::unique_ptr<Window> window = open();
        window->show();
        QApplication::processEvents(); // laid out and painted
        rowsShown = ((*window).*grid)->model()->rowCount();
        state.PauseTiming();
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = rowsShown;
    if (rowsShown < 20 || !dialogs.messages().isEmpty())
        state.SkipWithError("the window showed no rows or a message");
}

void BM_EmployeesWindowOpens(benchmark::State &state)
{
    openWindow<frmVendeurs>(
        state, [] { return std::make_unique<frmVendeurs>(); }, &frmVendeurs::dgVendeurs);
}
BENCHMARK(BM_EmployeesWindowOpens)->Unit(benchmark::kMillisecond);

void BM_ProjectsWindowOpens(benchmark::State &state)
{
    openWindow<frmProjets>(
        state, [] { return std::make_unique<frmProjets>(nullptr); }, &frmProjets::dgProjets);
}
BENCHMARK(BM_ProjectsWindowOpens)->Unit(benchmark::kMillisecond);

} // namespace
