#include "reports/frmRapport.h"

#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "reports/ReportRun.h"
#include "reports/Totals.h"
#include "reports/ui/ReportPreview.h"

#include <QCloseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>

namespace tarnvik {

// The report run: the period fixed in the pickers, then the totals of the
// chosen kind, the report over them with its exports, shown until the user
// closes it. While it runs, a second OK does nothing, and closing the
// window (or quitting the station) cancels it: the window closes once the
// run has ended, never under it.
void frmRapport::cmdOk_Click()
{
    if (m_run)
        return;
    fixPeriod();
    ReportRun::Hooks hooks;
    hooks.computeTotals = [this](const QSqlDatabase &db, const ReportSelection &, StepProgress &progress) {
        return optEmp->isChecked() ? TimeDiff2(db, progress) : ProjTimeDiff(db, progress);
    };
    hooks.exportWorkbook = exportWorkbook;
    hooks.showReport = [this](const std::shared_ptr<DataReport> &report) {
        // The employees' Status goes into the file; one that cannot be
        // written is told, and the report shows all the same.
        QString error;
        if (!applyStatusChanges(ProgramState::DbPath, m_statusChanges, &error))
            MsgBox(LOC_RTString(1844).arg(error), MsgStyle::Exclamation);
        m_statusChanges.clear();
        ShowReport(report, 1, this);
    };
    hooks.afterCleanUp = [this] {
        datVendeur.setRecordSource(
            SqlQuery("SELECT * FROM Vendeurs WHERE NomVendeur Is Not Null ORDER BY NoVendeur;"));
        datVendeur.Refresh();
        update();
    };
    const QPointer<frmRapport> self(this);
    ReportRun run(ProgramState::DbPath, selection(), std::move(hooks));
    m_run = &run;
    m_statusChanges.clear();
    run.run();
    if (!self)
        return;
    m_run = nullptr;
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void frmRapport::closeEvent(QCloseEvent *event)
{
    if (m_run) {
        m_closeAfterRun = true;
        m_run->cancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmRapport::reject()
{
    if (m_run) {
        m_closeAfterRun = true;
        m_run->cancel();
        return;
    }
    QDialog::reject();
}

} // namespace tarnvik
