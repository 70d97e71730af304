#pragma once

#include "common/Clock.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/ClickLabel.h"
#include "platform/ui/DataCombo.h"
#include "station/frmPunch.h"
#include "support/ProgramFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace tarnvik::test {
using namespace Qt::StringLiterals;

// The named fields of a stored row, joined by "|".
inline QString fields(const QVariantMap &row, const QStringList &names)
{
    QStringList values;
    for (const QString &name : names)
        values << row.value(name).toString();
    return values.join(u'|');
}

// The station's main window over a test database holding two employees and two projects, in English, with
// the clock fixed on Saturday 1 March 2003 at nine. Keys go to the widget that has the focus, as a user's do.
class PunchWindowFixture : public ProgramFixture {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ProgramFixture::SetUp();
        if (prepareDatabase()) {
            execSql(u"UPDATE Acces SET Lang = 2"_s);
            addEmployee(u"1001"_s, u"Alice Martin"_s, u"Out"_s);
            addEmployee(u"1002"_s, u"Bob O'Neil"_s, u"Out"_s);
            addProject(u"Chantier"_s, {u"Peinture"_s, u"Plomberie"_s});
            addProject(u"Bureau"_s, {u"Accueil"_s});
        }
    }
    void TearDown() override { window.reset(), ProgramFixture::TearDown(), QLocale::setDefault(m_locale); }

    // Builds the window, loads it and puts it on screen with the focus.
    frmPunch &open()
    {
        window = std::make_unique<frmPunch>();
        window->Form_Load();
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->txtNumVendeur->setFocus();
        return *window;
    }

    static QWidget *focused() { return QApplication::focusWidget(); }
    void type(const QString &text) { QTest::keyClicks(focused(), text); }
    void enter(const QString &text = {}) { type(text), QTest::keyClick(focused(), Qt::Key_Return); }

    // The whole road by the keyboard: number, Enter, sub-project, Enter, note, Enter.
    void punchByKeyboard(const QString &number, const QString &subProject, const QString &note = QString())
    {
        window->txtNumVendeur->setFocus();
        enter(number);
        ASSERT_EQ(focused(), window->dcbProjet);
        enter(subProject);
        ASSERT_EQ(focused(), window->txtDescription);
        enter(note);
    }

    QString question(const QString &name, const QString &direction) const
    {
        return LOC_RTString(1256) + name + LOC_RTString(1054) + direction + u'?';
    }
    int punchCount() const { return scalar(u"SELECT COUNT(*) FROM Punch"_s).toInt(); }
    QList<QVariantMap> punches() const { return rows(u"SELECT * FROM Punch ORDER BY rowid"_s); }
    QString status(const QString &n) const
    {
        return scalar(u"SELECT Status FROM Vendeurs WHERE NoVendeur=? AND NomVendeur NOTNULL"_s, {n})
            .toString();
    }
    int presenceCount(const QString &n) const
    {
        return scalar(
                   u"SELECT COUNT(*) FROM Vendeurs WHERE NoVendeur=? AND NomVendeur ISNULL AND Projet NOTNULL"_s,
                   {n})
            .toInt();
    }

    std::unique_ptr<frmPunch> window;
    QLocale m_locale = QLocale();
};

} // namespace tarnvik::test
