#include "admin/frmProjets.h"
#include "GridCaptions.h"
#include "PunchWindowFixture.h"
#include "platform/ui/DataGrid.h"
#include <QHelpEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>

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
    void openProjects()
    {
        projects = std::make_unique<frmProjets>(window.get(), window.get());
        projects->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(projects.get()));
    }
    // A grid's lines: "Projet/SousProjet", the selected one marked with ">".
    static QStringList shown(DataGrid *grid)
    {
        QStringList lines;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            lines << (grid->currentIndex().row() == r ? u">"_s : u""_s) +
                         grid->model()->index(r, 1).data().toString() + u'/' +
                         grid->model()->index(r, 2).data().toString();
        return lines;
    }
    static void clickRow(DataGrid *grid, int row)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row, 1)).center());
    }
    static void pressDelete(DataGrid *grid, int row)
    {
        clickRow(grid, row);
        QTest::keyClick(grid->viewport(), Qt::Key_Delete);
    }
    static void typeName(QLineEdit *box, const QString &name) // Enter adds, as the button does
    {
        box->setFocus();
        QTest::keyClicks(box, name);
        QTest::keyClick(box, Qt::Key_Return);
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

TEST_F(frmProjetsTest, AddingKeepsDuplicatesAndReQueriesAfterASubProject)
{
    open();
    openProjects();
    QTest::mouseClick(projects->cmdAjoutP, Qt::LeftButton);
    typeName(projects->txtSous, QString()); // no name typed
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1652), LOC_RTString(1654)}));
    typeName(projects->txtProjet, u"Chantier"_s); // a second project of that name, selected
    EXPECT_EQ(shown(projects->dgProjets), QStringList({u"Bureau/"_s, u"Chantier/"_s, u">Chantier/"_s}));
    typeName(projects->txtSous, u"Peinture"_s); // twice under one name; the list is read again
    EXPECT_EQ(shown(projects->dgProjets), QStringList({u">Bureau/"_s, u"Chantier/"_s, u"Chantier/"_s}));
    EXPECT_EQ(stored().mid(5), QStringList({u"Chantier/"_s, u"Chantier/Peinture"_s}));
    typeName(projects->txtSous, u"O'Brien & fils"_s); // under Bureau, the current project
    EXPECT_EQ(shown(projects->dgSous), QStringList({u">Bureau/Accueil"_s, u"Bureau/O'Brien & fils"_s}));
    EXPECT_EQ(dialogs->messages().size(), 2);
}

// The caption of no project ("None") is refused as a parent and for deletion; a real project's
// sub-project of that name is asked about like any other; the hidden name is not listed; a sub-project
// needs a project.
TEST_F(frmProjetsTest, NoProjectCaptionRefusesSubProjectsAndDeletion)
{
    addProject(u"None"_s, {u"None"_s});
    addProject(u"Aucun"_s, {u"Aucun"_s});
    execSql(u"INSERT INTO Projets (Projet, SousProjet) VALUES ('Bureau', 'None')"_s);
    open();
    openProjects();
    EXPECT_FALSE(shown(projects->dgProjets).join(u' ').contains(u"Aucun"_s));
    clickRow(projects->dgProjets, 2);
    QTest::keyClicks(projects->txtSous, u"Extra"_s);
    QTest::mouseClick(projects->cmdAjout, Qt::LeftButton);
    pressDelete(projects->dgProjets, 2);
    pressDelete(projects->dgSous, 0);
    clickRow(projects->dgProjets, 0);
    dialogs->thenNo();
    pressDelete(projects->dgSous, 1);
    EXPECT_EQ(stored().size(), 10);
    execSql(u"DELETE FROM Projets"_s);
    openProjects();
    typeName(projects->txtSous, u"Orphan"_s);
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1678), LOC_RTString(1680), LOC_RTString(1682),
                                                LOC_RTString(1672) + u"None'?"_s, LOC_RTString(1816)}));
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(frmProjetsTest, DeletingAProjectRemovesEveryRowOfItsNameInOneGo)
{
    addPunch(u"1001"_s, u"In"_s, QDate(2003, 3, 1), QTime(8, 0), u"Chantier"_s, u"Peinture"_s);
    addProject(u"Dépôt"_s, {});
    open();
    // Report rows an older program may have written (the station's start-up removes them).
    execSql(u"INSERT INTO Projets (Projet, SousProjet, NoVendeur, TotalHeures) "
            "VALUES ('Chantier', 'Peinture', '1001', '1:00'), ('Chantier', NULL, NULL, '2:00')"_s);
    openProjects();
    typeName(projects->txtProjet, u"Atelier"_s); // listed last until the list is read again
    dialogs->thenNo().thenYes();
    pressDelete(projects->dgProjets, 1);
    EXPECT_EQ(stored().size(), 9) << "No keeps everything";
    pressDelete(projects->dgProjets, 1);
    EXPECT_EQ(dialogs->messages(), QStringList(2, LOC_RTString(1670) + u"Chantier"_s + LOC_RTString(1026)));
    EXPECT_EQ(stored(), QStringList({u"Bureau/"_s, u"Bureau/Accueil"_s, u"Dépôt/"_s, u"Atelier/"_s}));
    EXPECT_EQ(shown(projects->dgProjets), QStringList({u"Atelier/"_s, u"Bureau/"_s, u">Dépôt/"_s}));
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch WHERE Projet = 'Chantier'"_s).toInt(), 1);
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
    pressDelete(projects->dgSous, 0);
    typeName(projects->txtProjet, u"Atelier"_s);
    typeName(projects->txtSous, u"Tournage"_s);
    const QStringList said = dialogs->messages();
    ASSERT_EQ(said.size(), 6);
    EXPECT_TRUE(said[1].startsWith(u"The project could not be deleted"_s) &&
                said[1].contains(u"tree locked"_s));
    EXPECT_TRUE(said[3].startsWith(u"The sub-project could not be deleted"_s));
    EXPECT_TRUE(said[4].startsWith(u"The project could not be added"_s));
    EXPECT_TRUE(said[5].startsWith(u"The sub-project could not be added"_s));
    EXPECT_EQ(projects->txtProjet->text() + projects->txtSous->text(), u"AtelierTournage"_s) << "kept";
    EXPECT_EQ(stored().size(), 5) << "the project row went neither";
    EXPECT_EQ(shown(projects->dgProjets), QStringList({u">Bureau/"_s, u"Chantier/"_s}));
}

