#include "common/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace tarnvik {

namespace {
QString g_override;
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

namespace ProgramFolder {

QString path()
{
    if (!g_override.isEmpty())
        return g_override;
    const QString home = qEnvironmentVariable("TARNVIK_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(QDir(home).absolutePath());
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

QString file(const QString &name)
{
    return joinPath(path(), name);
}

void setOverride(const QString &folder)
{
    g_override = folder;
}

} // namespace ProgramFolder
} // namespace tarnvik
