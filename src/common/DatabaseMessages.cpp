#include "common/DatabaseMessages.h"

#include "localisation/LOCRTSModule.h"

namespace tarnvik {

namespace {

// Why a file cannot be used; empty when it can, or when it is busy (which
// has a message of its own).
QString reasonOf(const Database::Status &status)
{
    switch (status.state) {
    case Database::State::Ready:
    case Database::State::Created:
    case Database::State::Busy:
        return QString();
    case Database::State::Missing:
        return LOC_RTString(1710);
    case Database::State::NotADatabase:
        return LOC_RTString(1712);
    case Database::State::MissingTables:
        return LOC_RTString(1714).arg(status.detail);
    case Database::State::CannotOpen:
        return LOC_RTString(1716).arg(status.detail);
    case Database::State::Damaged:
        return LOC_RTString(1728).arg(status.detail);
    case Database::State::ReadOnly:
        return LOC_RTString(1732).arg(status.detail);
    }
    return QString();
}

// The message of a file that cannot be used, framed by string frame.
QString problemText(const Database::Status &status, int frame)
{
    if (status.usable())
        return QString();
    if (status.state == Database::State::Busy)
        return LOC_RTString(1730).arg(status.path);
    return LOC_RTString(frame).arg(status.path, reasonOf(status));
}

} // namespace

QString databaseProblemText(const Database::Status &status)
{
    return problemText(status, 1702);
}

QString databaseRefusedText(const Database::Status &status)
{
    return problemText(status, 2208);
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
