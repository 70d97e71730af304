#pragma once

#include "admin/frmArchives.h"
#include "admin/frmModifier.h"
#include "common/ProgramState.h"
#include "common/RecordsetTableModel.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/DataGrid.h"
#include "support/ProgramFixture.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTest>

namespace tarnvik::test {
using namespace Qt::StringLiterals;

// The archives window over a test database in English, with the clock fixed on Saturday 1 March 2003
// at nine; employees 1001 and 1002, the projects "Chantier" (Peinture, Plomberie) and "Bureau" (Accueil).
class ArchivesFixture : public ProgramFixture {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 2"_s);
        addEmployee(u"1001"_s, u"Alice Martin"_s, u"Out"_s);
        addEmployee(u"1002"_s, u"Bob O'Neil"_s, u"Out"_s);
        addProject(u"Chantier"_s, {u"Peinture"_s, u"Plomberie"_s});
        addProject(u"Bureau"_s, {u"Accueil"_s});
    }
    void TearDown() override
    {
        corrections.reset();
        archives.reset();
        ProgramFixture::TearDown();
        QLocale::setDefault(m_locale);
    }
    void openArchives()
    {
        corrections.reset(); // a child of the archives window
        (archives = std::make_unique<frmArchives>())->show();
        archives->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(archives.get()));
    }
    // The correction window as the archives window's button opens it, but not modal, so the test drives it.
    frmModifier &openCorrections(DataSource *stationEmployees = nullptr)
    {
        ProgramState::OpeningModifier = true;
        corrections.reset();
        corrections = std::make_unique<frmModifier>(archives.get(), stationEmployees, archives.get());
        corrections->show();
        corrections->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(corrections.get()));
        return *corrections;
    }
    static void clickRow(DataGrid *grid, int row)
    {
        const QModelIndex index = grid->model()->index(row, 0);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    }
    // Clicks into the first part of a picker, as a user starts typing a date or time.
    static void clickFirstPart(QDateTimeEdit *picker)
    {
        QWidget *edit = picker->findChild<QLineEdit *>();
        picker->setFocus();
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(4, edit->height() / 2));
    }
    // Clicks into the first section of a picker and types its digits ("28022003", "101500").
    static void typeInto(QDateTimeEdit *picker, const QString &digits)
    {
        picker->setFocus();
        picker->setSelectedSection(picker->sectionAt(0));
        QTest::keyClicks(picker, digits);
    }
    void punch(const QString &number, const QString &inOut, const QString &date, const QString &time,
               const QString &project, const QString &subProject, bool archived = false)
    {
        addPunch(number, inOut, QDate::fromString(date, Qt::ISODate), QTime::fromString(time), project,
                 subProject, archived);
    }
    // "number inOut date time project/sub-project archived long-date" of each punch, by rowid.
    QStringList stored() const
    {
        QStringList out;
        for (const QVariantMap &r :
             rows(u"SELECT trim(NoVendeur||' '||InOut||' '||PunchDateShort||' '||PunchTime"
                  "||' '||ifnull(Projet,'')||'/'||ifnull(SousProjet,'')||' '||Archived||' '||"
                  "ifnull(PunchDateLong,'')) AS r FROM Punch ORDER BY rowid"_s))
            out << r[u"r"_s].toString();
        return out;
    }

    std::unique_ptr<frmArchives> archives;
    std::unique_ptr<frmModifier> corrections;
    QLocale m_locale = QLocale();
};

} // namespace tarnvik::test
