#pragma once

#include "common/DataSource.h"

#include <QObject>
#include <QString>

#include <functional>

namespace tarnvik {

// The administration password as it lives in the first row of Acces: the
// field RapPass holds the password scrambled with itself as the key; an empty
// or Null value means that no password is set. The scrambled text is stored
// as it is: every code 0 to 255 (the NUL character included) survives the
// database unchanged.
namespace AdminPassword {

// Moves the data source's result to the settings row. False, with the reason
// in *error, when the row cannot be read (database missing, no Acces row).
bool readSettingsRow(DataSource &datAcces, QString *error);
// Whether the current row holds a password (RapPass not empty, not Null).
bool isSet(DataSource &datAcces);
// The stored, scrambled text of the current row.
QString stored(DataSource &datAcces);
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

    DataSource &datAcces() { return m_datAcces; }

signals:
    // After every change of the log-on state: the log-off label follows it.
    void unlockedChanged(bool unlocked);

private:
    // The prompt steps; true when the typed text lets the supervisor through.
    bool askFirstPassword();
    bool askPassword();
    void setUnlocked(bool unlocked);

    DataSource m_datAcces;
    bool m_unlocked = false;
};

} // namespace tarnvik
