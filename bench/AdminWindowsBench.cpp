// The employees and projects windows on the database of a million punches:
// from the menu's call to the window on screen with its rows painted.
#include "MillionPunchFolder.h"
#include "admin/frmProjets.h"
#include "admin/frmVendeurs.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/DataGrid.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tarnvik;

namespace {

// The program folder, with the language file loaded as the main window loads
// it at start-up.
void prepareFolder()
{
    static bench::MillionPunchFolder folder;
    LOC_RTString(1232);
}

template <typename Window, typename Open>
void openWindow(benchmark::State &state, Open open, DataGrid *Window::*grid)
{
    prepareFolder();
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
