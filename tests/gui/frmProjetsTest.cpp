#include "admin/frmProjets.h"
#include "PunchWindowFixture.h"
#include "admin/frmVendeurs.h"
#include "platform/ui/DataGrid.h"
#include "station/Scramble.h"
#include "station/ui/AdminMenus.h"
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {

// The fixture's tree: Chantier {Peinture, Plomberie} and Bureau {Accueil};
// English, so string 1698 is "None" and the hidden no-project name "Aucun".
class frmProjetsTest : public test::PunchWindowFixture {
protected:
    void TearDown() override
    {
        projects.reset();
        PunchWindowFixture::TearDown();
    }
    frmProjets &openProjects()
    {
        projects = std::make_unique<frmProjets>(window.get(), window.get());
        projects->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(projects.get()));
        return *projects;
    }
    // A grid's lines: "Projet/SousProjet", the selected one marked with ">".
    static QStringList shown(DataGrid *grid)
    {
        QStringList lines;
        const QAbstractItemModel *m = grid->model();
        for (int r = 0; r < m->rowCount(); ++r)
            lines << (grid->currentIndex().row() == r ? u">"_s : u""_s) + m->index(r, 1).data().toString() +
                         u'/' + m->index(r, 2).data().toString();
        return lines;
    }
    static void clickRow(DataGrid *grid, int row)
    {
        const QModelIndex index = grid->model()->index(row, 1);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    }
    static void pressDelete(DataGrid *grid, int row)
    {
        clickRow(grid, row);
        QTest::keyClick(grid->viewport(), Qt::Key_Delete);
    }
    static void typeName(QLineEdit *box, const QString &name)
    {
        box->setFocus();
        QTest::keyClicks(box, name);
        QTest::keyClick(box, Qt::Key_Return); // Enter adds, as the button does
    }
    QStringList stored() const
    {
        QStringList lines;
        for (const QVariantMap &row : rows(u"SELECT * FROM Projets ORDER BY rowid"_s))
            lines << row[u"Projet"_s].toString() + u'/' + row[u"SousProjet"_s].toString();
        return lines;
    }

    std::unique_ptr<frmProjets> projects;
};

TEST_F(frmProjetsTest, NoProjectNameIsHiddenAtLoadButShownAfterARowChange)
{
    addProject(u"Aucun"_s, {u"Aucun"_s});
    execSql(u"INSERT INTO Projets (Projet, SousProjet) VALUES ('Bureau', 'Aucun')"_s);
    open();
    type(u"1001"_s);
    openProjects();
    EXPECT_EQ(projects->lblVendeur->text(), u"1001"_s);
    EXPECT_EQ(shown(projects->dgProjets), QStringList({u">Bureau/"_s, u"Chantier/"_s}));
    EXPECT_EQ(shown(projects->dgSous), QStringList({u">Bureau/Accueil"_s}));
    clickRow(projects->dgProjets, 1);
    EXPECT_EQ(shown(projects->dgSous), QStringList({u">Chantier/Peinture"_s, u"Chantier/Plomberie"_s}));
    clickRow(projects->dgProjets, 0);
    EXPECT_EQ(shown(projects->dgSous), QStringList({u">Bureau/Accueil"_s, u"Bureau/Aucun"_s}));
}

