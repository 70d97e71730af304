#include "reports/OpeningSelection.h"

#include "common/Clock.h"
#include "common/Database.h"
#include "common/DateFormat.h"
#include "station/PayPeriod.h"

#include <QSqlQuery>

namespace tarnvik {

ReportSelection openingSelection(const QString &databasePath)
{
    ReportSelection selection;
    selection.periodStart = selection.periodEnd = Clock::today();
    QSqlDatabase db = Database::connection(databasePath);
    if (!db.isOpen())
        return selection;
    QSqlQuery q(db);
    if (!Database::run(q, QStringLiteral("SELECT Periode, DateDebut FROM Acces"), {}, nullptr) || !q.next())
        return selection;
    const QVariant periode = q.value(0);
    const QDate start = dateFromStored(q.value(1));
    if (PayPeriod::hasValue(periode) && start.isValid()) {
        selection.periodStart = start;
        selection.periodEnd = PayPeriod::lastDay(start, periode);
    }
    return selection;
}

} // namespace tarnvik
