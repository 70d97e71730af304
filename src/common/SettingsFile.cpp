#include "common/SettingsFile.h"

#include "common/ProgramFolder.h"
#include "common/ProgramState.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tarnvik {

bool Fso::FileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

namespace SettingsFile {

QString path()
{
    return ProgramFolder::file(QLatin1String(SettingsFileName));
}

QString defaultDatabasePath()
{
    return ProgramFolder::file(QLatin1String(DatabaseFileName));
}

QString firstField(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    if (i < n && text[i] == QLatin1Char('"')) {
        const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
        return close < 0 ? text.mid(i + 1).section(QLatin1Char('\r'), 0, 0).section(QLatin1Char('\n'), 0, 0)
                         : text.mid(i + 1, close - i - 1);
    }
    qsizetype end = i;
    while (end < n && text[end] != QLatin1Char(',') && text[end] != QLatin1Char('\r') &&
           text[end] != QLatin1Char('\n'))
        ++end;
    return text.mid(i, end - i).trimmed();
}

std::optional<QString> readFirstField(const QString &file, QString *error)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = in.read(64 * 1024);
    if (in.error() != QFileDevice::NoError) {
        if (error)
            *error = in.errorString();
        return std::nullopt;
    }
    return firstField(QString::fromUtf8(bytes));
}

bool writeDatabasePath(const QString &file, const QString &databasePath, QString *error)
{
    // The quoted field has no escape: a quote in the path would end it early.
    if (databasePath.contains(QLatin1Char('"'))) {
        if (error)
            *error = QStringLiteral("the path holds a double quote, which the settings file cannot keep");
        return false;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = out.errorString();
        return false;
    }
    const QByteArray line = "\"" + databasePath.toUtf8() + "\"\r\n";
    if (out.write(line) != line.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace SettingsFile
} // namespace tarnvik
