#include "common/StationFiles.h"

#include "common/ProgramFolder.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "localisation/LOCRTSModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace tarnvik::StationFiles {

namespace {

// Strings of the language file.
constexpr int OwnFileText = 2260; // it is one of the station's own files (%1) ...
constexpr int HelpDocumentName = 1102;

// Names SQLite gives the files it keeps beside a database.
const char *const DatabaseCompanions[] = {"", "-wal", "-shm", "-journal"};

// Links are followed this many times at most (a loop of links ends there).
constexpr int MaxLinks = 16;

// The path a file is reached by once its links are followed, "." and ".."
// removed. A file that does not exist yet is named by its folder, resolved,
// and its own name: writing it would make exactly that file.
QString resolved(const QString &path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int i = 0; i < MaxLinks; ++i) {
        const QFileInfo info(current);
        const QString canonical = info.canonicalFilePath();
        if (!canonical.isEmpty())
            return canonical;
        if (!info.isSymLink())
            break;
        // A link to nothing yet: a save would make its target.
        current = info.symLinkTarget();
    }
    const QFileInfo info(current);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return QDir::cleanPath(QDir(folder.isEmpty() ? info.absolutePath() : folder).filePath(info.fileName()));
}

bool sameFile(const QString &a, const QString &b)
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    const Qt::CaseSensitivity names = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity names = Qt::CaseSensitive;
#endif
    if (resolved(a).compare(resolved(b), names) == 0)
        return true;
    // Two names of one file (a hard link, a folder mounted twice).
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::path(QFile::encodeName(a).toStdString()),
                                       std::filesystem::path(QFile::encodeName(b).toStdString()), error) &&
           !error;
}

void addDatabase(QStringList &files, const QString &database)
{
    if (database.trimmed().isEmpty())
        return;
    for (const char *suffix : DatabaseCompanions) {
        const QString file = database + QLatin1String(suffix);
        if (!files.contains(file))
            files << file;
    }
}

} // namespace

QStringList ownFiles()
{
    QStringList files;
    addDatabase(files, ProgramState::DbPath);
    addDatabase(files, databasePathOf(ProgramState::ConnString));
    addDatabase(files, SettingsFile::defaultDatabasePath());
    files << SettingsFile::path() << ProgramFolder::file(QLatin1String(LanguageFileName));
    // The help documents: the one of the language in use (its name is a
    // string of the language file) and every other one beside the program.
    if (LOCRTSModule::FileNum != 0 && !LOC_RTString(HelpDocumentName).trimmed().isEmpty())
        files << ProgramFolder::file(LOC_RTString(HelpDocumentName));
    const QDir folder(ProgramFolder::path());
    for (const QString &name :
         folder.entryList({QStringLiteral("*.html"), QStringLiteral("*.htm")}, QDir::Files | QDir::Hidden))
        files << folder.filePath(name);
    if (QCoreApplication::instance())
        files << QCoreApplication::applicationFilePath();
    files.removeDuplicates();
    return files;
}

QString ownFileAt(const QString &path)
{
    if (path.trimmed().isEmpty())
        return QString();
    for (const QString &own : ownFiles()) {
        if (sameFile(path, own))
            return own;
    }
    return QString();
}

QString refusal(const QString &path)
{
    const QString own = ownFileAt(path);
    return own.isEmpty() ? QString() : LOC_RTString(OwnFileText).arg(QDir::toNativeSeparators(own));
}

} // namespace tarnvik::StationFiles
