#include "common/DatabaseMessages.h"

#include "localisation/LOCRTSModule.h"

namespace tarnvik {

QString databaseProblemText(const Database::Status &status)
{
    QString reason;
    switch (status.state) {
    case Database::State::Ready:
    case Database::State::Created:
        return QString();
    case Database::State::Missing:
        reason = LOC_RTString(1710);
        break;
    case Database::State::NotADatabase:
        reason = LOC_RTString(1712);
        break;
    case Database::State::MissingTables:
        reason = LOC_RTString(1714).arg(status.detail);
        break;
    case Database::State::CannotOpen:
        reason = LOC_RTString(1716).arg(status.detail);
        break;
    }
    return LOC_RTString(1702).arg(status.path, reason);
}

} // namespace tarnvik
