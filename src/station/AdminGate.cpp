#include "station/AdminGate.h"

#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "common/Windows1252.h"
#include "localisation/LOCRTSModule.h"
#include "station/Scramble.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace tarnvik {

namespace {
const QString kRapPass = QStringLiteral("RapPass");
}

namespace AdminPassword {

bool readSettingsRow(DataSource &datAcces, QString *error)
{
    if (!datAcces.Refresh()) {
        *error = datAcces.lastError();
        return false;
    }
    Recordset &rs = datAcces.recordset();
    rs.MoveFirst();
    if (rs.isEOF()) {
        // string 1764: the settings row is missing
        *error = LOC_RTString(1764);
        return false;
    }
    return true;
}

bool isSet(DataSource &datAcces)
{
    return datAcces->Fields(kRapPass).ActualSize() != 0;
}

QString stored(DataSource &datAcces)
{
    // A scramble holding a NUL character is kept as its bytes (see store()).
    const QVariant value = datAcces->Fields(kRapPass).Value();
    if (value.typeId() == QMetaType::QByteArray)
        return Windows1252::decode(value.toByteArray());
    return value.toString();
}

QVariant storedForm(const QString &scrambled)
{
    // SQLite's own tools end a text at its first NUL character: '' shows
    // and a dump keeps nothing of such a scramble. It is stored as its bytes
    // instead, whole; every other scramble stays a text, as files written
    // before hold it.
    if (scrambled.contains(QChar(0)))
        return Windows1252::encode(scrambled);
    // A Null or empty text is stored as the empty text, never as Null.
    return scrambled.isNull() ? QString(QLatin1String("")) : scrambled;
}

bool store(DataSource &datAcces, const QString &password, QString *error)
{
    Recordset &rs = datAcces.recordset();
    if (!rs.Fields(kRapPass).setValue(storedForm(Brouiller(password, password))) || !rs.Update()) {
        *error = rs.lastError();
        rs.CancelUpdate();
        return false;
    }
    if (!datAcces.Refresh()) {
        *error = datAcces.lastError();
        return false;
    }
    return true;
}

bool checkCharacters(const QString &password)
{
    if (fitsScrambleCodePage(password))
        return true;
    // The character refused is shown whole, also one of two UTF-16 units
    // (an emoji).
    QString offending;
    for (int i = 0; i < password.size() && offending.isEmpty(); ++i) {
        const int units = password.at(i).isHighSurrogate() && i + 1 < password.size() ? 2 : 1;
        if (!fitsScrambleCodePage(password.mid(i, units)))
            offending = password.mid(i, units);
        i += units - 1;
    }
    MsgBox(LOC_RTString(1760).arg(offending), MsgStyle::Exclamation, LOC_RTString(1250));
    return false;
}

void reportFailure(bool reading, const QString &detail)
{
    const QString text = reading ? LOC_RTString(1762).arg(detail) : LOC_RTString(1708).arg(detail);
    MsgBox(text, MsgStyle::Critical, LOC_RTString(1250));
}

} // namespace AdminPassword

AdminGate::AdminGate(QObject *parent) : QObject(parent), m_datAcces(QStringLiteral("SELECT * FROM Acces")) {}

AdminGate::FileIdentity AdminGate::FileIdentity::of(const QString &path)
{
    FileIdentity identity;
    identity.path = QFileInfo(path).absoluteFilePath();
#ifdef Q_OS_UNIX
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0) {
        identity.exists = true;
        identity.device = quint64(status.st_dev);
        identity.inode = quint64(status.st_ino);
    }
#else
    identity.exists = QFileInfo::exists(path);
#endif
    // A file made where another was deleted may get its inode number: the
    // moment it was made tells them apart where the system keeps it.
    const QDateTime born = QFileInfo(path).fileTime(QFileDevice::FileBirthTime);
    identity.born = born.isValid() ? born.toMSecsSinceEpoch() : 0;
    return identity;
}

bool AdminGate::FileIdentity::operator==(const FileIdentity &other) const
{
    // A file that is not there is no database to be logged on to.
    return exists && other.exists && path == other.path && device == other.device && inode == other.inode &&
           born == other.born;
}

AdminGate::FileIdentity AdminGate::currentDatabase()
{
    return FileIdentity::of(databasePathOf(ProgramState::ConnString));
}

bool AdminGate::run(const std::function<void()> &action, const std::function<void()> &whenUnreadable)
{
    // The settings row is read again at every click: another window (or the
    // options, with another database) may have changed it.
    m_datAcces.setConnectionString(ProgramState::ConnString);
    // A log-on holds for the database it was given for, never another.
    followDatabase();
    QString error;
    const bool rowRead = AdminPassword::readSettingsRow(m_datAcces, &error);
    if (m_unlocked) {
        action();
        followDatabase();
        return true;
    }
    if (!rowRead) {
        // Without the settings row there is no password to test against:
        // only what the entry offers for that case opens (the choice of
        // another database); otherwise nothing, and the supervisor learns why.
        if (whenUnreadable)
            whenUnreadable();
        else
            AdminPassword::reportFailure(true, error);
        return false;
    }
    const FileIdentity checked = currentDatabase();
    const bool passed = AdminPassword::isSet(m_datAcces) ? askPassword() : askFirstPassword();
    if (!passed)
        return false;
    const quint64 changesBefore = m_databaseChanges;
    action();
    // The password was given for the database open when it was checked: an
    // action that moved the station to another one (the preferences) leaves
    // nobody logged on.
    if (m_databaseChanges == changesBefore && currentDatabase() == checked) {
        m_loggedOnTo = checked;
        setUnlocked(true);
    }
    return true;
}

bool AdminGate::askFirstPassword()
{
    ProgramState::PassEntered = InputBox(LOC_RTString(1248), LOC_RTString(1092), QString(), true);
    if (ProgramState::PassEntered.isEmpty())
        return false;
    if (!AdminPassword::checkCharacters(ProgramState::PassEntered))
        return false;
    QString error;
    if (!AdminPassword::store(m_datAcces, ProgramState::PassEntered, &error)) {
        AdminPassword::reportFailure(false, error);
        return false;
    }
    return true;
}

bool AdminGate::askPassword()
{
    ProgramState::PassStored = AdminPassword::stored(m_datAcces);
    ProgramState::PassEntered = InputBox(LOC_RTString(1246), LOC_RTString(1092), QString(), true);
    if (ProgramState::PassEntered.isEmpty())
        return false;
    // The stored value unscrambled with the typed text gives the typed text
    // back only for the right password (letter case and length count).
    if (Debrouiller(ProgramState::PassStored, ProgramState::PassEntered) != ProgramState::PassEntered) {
        MsgBox(LOC_RTString(1394), MsgStyle::Critical, LOC_RTString(1250));
        return false;
    }
    return true;
}

void AdminGate::logOff()
{
    setUnlocked(false);
}

void AdminGate::databaseChanged()
{
    ++m_databaseChanges;
    if (m_unlocked)
        setUnlocked(false);
    emit databaseLeft();
}

void AdminGate::followDatabase()
{
    if (m_unlocked && currentDatabase() != m_loggedOnTo)
        databaseChanged();
}

void AdminGate::setUnlocked(bool unlocked)
{
    m_unlocked = unlocked;
    emit unlockedChanged(unlocked);
}

} // namespace tarnvik
