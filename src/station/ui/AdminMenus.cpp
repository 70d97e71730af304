#include "station/ui/AdminMenus.h"

#include "admin/frmAcces.h"
#include "admin/frmArchives.h"
#include "admin/frmInfo.h"
#include "admin/frmOptions.h"
#include "admin/frmProjets.h"
#include "admin/frmVendeurs.h"
#include "common/ProgramState.h"
#include "platform/ui/ClickLabel.h"
#include "reports/OpeningSelection.h"
#include "reports/PunchRepPro.h"
#include "reports/frmRapport.h"
#include "reports/ui/ReportPreview.h"
#include "station/HelpDocument.h"
#include "station/frmPunch.h"

#include <QAction>

namespace tarnvik {

namespace {

bool guarded(const QString &entryName)
{
    static const QStringList names = {QStringLiteral("mnuAcces"), QStringLiteral("mnuArchives"),
                                      QStringLiteral("mnuEmp"),   QStringLiteral("mnuEmployes"),
                                      QStringLiteral("mnuFin"),   QStringLiteral("mnuPref")};
    return names.contains(entryName);
}

} // namespace

AdminMenus::AdminMenus(frmPunch *window) : QObject(window), m_window(window)
{
    const QList<QAction *> entries = {window->mnuAcces,    window->mnuArchives, window->mnuEmp,
                                      window->mnuEmployes, window->mnuFin,      window->mnuPref,
                                      window->mnuProjets,  window->mnuAide,     window->mnuApropos};
    for (QAction *action : entries) {
        const QString name = action->objectName();
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, [this, name] { activate(name); });
    }
    connect(window->lblDeconnexion, &ClickLabel::clicked, this, &AdminMenus::lblDeconnexion_Click);
    connect(window->Label2, &ClickLabel::clicked, this, &AdminMenus::Label2_Click);
    connect(&m_gate, &AdminGate::unlockedChanged, this, &AdminMenus::showLoggedOn);
    // The report window was opened for the database left: it closes with it.
    connect(&m_gate, &AdminGate::databaseLeft, this, [this] {
        if (m_reportWindow)
            m_reportWindow->close();
    });
    window->lblDeconnexion->setVisible(false);
    plugInOwnWindows();
}

void AdminMenus::plugInOwnWindows()
{
    plugIn(QStringLiteral("mnuFin"), [this] { m_window->FinDeJournee(); });
    plugIn(QStringLiteral("mnuPref"), [this] { showOptionsDialog(m_window, m_window); });
    m_whenUnreadable.insert(QStringLiteral("mnuPref"), [this] {
        showOptionsDialog(m_window, m_window, frmOptions::Scope::DatabaseOnly);
    });
    plugIn(QStringLiteral("mnuAcces"), [this] {
        frmAcces window(m_window);
        window.exec();
    });
    plugIn(QStringLiteral("mnuEmployes"), [this] {
        frmVendeurs window(m_window);
        window.exec();
    });
    plugIn(QStringLiteral("mnuProjets"), [this] {
        frmProjets window(m_window, m_window);
        window.exec();
    });
    plugIn(QStringLiteral("mnuArchives"), [this] {
        frmArchives window(m_window->datVendeur, m_window);
        window.exec();
    });
    plugIn(QStringLiteral("mnuAide"), [] { openHelpDocument(); });
    plugIn(QStringLiteral("mnuApropos"), [this] {
        ProgramState::ShowMainAfterInfo = true;
        frmInfo box(m_window);
        box.exec();
    });
    // The report window: without owner nor modality, the main window stays
    // usable; a second click brings the open one forward. It closes with the
    // station.
    plugIn(QStringLiteral("mnuEmp"), [this] {
        if (!m_reportWindow) {
            m_reportWindow = new frmRapport(nullptr);
            m_reportWindow->setAttribute(Qt::WA_DeleteOnClose);
            connect(m_window, &frmPunch::unloading, m_reportWindow.data(), &QWidget::close);
        }
        m_reportWindow->show();
        m_reportWindow->raise();
        m_reportWindow->activateWindow();
    });
}

QAction *AdminMenus::entry(const QString &entryName) const
{
    for (QAction *action : {m_window->mnuAcces, m_window->mnuArchives, m_window->mnuEmp,
                            m_window->mnuEmployes, m_window->mnuFin, m_window->mnuPref, m_window->mnuProjets,
                            m_window->mnuAide, m_window->mnuApropos}) {
        if (action->objectName() == entryName)
            return action;
    }
    return nullptr;
}

void AdminMenus::plugIn(const QString &entryName, std::function<void()> action)
{
    QAction *menuEntry = entry(entryName);
    Q_ASSERT_X(menuEntry, "AdminMenus::plugIn", "no such menu entry");
    if (!menuEntry)
        return;
    m_actions.insert(entryName, std::move(action));
    menuEntry->setEnabled(true);
}

bool AdminMenus::isGuarded(const QString &entryName) const
{
    return guarded(entryName);
}

void AdminMenus::activate(const QString &entryName)
{
    const auto found = m_actions.constFind(entryName);
    if (found == m_actions.constEnd())
        return;
    // A copy: the action may plug in entries while it runs.
    const std::function<void()> action = found.value();
    if (guarded(entryName))
        m_gate.run(action, m_whenUnreadable.value(entryName));
    else
        action();
}

void AdminMenus::lblDeconnexion_Click()
{
    m_gate.logOff();
}

void AdminMenus::Label2_Click()
{
    const ReportSelection selection =
        m_reportWindow ? m_reportWindow->selection() : openingSelection(ProgramState::DbPath);
    ReportPreview *preview = ShowReport(PunchRepPro::create(selection), 0, nullptr);
    // A window of its own: it closes with the station.
    connect(m_window, &frmPunch::unloading, preview, &QWidget::close);
}

void AdminMenus::showLoggedOn(bool unlocked)
{
    m_window->lblDeconnexion->setVisible(unlocked);
}

} // namespace tarnvik