TEST_F(frmProjetsTest, OkHandsTheNewListToTheStationAndClearsItsChoice)
{
    open();
    window->dcbProjet->setText(u"Peinture"_s);
    openProjects();
    typeName(projects->txtSous, u"Archives"_s);
    EXPECT_EQ(window->dcbProjet->count(), 3) << "the station's list changes on OK only";
    QTest::mouseClick(projects->cmdOk, Qt::LeftButton);
    EXPECT_EQ(window->dcbProjet->count(), 4);
    EXPECT_EQ(window->dcbProjet->itemText(1), u"Archives"_s);
    EXPECT_TRUE(window->dcbProjet->Text().isEmpty());
}

// A long name reads whole in both grids.
// Long names read whole beside captions that read whole, in both languages; a name longer than its column
// shows whole in a tool tip wrapped to fit on the screen.
TEST_F(frmProjetsTest, LongNamesReadWhole)
{
    const QString name = u"Agrandissement de l'atelier"_s, longest = u"A"_s + QString(300, u'x');
    addProject(name, {u"Peinture des façades extérieures"_s});
    addProject(longest, {});
    const auto rowOf = [](DataGrid *grid, const QString &text) {
        int row = 0;
        while (row < grid->model()->rowCount() && grid->model()->index(row, 1).data().toString() != text)
            ++row;
        return row;
    };
    for (const int lang : {1, 2}) {
        execSql(u"UPDATE Acces SET Lang = ?"_s, {lang});
        LOCRTSModule::reset();
        projects.reset(); // a child of the station's window
        open(), openProjects();
        clickRow(projects->dgProjets, rowOf(projects->dgProjets, name));
        for (const auto &[grid, column] :
             {std::pair{projects->dgProjets, 1}, std::pair{projects->dgSous, 2}}) {
            const QString text = grid->model()->index(grid->currentRow(), column).data().toString();
            EXPECT_GE(grid->columnWidth(column), grid->fontMetrics().horizontalAdvance(text) + 8)
                << text.toStdString();
            EXPECT_EQ(test::cutCaptions(grid), QStringList()) << lang;
        }
    }
    DataGrid *grid = projects->dgProjets;
    const QRect cell = grid->visualRect(grid->model()->index(rowOf(grid, longest), 1));
    QHelpEvent hover(QEvent::ToolTip, cell.center(), grid->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid->viewport(), &hover);
    QWidget *tip = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel") && w->isVisible())
            tip = w;
    ASSERT_TRUE(tip);
    EXPECT_EQ(QToolTip::text().remove(QChar(0x200B)), u"<p>"_s + longest + u"</p>"_s);
    EXPECT_LE(tip->width(), grid->screen()->geometry().width());
    QToolTip::hideText();
}

} // namespace
