// The archives and correction windows on a database of a million punches:
// opening, going to the last row, opening the corrections on a punch deep in
// the list, purging a year, and the memory held after the whole archive was
// scrolled through.
#include "MillionPunchFolder.h"
#include "admin/frmArchives.h"
#include "admin/frmModifier.h"
#include "common/ProgramState.h"
#include "common/Recordset.h"
#include "common/RecordsetTableModel.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/DataGrid.h"
#include "platform/ui/Pickers.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tarnvik;

namespace {

// The program folder, whose database the purge may change.
bench::MillionPunchFolder &archiveFolder()
{
    static bench::MillionPunchFolder folder;
    return folder;
}

std::unique_ptr<frmArchives> openArchives()
{
    auto window = std::make_unique<frmArchives>();
    window->show();
    QApplication::processEvents();
    return window;
}

void ctrlEnd(QWidget *grid)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(grid, &press);
    QApplication::processEvents();
}

// From the menu's click to the window on screen with its first rows painted.
void BM_ArchivesOpenWithFirstRows(benchmark::State &state)
{
    archiveFolder();
    test::ScriptedDialogs dialogs;
    for (auto _ : state) {
        std::unique_ptr<frmArchives> window = openArchives();
        window->dgArchives->viewport()->repaint();
        benchmark::DoNotOptimize(window->dgArchives->model()->index(0, 0).data());
        state.PauseTiming();
        if (window->dgArchives->model()->rowCount() < 20) {
            state.SkipWithError("the first rows were not shown");
            break;
        }
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ArchivesOpenWithFirstRows)->Unit(benchmark::kMillisecond);

// Ctrl+End in the grid of the current punches: the last of about 500,000 rows
// current and shown.
void BM_ArchivesGoToLastRow(benchmark::State &state)
{
    archiveFolder();
    test::ScriptedDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<frmArchives> window = openArchives();
        window->dgArchives->setFocus();
        state.ResumeTiming();
        ctrlEnd(window->dgArchives);
        window->dgArchives->viewport()->repaint();
        state.PauseTiming();
        const int rows = window->dgArchives->model()->rowCount();
        if (rows < 400000 || window->dgArchives->currentRow() != rows - 1) {
            state.SkipWithError("the grid did not reach the last row");
            break;
        }
        state.counters["rows"] = rows;
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ArchivesGoToLastRow)->Unit(benchmark::kMillisecond)->Iterations(5);

// The correction window opened on a punch near the end of the current list
// (the last punch of an employee): loaded, positioned and shown.
void BM_CorrectionOpensOnDeepPunch(benchmark::State &state)
{
    archiveFolder();
    test::ScriptedDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<frmArchives> window = openArchives();
        Recordset &list = window->datPunch.recordset();
        const qint64 deep = 499000;
        list.setBookmark(deep);
        const QString number = list.value(QStringLiteral("NoVendeur")).toString();
        const QString date = list.value(QStringLiteral("PunchDateShort")).toString();
        ProgramState::OpeningModifier = true;
        state.ResumeTiming();
        {
            frmModifier corrections(window.get(), nullptr, window.get());
            corrections.show();
            QApplication::processEvents();
            state.PauseTiming();
            state.counters["row in employee list"] = corrections.dgArchives->currentRow();
            if (corrections.lblNoEmp->text() != number ||
                corrections.DPicker->Value().toString(Qt::ISODate) != date ||
                corrections.dgArchives->currentRow() < 100) {
                qWarning("%s %s, row %d: expected %s %s", qPrintable(corrections.lblNoEmp->text()),
                         qPrintable(corrections.DPicker->Value().toString(Qt::ISODate)),
                         corrections.dgArchives->currentRow(), qPrintable(number), qPrintable(date));
                state.SkipWithError("the correction window is not on the selected punch");
                break;
            }
        }
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CorrectionOpensOnDeepPunch)->Unit(benchmark::kMillisecond)->Iterations(5);

// The purge button answered Yes for 31 December 2001: the 333,500 punches of
// 2001 deleted in one transaction and the current list shown again.
void BM_PurgeOneYear(benchmark::State &state)
{
    bench::MillionPunchFolder &folder = archiveFolder();
    test::ScriptedDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        folder.freshCopy();
        std::unique_ptr<frmArchives> window = openArchives();
        window->DPicker->setValue(QDate(2001, 12, 31));
        dialogs.clear();
        dialogs.thenYes();
        state.ResumeTiming();
        window->cmdSupp->click();
        state.PauseTiming();
        if (dialogs.messages().value(1) != LOC_RTString(1820).arg(333500)) {
            state.SkipWithError("the purge did not delete the year");
            break;
        }
        window.reset();
        state.ResumeTiming();
    }
    folder.freshCopy();
}
BENCHMARK(BM_PurgeOneYear)->Unit(benchmark::kMillisecond)->Iterations(3);

// The resident size of the process once the archives window is open, and
// after its whole current and archived lists were scrolled to the end.
void BM_MemoryAfterScrollingWholeArchive(benchmark::State &state)
{
    archiveFolder();
    test::ScriptedDialogs dialogs;
    for (auto _ : state) {
        std::unique_ptr<frmArchives> window = openArchives();
        state.counters["MB at opening"] = bench::processMegabytes("VmRSS:");
        ctrlEnd(window->dgArchives);
        window->chkVoir->setChecked(true);
        ctrlEnd(window->dgArchives);
        window->chkVoir->setChecked(false);
        ctrlEnd(window->dgArchives);
        state.counters["MB after scrolling"] = bench::processMegabytes("VmRSS:");
    }
}
BENCHMARK(BM_MemoryAfterScrollingWholeArchive)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
