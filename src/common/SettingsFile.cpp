#include "common/SettingsFile.h"

#include "common/Database.h"
#include "common/ProgramFolder.h"
#include "common/ProgramState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <QCoreApplication>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

bool isAbsent(const QString &file)
{
    struct stat st;
    return ::lstat(QFile::encodeName(file).constData(), &st) != 0 && errno == ENOENT;
}

std::optional<QString> readFirstField(const QString &file, QString *error)
{
    // A pipe would never end a read, a device never end its text: only a
    // file is read.
    if (!QFileInfo(file).isFile()) {
        if (error)
            *error = isAbsent(file) ? QStringLiteral("the file does not exist")
                                    : QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
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
    // Written beside the file, flushed to the disk, read back, then renamed
    // over it: a full disk or a failing share leaves the old file (or none)
    // rather than an empty or partial one.
    const QByteArray line = "\"" + databasePath.toUtf8() + "\"\r\n";
    const QFileInfo target(file);
    // The process's number in the name tells a write still going on from one
    // that an ended process left.
    QTemporaryFile temporary(target.absoluteDir().filePath(
        QStringLiteral(".%1.%2.XXXXXX").arg(target.fileName()).arg(QCoreApplication::applicationPid())));
    const auto failed = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!temporary.open())
        return failed(temporary.errorString());
    // A temporary file is made for its owner alone; the settings file gets
    // the rights of the one it replaces, or those of a file the user saves.
    struct stat existing;
    mode_t mode = 0;
    if (::stat(QFile::encodeName(file).constData(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(temporary.handle(), mode) != 0)
        return failed(QString::fromLocal8Bit(strerror(errno)));
    if (temporary.write(line) != line.size() || !temporary.flush())
        return failed(temporary.errorString());
    if (::fsync(temporary.handle()) != 0)
        return failed(QString::fromLocal8Bit(strerror(errno)));
    if (!temporary.seek(0) || temporary.readAll() != line)
        return failed(QStringLiteral("the file does not hold what was written"));
    if (::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(file).constData()) !=
        0)
        return failed(QString::fromLocal8Bit(strerror(errno)));
    temporary.setAutoRemove(false);
    return true;
}

void removeStrayTemporaries()
{
    const QFileInfo target(path());
    const QDir folder = target.absoluteDir();
    const QString prefix = QStringLiteral(".%1.").arg(target.fileName());
    static const QRegularExpression pidThenRandom(QStringLiteral(R"(^(\d+)\.\w{6}$)"));
    for (const QString &name : folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch m = pidThenRandom.match(name.mid(prefix.size()));
        if (m.hasMatch() && !Database::processRuns(m.captured(1).toLongLong()))
            QFile::remove(folder.filePath(name));
    }
}

} // namespace SettingsFile
} // namespace tarnvik