TEST_F(frmProjetsTest, AddingKeepsDuplicatesAndReQueriesAfterASubProject)
{
    open();
    openProjects();
    QTest::mouseClick(projects->cmdAjoutP, Qt::LeftButton);
    typeName(projects->txtSous, QString()); // no name typed
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1652), LOC_RTString(1654)}));
    typeName(projects->txtProjet, u"Chantier"_s); // a second project of that name
    EXPECT_EQ(shown(projects->dgProjets), QStringList({u"Bureau/"_s, u"Chantier/"_s, u">Chantier/"_s}))
        << "shown last, selected, until the next query";
    EXPECT_EQ(shown(projects->dgSous), QStringList({u">Chantier/Peinture"_s, u"Chantier/Plomberie"_s}))
        << "the two projects of one name share their sub-projects";
    typeName(projects->txtSous, u"Peinture"_s); // twice under one project
    EXPECT_TRUE(projects->txtSous->text().isEmpty());
    EXPECT_EQ(shown(projects->dgProjets), QStringList({u">Bureau/"_s, u"Chantier/"_s, u"Chantier/"_s}));
    EXPECT_EQ(shown(projects->dgSous), QStringList({u">Bureau/Accueil"_s}))
        << "the first project is current again";
    EXPECT_EQ(stored().mid(5), QStringList({u"Chantier/"_s, u"Chantier/Peinture"_s}));
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Projets WHERE SousProjet = 'Peinture'"_s).toInt(), 2);
    typeName(projects->txtSous, u"O'Brien & fils"_s); // under Bureau, the current project
    EXPECT_EQ(shown(projects->dgSous), QStringList({u">Bureau/Accueil"_s, u"Bureau/O'Brien & fils"_s}));
    EXPECT_EQ(dialogs->messages().size(), 2);
}

TEST_F(frmProjetsTest, TheNoProjectCaptionIsRefusedSubProjectsAndDeletion)
{
    addProject(u"None"_s, {u"None"_s});
    open();
    openProjects();
    clickRow(projects->dgProjets, 2);
    QTest::keyClicks(projects->txtSous, u"Extra"_s);
    QTest::mouseClick(projects->cmdAjout, Qt::LeftButton);
    EXPECT_TRUE(projects->txtSous->text().isEmpty()) << "the box is emptied";
    pressDelete(projects->dgProjets, 2);
    pressDelete(projects->dgSous, 0);
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1678), LOC_RTString(1680), LOC_RTString(1682)}));
    EXPECT_EQ(stored().size(), 7);
    EXPECT_EQ(shown(projects->dgProjets).size(), 3);
}

TEST_F(frmProjetsTest, DeletingAProjectRemovesEveryRowOfItsNameInOneGo)
{
    addPunch(u"1001"_s, u"In"_s, QDate(2003, 3, 1), QTime(8, 0), u"Chantier"_s, u"Peinture"_s);
    execSql(
        u"INSERT INTO Projets (Projet, SousProjet, NoVendeur, TotalHeures) "
        "VALUES ('Chantier', 'Peinture', '1001', '1:00 Hours:Minutes'), ('Chantier', NULL, NULL, '2:00')"_s);
    addProject(u"Dépôt"_s, {});
    open();
    openProjects();
    typeName(projects->txtProjet, u"Atelier"_s); // listed last until the list is read again
    dialogs->thenNo();
    pressDelete(projects->dgProjets, 1);
    EXPECT_EQ(stored().size(), 9) << "No keeps everything";
    dialogs->thenYes();
    pressDelete(projects->dgProjets, 1);
    EXPECT_EQ(dialogs->messages(), QStringList(2, LOC_RTString(1670) + u"Chantier"_s + LOC_RTString(1026)));
    EXPECT_EQ(dialogs->shown().last().style, 36);
    EXPECT_EQ(stored(), QStringList({u"Bureau/"_s, u"Bureau/Accueil"_s, u"Dépôt/"_s, u"Atelier/"_s}));
    EXPECT_EQ(shown(projects->dgProjets), QStringList({u"Atelier/"_s, u"Bureau/"_s, u">Dépôt/"_s}))
        << "the row that followed is current";
    EXPECT_TRUE(shown(projects->dgSous).isEmpty()) << "until the next row change";
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch WHERE Projet = 'Chantier'"_s).toInt(), 1);
    EXPECT_EQ(dialogs->remaining() + dialogs->unanswered(), 0);
}

TEST_F(frmProjetsTest, DeletingASubProjectAsksAndRemovesThatRowOnly)
{
    open();
    openProjects();
    clickRow(projects->dgProjets, 1);
    dialogs->thenNo().thenYes();
    pressDelete(projects->dgSous, 1);
    pressDelete(projects->dgSous, 1);
    EXPECT_EQ(dialogs->messages(), QStringList(2, LOC_RTString(1672) + u"Plomberie'?"_s));
    EXPECT_EQ(shown(projects->dgSous), QStringList({u">Chantier/Peinture"_s}));
    EXPECT_EQ(stored(),
              QStringList({u"Chantier/"_s, u"Chantier/Peinture"_s, u"Bureau/"_s, u"Bureau/Accueil"_s}));
}

