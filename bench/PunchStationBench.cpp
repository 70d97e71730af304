// The punch station's main window on a database of a million punches: a
// keystroke in the number box, a punch from Enter to stored, and start-up.
#include "MillionPunchFolder.h"
#include "common/Database.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/DataCombo.h"
#include "station/frmPunch.h"
#include "support/DataGenerator.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tarnvik;

namespace {

// The station's program folder; the punches written here stay out of the cache.
bench::MillionPunchFolder &station()
{
    static bench::MillionPunchFolder folder;
    return folder;
}

std::unique_ptr<frmPunch> openWindow()
{
    auto window = std::make_unique<frmPunch>();
    window->Form_Load();
    window->show();
    QApplication::processEvents();
    return window;
}

void key(QWidget *widget, int code, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

// The last digit of an employee's number typed: the status line shows his
// latest punch. (Backspace, untimed, takes the digit away again.)
void BM_KeystrokeShowsStatusLine(benchmark::State &state)
{
    station();
    test::ScriptedDialogs dialogs;
    std::unique_ptr<frmPunch> window = openWindow();
    window->txtNumVendeur->setFocus();
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString number = test::employeeNumber(i++ % 500);
        window->txtNumVendeur->setText(number.chopped(1));
        const QString last = number.right(1);
        // Back to waiting between keystrokes: the database is closed, as the
        // event loop closes it, and the keystroke opens it again.
        Database::releaseConnections();
        state.ResumeTiming();
        key(window->txtNumVendeur, Qt::Key_0 + last.toInt(), last);
        benchmark::DoNotOptimize(window->lblStatus->text());
    }
    if (window->lblStatus->text().isEmpty())
        state.SkipWithError("the status line stayed empty");
}
BENCHMARK(BM_KeystrokeShowsStatusLine)->Unit(benchmark::kMillisecond);

// Enter in the note box, the confirmation answered Yes, the punch stored
// (Punch row, status, presence) and committed to the disk.
void BM_PunchFromEnterToStored(benchmark::State &state)
{
    const bench::MillionPunchFolder &folder = station();
    test::ScriptedDialogs dialogs;
    std::unique_ptr<frmPunch> window = openWindow();
    const auto punches = [&]() {
        QSqlQuery q(Database::connection(folder.database()));
        q.exec(QStringLiteral("SELECT COUNT(*) FROM Punch"));
        return q.next() ? q.value(0).toLongLong() : -1;
    };
    const qint64 before = punches();
    qint64 done = 0;
    qint64 refused = 0;
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window->txtNumVendeur->setText(test::employeeNumber(i % 500));
        window->dcbProjet->setText(test::subProjectName(3, (i / 500) % 10));
        window->txtDescription->setFocus();
        dialogs.clear();
        dialogs.thenYes();
        ++i;
        Database::releaseConnections(); // back to waiting between punches
        state.ResumeTiming();
        key(window->txtDescription, Qt::Key_Return, QStringLiteral("\r"));
        state.PauseTiming();
        // A pair of the generated history cut by the archiving date leaves
        // more "Out" than "In" on a few sub-projects: those punches are refused.
        if (dialogs.messages().size() == 1 && dialogs.messages()[0].startsWith(LOC_RTString(1256)))
            ++done;
        else
            ++refused;
        state.ResumeTiming();
    }
    if (punches() - before != done)
        state.SkipWithError("not every confirmed punch was stored");
    state.counters["refused"] = double(refused);
}
BENCHMARK(BM_PunchFromEnterToStored)->Unit(benchmark::kMillisecond);

// From nothing to a window on screen that takes a number: settings file,
// database, language file, captions, lists and clock.
void BM_StartUpToUsableWindow(benchmark::State &state)
{
    station();
    test::ScriptedDialogs dialogs;
    for (auto _ : state) {
        state.PauseTiming();
        Database::closeAll();
        LOCRTSModule::reset();
        ProgramState::reset();
        state.ResumeTiming();
        std::unique_ptr<frmPunch> window = openWindow();
        benchmark::DoNotOptimize(window->txtNumVendeur->isVisible());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    if (dialogs.unanswered() > 0 || !dialogs.messages().isEmpty())
        state.SkipWithError("the start-up asked something");
}
BENCHMARK(BM_StartUpToUsableWindow)->Unit(benchmark::kMillisecond);

// The same while another program holds the database's write lock: the window
// comes up at once and says the database is busy, instead of waiting for it.
void BM_StartUpWithTheDatabaseLocked(benchmark::State &state)
{
    const bench::MillionPunchFolder &folder = station();
    test::ScriptedDialogs dialogs;
    Database::closeAll();
    QSqlDatabase other =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other-program"));
    other.setDatabaseName(folder.database());
    if (!other.open() || !QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")))
        state.SkipWithError("cannot lock the database");
    for (auto _ : state) {
        state.PauseTiming();
        Database::closeAll();
        LOCRTSModule::reset();
        ProgramState::reset();
        dialogs.clear();
        state.ResumeTiming();
        std::unique_ptr<frmPunch> window = openWindow();
        benchmark::DoNotOptimize(window->txtNumVendeur->isVisible());
        state.PauseTiming();
        if (dialogs.messages().size() != 1)
            state.SkipWithError("the busy database was not told once");
        window.reset();
        state.ResumeTiming();
    }
    QSqlQuery(other).exec(QStringLiteral("ROLLBACK"));
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
}
BENCHMARK(BM_StartUpWithTheDatabaseLocked)->Unit(benchmark::kMillisecond);

} // namespace
