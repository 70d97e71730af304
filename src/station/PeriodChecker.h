#pragma once

#include "common/DataSource.h"

#include <QDate>
#include <QString>

#include <functional>

namespace tarnvik {

// The pay-period roll-over of the station. Each check reads the settings row
// anew; when the current period has ended it moves DateDebut to the day after
// the period's last day and archives every current punch up to that day, both
// in one transaction, then tells the user. The open "In" of an employee still
// at work (a night shift across the period's end) stays current until his
// "Out". One check rolls at most one period, so a station that was off for
// several periods catches up one per check.
//
// When no period is set, the first check of the run says so and opens the
// options window through the showOptions callback that the main window gives.
class PeriodChecker {
public:
    explicit PeriodChecker(std::function<void()> showOptions = {});

    void setShowOptions(std::function<void()> showOptions) { m_showOptions = std::move(showOptions); }

    void CheckPeriode();

private:
    void reportNoPeriod();
    // Moves the period on and archives its punches; false and the reason on
    // failure, in which case nothing was written. rolled is false when the
    // settings row had already been moved on by someone else.
    bool rollOver(const QVariant &storedStart, const QDate &lastDay, bool *rolled, QString *error);

    DataSource datAcces;
    std::function<void()> m_showOptions;
    // The period whose failed roll-over was last reported, so that a failure
    // that lasts is told once and not at every check.
    QString m_reportedFailure;
};

} // namespace tarnvik
