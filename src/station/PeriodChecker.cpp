#include "station/PeriodChecker.h"

#include "common/Clock.h"
#include "common/Database.h"
#include "common/DateFormat.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "station/PayPeriod.h"

#include <QSqlQuery>

namespace tarnvik {

PeriodChecker::PeriodChecker(std::function<void()> showOptions)
    : datAcces(QStringLiteral("SELECT * FROM Acces")), m_showOptions(std::move(showOptions))
{
}

void PeriodChecker::CheckPeriode()
{
    // The settings row, read afresh: the options may have changed it, or
    // switched the station to another database, since the last check.
    datAcces.setConnectionString(ProgramState::ConnString);
    if (!datAcces.Refresh() || datAcces->isEOF()) {
        // No readable settings row: the main window reports an unusable
        // database itself; there is no period to check.
        datAcces->Close();
        return;
    }
    const QVariant periode = datAcces->value(QStringLiteral("Periode"));
    const QVariant storedStart = datAcces->value(QStringLiteral("DateDebut"));
    datAcces->Close();

    const QDate start = dateFromStored(storedStart);
    if (!PayPeriod::hasValue(periode) || !PayPeriod::hasValue(storedStart) || !start.isValid()) {
        reportNoPeriod();
        return;
    }

    const QDate last = PayPeriod::lastDay(start, periode);
    if (!PayPeriod::isOver(last, Clock::today()))
        return;

    bool rolled = false;
    QString error;
    if (!rollOver(storedStart, last, &rolled, &error)) {
        const QString failure = storedStart.toString() + QLatin1Char('|') + periode.toString();
        if (failure != m_reportedFailure) {
            m_reportedFailure = failure;
            MsgBox(LOC_RTString(1740).arg(formatDate(last, QLatin1String(DatePattern::Short)), error),
                   MsgStyle::Exclamation, QLatin1String(ProgramTitle));
        }
        return;
    }
    m_reportedFailure.clear();
    if (rolled)
        MsgBox(LOC_RTString(1630), MsgStyle::OkOnly, QLatin1String(ProgramTitle));
}

void PeriodChecker::reportNoPeriod()
{
    if (ProgramState::PeriodeMsgShown)
        return;
    ProgramState::PeriodeMsgShown = true;
    MsgBox(LOC_RTString(1650), MsgStyle::OkOnly, QLatin1String(ProgramTitle));
    if (m_showOptions)
        m_showOptions();
}

bool PeriodChecker::rollOver(const QVariant &storedStart, const QDate &lastDay, bool *rolled, QString *error)
{
    *rolled = false;
    QSqlDatabase db = Database::connection(databasePathOf(ProgramState::ConnString), error);
    if (!db.isOpen())
        return false;
    Transaction tx(db);
    if (!tx.ok()) {
        *error = tx.error();
        return false;
    }
    const QDate nextStart = lastDay.addDays(1);

    // Only the start that was read is moved on: a check that runs while
    // another one's message is still open finds the period already moved.
    QSqlQuery move(db);
    if (!Database::run(move,
                       QStringLiteral("UPDATE Acces SET DateDebut = ? WHERE DateDebut = ? AND rowid = "
                                      "(SELECT rowid FROM Acces ORDER BY rowid LIMIT 1)"),
                       {nextStart, storedStart}, error))
        return false;
    if (move.numRowsAffected() != 1)
        return true; // moved on by someone else: nothing left to do here
    move.finish();

    // Every current punch of the ended period, and of any earlier one, is
    // archived. Comparing with the next start also takes a day stored with a
    // time of day.
    //
    // Only the "In" punches of employees still at work stay current: a
    // presence row stands for the latest "In" of its number on its project
    // and sub-project (two rows for the two latest, and so on). The "Out"
    // that ends such a shift then finds its "In" open, and the roll-over
    // after it archives the pair.
    if (!Database::exec(
            db,
            QStringLiteral(
                "WITH presence AS (SELECT NoVendeur, Projet, SousProjet, COUNT(*) AS open FROM Vendeurs "
                "WHERE NomVendeur IS NULL AND Projet IS NOT NULL AND SousProjet IS NOT NULL "
                "GROUP BY NoVendeur, Projet, SousProjet), "
                "ins AS (SELECT p.rowid AS id, presence.open, ROW_NUMBER() OVER (PARTITION BY p.NoVendeur, "
                "p.Projet, p.SousProjet ORDER BY p.PunchDateShort DESC, p.PunchTime DESC, p.rowid DESC) "
                "AS latest FROM Punch p JOIN presence ON p.NoVendeur = presence.NoVendeur AND "
                "p.Projet = presence.Projet AND p.SousProjet = presence.SousProjet WHERE p.InOut = 'In') "
                "UPDATE Punch SET Archived = 1 WHERE PunchDateShort < ? AND Archived = 0 "
                "AND rowid NOT IN (SELECT id FROM ins WHERE latest <= open)"),
            {toStoredDate(nextStart)}, error))
        return false;
    if (!tx.commit()) {
        *error = tx.error();
        return false;
    }
    *rolled = true;
    return true;
}

} // namespace tarnvik
