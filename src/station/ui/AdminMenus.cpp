#include "station/ui/AdminMenus.h"

#include "admin/frmAcces.h"
#include "admin/frmInfo.h"
#include "admin/frmOptions.h"
#include "common/ProgramState.h"
#include "platform/ui/ClickLabel.h"
#include "reports/OpeningSelection.h"
#include "reports/PunchRepPro.h"
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
    window->lblDeconnexion->setVisible(false);
    plugInOwnWindows();
}

void AdminMenus::plugInOwnWindows()
{
    plugIn(QStringLiteral("mnuFin"), [this] { m_window->FinDeJournee(); });
    plugIn(QStringLiteral("mnuPref"), [this] { showOptionsDialog(m_window, m_window); });
    plugIn(QStringLiteral("mnuAcces"), [this] {
        frmAcces window(m_window);
        window.exec();
    });
    plugIn(QStringLiteral("mnuAide"), [] { openHelpDocument(); });
    plugIn(QStringLiteral("mnuApropos"), [this] {
        ProgramState::ShowMainAfterInfo = true;
        frmInfo box(m_window);
        box.exec();
    });
    // The windows of mnuEmp (frmRapport, shown without owner nor modality),
    // mnuArchives (frmArchives), mnuEmployes (frmVendeurs) and mnuProjets
    // (frmProjets) plug themselves in here with plugIn() as they are built;
    // until then their entries stay disabled.
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
        m_gate.run(action);
    else
        action();
}

void AdminMenus::lblDeconnexion_Click()
{
    m_gate.logOff();
}

void AdminMenus::Label2_Click()
{
    ReportPreview *preview =
        ShowReport(PunchRepPro::create(openingSelection(ProgramState::DbPath)), 0, nullptr);
    // A window of its own: it closes with the station.
    connect(m_window, &frmPunch::unloading, preview, &QWidget::close);
}

void AdminMenus::showLoggedOn(bool unlocked)
{
    m_window->lblDeconnexion->setVisible(unlocked);
}

} // namespace tarnvik
