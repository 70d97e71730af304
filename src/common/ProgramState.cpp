#include "common/ProgramState.h"

namespace tarnvik {

void ProgramState::reset()
{
    DbPath.clear();
    ConnString.clear();
    CurrentLang = 0;
    Loading = false;
    PeriodeMsgShown = false;
    PassEntered.clear();
    PassStored.clear();
    ShowMainAfterInfo = false;
    OpeningModifier = false;
    RefreshingPunches = false;
}

QString buildConnString(const QString &databasePath)
{
    return QLatin1String(ConnStringPrefix) + databasePath + QLatin1String(ConnStringSuffix);
}

QString databasePathOf(const QString &connString)
{
    // A string built by buildConnString gives back its path whole, even when
    // the path itself holds a ';'.
    const QLatin1String prefix(ConnStringPrefix), suffix(ConnStringSuffix);
    if (connString.startsWith(prefix) && connString.endsWith(suffix))
        return connString.mid(prefix.size(), connString.size() - prefix.size() - suffix.size());
    static const QLatin1String key("Data Source=");
    const qsizetype start = connString.indexOf(key, 0, Qt::CaseInsensitive);
    if (start < 0)
        return QString();
    const qsizetype from = start + key.size();
    const qsizetype end = connString.indexOf(QLatin1Char(';'), from);
    return connString.mid(from, end < 0 ? -1 : end - from).trimmed();
}

QString designConnString()
{
    return buildConnString(QLatin1String(DatabaseFileName));
}

QString NoProjectName()
{
    return ProgramState::CurrentLang == 1 ? QStringLiteral("None") : QStringLiteral("Aucun");
}

} // namespace tarnvik
