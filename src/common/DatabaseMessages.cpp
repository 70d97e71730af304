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
    case Database::State::Damaged:
        return localisedDatabaseProblem(Database::Problem::Damaged, status.path, status.detail);
    case Database::State::Busy:
        return localisedDatabaseProblem(Database::Problem::Busy, status.path, status.detail);
    case Database::State::ReadOnly:
        return localisedDatabaseProblem(Database::Problem::ReadOnly, status.path, status.detail);
    }
    return LOC_RTString(1702).arg(status.path, reason);
}

namespace {

// Where a log that could not go into its file was kept, when one was.
QString keptSentence(const QString &kept)
{
    return kept.isEmpty() ? QString() : LOC_RTString(2604).arg(kept);
}

} // namespace

QString localisedDatabaseProblem(Database::Problem problem, const QString &path, const QString &detail)
{
    QString reason;
    switch (problem) {
    case Database::Problem::None:
        return QString();
    case Database::Problem::Missing:
        reason = LOC_RTString(1710);
        break;
    case Database::Problem::Gone:
        return LOC_RTString(2600).arg(path, keptSentence(detail));
    case Database::Problem::Replaced:
        return LOC_RTString(2602).arg(path, keptSentence(detail));
    case Database::Problem::NotStation:
        reason = LOC_RTString(1714).arg(detail);
        break;
    case Database::Problem::Damaged:
        reason = LOC_RTString(1728).arg(detail);
        break;
    case Database::Problem::Busy:
        return LOC_RTString(1730).arg(path);
    case Database::Problem::RowGone:
        return LOC_RTString(1940);
    case Database::Problem::ReadOnly:
        reason = LOC_RTString(1732).arg(detail);
        break;
    }
    return LOC_RTString(1702).arg(path, reason);
}

} // namespace tarnvik
