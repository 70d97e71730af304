#include "localisation/LOCRTSModule.h"

#include "common/DataSource.h"
#include "common/ProgramFolder.h"
#include "common/ProgramState.h"
#include "localisation/LanguageLoader.h"
#include "localisation/QtTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tarnvik {

namespace {

// The load opens one file at a time; it always gets the first free handle.
constexpr qint16 kFileHandle = 1;

QString g_commandLine;
bool g_loading = false;
// A database the station has found unusable and names in its own message.
QString g_unusableDatabase;

QString languageFilePath()
{
    return QDir::toNativeSeparators(ProgramFolder::file(QLatin1String(LanguageFileName)));
}

// The field Lang of the settings row, reached through a data source of the
// load's own on the current connection string.
class AccesLanguageSetting final : public LanguageSetting {
public:
    LoadError read(QVariant *value) override
    {
        *value = QVariant();
        // Without a database there is no stored choice (yet); nor in one that
        // the station reports itself as unusable, naming it.
        if (!databaseExists())
            return {};
        const LoadError error = open(QStringLiteral("The settings row cannot be read: "));
        if (error.failed())
            return error;
        *value = m_source->value(QStringLiteral("Lang"));
        return {};
    }

    LoadError write(qint16 number) override
    {
        const QString prefix = QStringLiteral("The language choice cannot be stored: ");
        // Without a database (the settings file could not be read, or names
        // a file that is not there: the station reports that itself) the
        // choice holds for this run only.
        if (ProgramState::ConnString.isEmpty() || !databaseExists())
            return {};
        const LoadError error = open(prefix);
        if (error.failed())
            return error;
        Recordset &rs = m_source.recordset();
        if (!rs.setValue(QStringLiteral("Lang"), int(number)) || !rs.Update()) {
            const QString reason = rs.lastError();
            rs.CancelUpdate();
            return {LoadErrorCode::DatabaseFailure, prefix + reason, databaseFile()};
        }
        return {};
    }

private:
    static QString databasePath() { return databasePathOf(ProgramState::ConnString); }
    static QString databaseFile() { return QDir::toNativeSeparators(databasePath()); }
    static bool databaseExists()
    {
        return !ProgramState::ConnString.isEmpty() && QFileInfo(databasePath()).isFile() &&
               (g_unusableDatabase.isEmpty() || QFileInfo(databasePath()) != QFileInfo(g_unusableDatabase));
    }

    // Runs the query anew, so that Retry sees the database as it is now.
    LoadError open(const QString &prefix)
    {
        m_source.setConnectionString(ProgramState::ConnString);
        if (!m_source.Refresh())
            return {LoadErrorCode::DatabaseFailure, prefix + m_source.lastError(), databaseFile()};
        if (m_source->fieldIndex(QStringLiteral("Lang")) < 0)
            return {LoadErrorCode::DatabaseFailure,
                    prefix + QStringLiteral("the table Acces has no field Lang"), databaseFile()};
        if (m_source->isEOF())
            return {LoadErrorCode::NoCurrentRecord, prefix + QStringLiteral("the table Acces holds no row"),
                    databaseFile()};
        return {};
    }

    DataSource m_source{QStringLiteral("SELECT * FROM Acces")};
};

} // namespace

QString LOC_RTString(qint32 index)
{
    if (index == -1) {
        LOCRTSModule::load();
        return QString();
    }
    if (LOCRTSModule::FileNum == 0)
        LOCRTSModule::load();
    const QVector<QString> &table = LOCRTSModule::StringTable;
    if (index < 0 || index >= table.size())
        return QStringLiteral("Invalid Index");
    return table.at(index);
}

void LOCRTSModule::requireLanguageFile()
{
    const QString path = languageFilePath();
    if (!QFileInfo(path).isFile())
        languageFileNotFound(path);
}

void LOCRTSModule::load()
{
    if (g_loading)
        return;
    struct LoadingFlag {
        LoadingFlag() { g_loading = true; }
        ~LoadingFlag() { g_loading = false; }
    } const flag;

    FileNum = kFileHandle;
    LanguageFileInput input;
    input.path = languageFilePath();
    input.commandLine = commandLine();
    if (QFileInfo(input.path).isFile()) {
        // A file that cannot be read, or is too large to be a language file,
        // is told with Abort, Retry and Ignore; ignored, it reads as one
        // without a header, which the load reports as missing information.
        QByteArray content;
        runLoadStep([&] { return readLanguageFile(input.path, &content); }, input.path);
        input.content = std::move(content);
    }
    AccesLanguageSetting setting;
    LanguageLoader loader(input, setting);
    loader.run(ProgramState::CurrentLang, StringTable);
    // Qt's own texts (the buttons of standard boxes, the file dialog) follow
    // the language now in force.
    QtTranslations::apply(loader.languageNames().value(ProgramState::CurrentLang - 1));
}

void LOCRTSModule::setUnusableDatabase(const QString &path)
{
    g_unusableDatabase = path;
}

void LOCRTSModule::setCommandLine(const QString &commandLine)
{
    g_commandLine = commandLine;
}

QString LOCRTSModule::commandLine()
{
    if (!g_commandLine.isNull())
        return g_commandLine;
    if (!QCoreApplication::instance())
        return QString();
    return QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
}

void LOCRTSModule::reset()
{
    StringTable.clear();
    FileNum = 0;
    g_commandLine = QString();
    g_unusableDatabase = QString();
    QtTranslations::remove();
}

} // namespace tarnvik
