#include "reports/frmRapport.h"

#include "common/ProgramState.h"
#include "reports/ReportRun.h"
#include "reports/Totals.h"
#include "reports/ui/ReportPreview.h"

#include <QRadioButton>

namespace tarnvik {

// The report run: the period fixed in the pickers, then the totals of the
// chosen kind, the report over them with its exports, shown until the user
// closes it, and the temporary rows removed on every way out.
void frmRapport::cmdOk_Click()
{
    fixPeriod();
    ReportRun::Hooks hooks;
    hooks.computeTotals = [this](const ReportSelection &) {
        return optEmp->isChecked() ? TimeDiff2() : ProjTimeDiff();
    };
    hooks.exportWorkbook = exportWorkbook;
    hooks.showReport = [this](const std::shared_ptr<DataReport> &report) { ShowReport(report, 1, this); };
    hooks.afterCleanUp = [this] {
        // The totals went where the window's data sources point; should that
        // not be the database the run checked, their rows go there too.
        if (datAcces.databasePath() != ProgramState::DbPath)
            removeTemporaryReportRows(datAcces.databasePath());
        datVendeur.setRecordSource(
            SqlQuery("SELECT * FROM Vendeurs WHERE NomVendeur Is Not Null ORDER BY NoVendeur;"));
        datVendeur.Refresh();
        update();
    };
    ReportRun run(ProgramState::DbPath, selection(), std::move(hooks));
    run.run();
}

} // namespace tarnvik
