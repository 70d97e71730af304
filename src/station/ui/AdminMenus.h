#pragma once

#include "station/AdminGate.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QAction;

namespace tarnvik {

class frmPunch;
class frmRapport;

// The main window's menu entries and what they open.
//
// Six entries are guarded by the administration password: mnuAcces,
// mnuArchives, mnuEmp, mnuEmployes, mnuFin and mnuPref pass the gate first;
// mnuProjets, mnuAide and mnuApropos never ask for it (mnuQuitter is the
// window's own). While the database cannot be read there is no password to
// ask for: mnuPref then opens the options window limited to the choice of
// the database, and the other guarded entries open nothing. Each entry runs the action plugged into it under
// its name; an entry that has none yet is disabled.
class AdminMenus : public QObject {
    Q_OBJECT
public:
    // Wires the entries of window and its log-off label; a child of window.
    explicit AdminMenus(frmPunch *window);

    // Gives a menu entry, named as the window names it ("mnuArchives"), what
    // it opens, and enables it. A guarded entry runs the action behind the
    // password gate; the supervisor is logged on once the action returns
    // (for a modal window, once it has been closed).
    void plugIn(const QString &entryName, std::function<void()> action);
    bool isGuarded(const QString &entryName) const;

    AdminGate &gate() { return m_gate; }
    bool AdminUnlocked() const { return m_gate.AdminUnlocked(); }

    // The entries' click handlers.
    void mnuAcces_Click() { activate(QStringLiteral("mnuAcces")); }
    void mnuArchives_Click() { activate(QStringLiteral("mnuArchives")); }
    void mnuEmp_Click() { activate(QStringLiteral("mnuEmp")); }
    void mnuEmployes_Click() { activate(QStringLiteral("mnuEmployes")); }
    void mnuFin_Click() { activate(QStringLiteral("mnuFin")); }
    void mnuPref_Click() { activate(QStringLiteral("mnuPref")); }
    void mnuProjets_Click() { activate(QStringLiteral("mnuProjets")); }
    void mnuAide_Click() { activate(QStringLiteral("mnuAide")); }
    void mnuApropos_Click() { activate(QStringLiteral("mnuApropos")); }
    // The log-off label: locks the guarded entries again.
    void lblDeconnexion_Click();
    // The label Label2: the report by employee, at once and without the
    // password; on its own, not modal. It shows the captions of the report
    // window's choices (of the current pay period when the window is not
    // open) and no rows: the totals exist only during a report run.
    void Label2_Click();

private:
    QAction *entry(const QString &entryName) const;
    void activate(const QString &entryName);
    void showLoggedOn(bool unlocked);
    void plugInOwnWindows();

    frmPunch *m_window;
    AdminGate m_gate;
    // The report window while it is open (one at a time).
    QPointer<frmRapport> m_reportWindow;
    QHash<QString, std::function<void()>> m_actions;
    // What a guarded entry opens while the settings row cannot be read.
    QHash<QString, std::function<void()>> m_whenUnreadable;
};

} // namespace tarnvik