TEST_F(frmProjetsTest, FailedWritesAreSaidAndLeaveNothingHalfDone)
{
    execSql(u"CREATE TRIGGER KeepAccueil BEFORE DELETE ON Projets WHEN old.SousProjet = 'Accueil' "
            "BEGIN SELECT RAISE(ABORT, 'tree locked'); END"_s);
    execSql(
        u"CREATE TRIGGER NoInsert BEFORE INSERT ON Projets BEGIN SELECT RAISE(ABORT, 'read-only'); END"_s);
    open();
    openProjects();
    dialogs->thenYes();
    pressDelete(projects->dgProjets, 0);
    ASSERT_EQ(dialogs->messages().size(), 2);
    EXPECT_TRUE(dialogs->messages()[1].startsWith(u"The project could not be deleted"_s));
    EXPECT_TRUE(dialogs->messages()[1].contains(u"tree locked"_s));
    EXPECT_EQ(stored().size(), 5) << "the project row went neither";
    EXPECT_EQ(shown(projects->dgSous), QStringList({u">Bureau/Accueil"_s}));
    pressDelete(projects->dgSous, 0);
    EXPECT_TRUE(dialogs->messages().last().startsWith(u"The sub-project could not be deleted"_s));
    typeName(projects->txtProjet, u"Atelier"_s);
    typeName(projects->txtSous, u"Tournage"_s);
    EXPECT_TRUE(dialogs->messages()[4].startsWith(u"The project could not be added"_s));
    EXPECT_TRUE(dialogs->messages()[5].startsWith(u"The sub-project could not be added"_s));
    EXPECT_EQ(projects->txtProjet->text() + projects->txtSous->text(), u"AtelierTournage"_s) << "kept";
    EXPECT_EQ(shown(projects->dgProjets), QStringList({u">Bureau/"_s, u"Chantier/"_s}));
    EXPECT_EQ(stored().size(), 5);
}

TEST_F(frmProjetsTest, OkHandsTheNewListToTheStationAndClearsItsChoice)
{
    open();
    window->dcbProjet->setText(u"Peinture"_s);
    openProjects();
    typeName(projects->txtSous, u"Archives"_s);
    EXPECT_EQ(window->dcbProjet->count(), 3) << "the station's list changes on OK only";
    QTest::mouseClick(projects->cmdOk, Qt::LeftButton);
    EXPECT_FALSE(projects->isVisible());
    QStringList items;
    for (int i = 0; i < window->dcbProjet->count(); ++i)
        items << window->dcbProjet->itemText(i);
    EXPECT_EQ(items, QStringList({u"Accueil"_s, u"Archives"_s, u"Peinture"_s, u"Plomberie"_s}));
    EXPECT_TRUE(window->dcbProjet->Text().isEmpty());
    window->dcbProjet->setText(u"Accueil"_s);
    openProjects();
    QTest::mouseClick(projects->cmdOk, Qt::LeftButton); // unchanged tree: still cleared
    EXPECT_TRUE(window->dcbProjet->Text().isEmpty());
}

TEST_F(frmProjetsTest, EmployeesEntryPassesTheGateAndProjectsEntryDoesNot)
{
    execSql(u"UPDATE Acces SET RapPass = ?"_s, {Brouiller(u"Secret"_s, u"Secret"_s)});
    open();
    QStringList opened;
    const auto trigger = [&](QAction *entry) {
        QTimer::singleShot(0, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                opened << QLatin1String(modal->metaObject()->className());
                modal->close();
            }
        });
        entry->trigger();
    };
    trigger(window->mnuProjets);
    EXPECT_TRUE(dialogs->shown().isEmpty());
    dialogs->thenType(u"Secret"_s);
    trigger(window->mnuEmployes);
    EXPECT_EQ(dialogs->shown().size(), 1);
    EXPECT_EQ(opened, QStringList({u"tarnvik::frmProjets"_s, u"tarnvik::frmVendeurs"_s}));
}

} // namespace
