#pragma once

#include "common/DataSource.h"

#include <QObject>
#include <QString>

#include <functional>

namespace tarnvik {

// The administration password as it lives in the first row of Acces: the
// field RapPass holds the password scrambled with itself as the key; an empty
// or Null value means that no password is set. The scramble is stored whole:
// as a text, or as its bytes (in the code page of the scramble) when it holds
// a NUL character.
namespace AdminPassword {

// Moves the data source's result to the settings row. False, with the reason
// in *error, when the row cannot be read (database missing, no Acces row).
bool readSettingsRow(DataSource &datAcces, QString *error);
// Whether the current row holds a password (RapPass not empty, not Null).
bool isSet(DataSource &datAcces);
// The stored, scrambled text of the current row.
QString stored(DataSource &datAcces);
// How a scramble is stored: as a text, or as its bytes when it holds a NUL
// character, which SQLite's tools would take for the end of a text.
QVariant storedForm(const QString &scrambled);
// Stores password scrambled with itself (the empty text removes the
// password), then reads the row again. False, with the reason, when the
// database refused the change.
bool store(DataSource &datAcces, const QString &password, QString *error);
// Shows the message of a password that holds characters the scramble cannot
// keep, and returns false for such a password.
bool checkCharacters(const QString &password);
// Shows the message of a settings row that could not be read or written.
void reportFailure(bool reading, const QString &detail);

} // namespace AdminPassword

// The password gate in front of the guarded administration menus.
//
// run() refreshes the settings row, then: while the supervisor is logged on
// it carries out the entry's action at once; when no password is set it asks
// for a first one, stores it and goes on; otherwise it asks for the password
// and checks it by unscrambling the stored value with the typed text. After
// the action returns the supervisor is logged on until logOff(). A cancelled
// or empty prompt and a wrong password leave everything as it was.
class AdminGate : public QObject {
    Q_OBJECT
public:
    explicit AdminGate(QObject *parent = nullptr);

    bool AdminUnlocked() const { return m_unlocked; }
    // Carries out action behind the gate; true when the action ran. While
    // the settings row cannot be read (database missing or unreadable) there
    // is no password to test: whenUnreadable, when given, runs in place of
    // the action, without logging the supervisor on.
    bool run(const std::function<void()> &action, const std::function<void()> &whenUnreadable = {});
    // Logs the supervisor off (the log-off label).
    void logOff();

    // The one entry point for a change of database: the station now works on
    // another file (another path chosen, a database made, the file back after
    // it could not be read, or another file found at the same path). Logs the
    // supervisor off, so that the guarded entries ask for the password of the
    // database now open; an entry whose action is running when the change
    // comes does not log on when it returns.
    void databaseChanged();
    // Logs off when the database in use is not the file the password was
    // given for (its path, or the file found there, differs). Every guarded
    // click and every reconnection of the station runs it.
    void followDatabase();

    DataSource &datAcces() { return m_datAcces; }

    // What identifies a database file: its path and, where the system tells,
    // the file found there (device, inode and when it was made), so that
    // another file put at the same path is another database.
    struct FileIdentity {
        QString path;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 born = 0; // when the file was made (ms since 1970), 0 where unknown
        bool exists = false;

        static FileIdentity of(const QString &path);
        bool operator==(const FileIdentity &other) const;
        bool operator!=(const FileIdentity &other) const { return !(*this == other); }
    };

signals:
    // After every change of the log-on state: the log-off label follows it.
    void unlockedChanged(bool unlocked);
    // databaseChanged() ran: what was opened for the old database closes.
    void databaseLeft();

private:
    // The prompt steps; true when the typed text lets the supervisor through.
    bool askFirstPassword();
    bool askPassword();
    void setUnlocked(bool unlocked);

    static FileIdentity currentDatabase();

    DataSource m_datAcces;
    bool m_unlocked = false;
    // The database the supervisor logged on to.
    FileIdentity m_loggedOnTo;
    // Counts the changes of database, so that an action that saw one does
    // not log on when it returns.
    quint64 m_databaseChanges = 0;
};

} // namespace tarnvik
