#include "reports/frmRapport.h"

#include "reports/Totals.h"

#include <QRadioButton>

namespace tarnvik {

// The report run: the period fixed in the pickers, then the totals of the
// chosen kind. The layouts and exports that read the temporary rows come with
// the report run itself; until then the rows are removed right away.
void frmRapport::cmdOk_Click()
{
    fixPeriod();
    const bool written = optEmp->isChecked() ? TimeDiff2() : ProjTimeDiff();
    if (written)
        removeTemporaryReportRows(datAcces.databasePath());
}

} // namespace tarnvik
