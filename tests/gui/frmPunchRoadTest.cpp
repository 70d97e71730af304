#include "PunchWindowFixture.h"

#include "platform/ui/Pickers.h"
#include "platform/ui/PictureButton.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>

using namespace tarnvik;
using tarnvik::test::PunchWindowFixture;
using tarnvik::test::Shown;

namespace {

class frmPunchRoadTest : public PunchWindowFixture {
protected:
    void addPresence(const QString &number, const QString &project, const QString &sub)
    {
        execSql(QStringLiteral("INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES (?, ?, ?)"),
                {number, project, sub});
    }
    // The entry fields are empty and the number box waits for the next employee.
    void expectReadyForNext()
    {
        EXPECT_TRUE(window->txtNumVendeur->text().isEmpty());
        EXPECT_TRUE(window->txtDescription->text().isEmpty());
        EXPECT_TRUE(window->lblStatus->text().isEmpty());
        EXPECT_TRUE(window->dcbProjet->Text().isEmpty());
        EXPECT_EQ(window->lblProjet->text(), LOC_RTString(1698));
        EXPECT_EQ(focused(), window->txtNumVendeur);
    }
};

TEST_F(frmPunchRoadTest, StatusLineFollowsEveryKeystroke)
{
    addPunch(QStringLiteral("1001"), QStringLiteral("In"), QDate(2003, 2, 27), QTime(8, 0),
             QStringLiteral("Chantier"), QStringLiteral("Peinture"));
    addPunch(QStringLiteral("1001"), QStringLiteral("Out"), QDate(2003, 2, 28), QTime(17, 15, 30),
             QStringLiteral("Chantier"), QStringLiteral("Peinture"), true);
    frmPunch &w = open();
    const QString latest = LOC_RTString(1214) + QStringLiteral("Out") + LOC_RTString(1024) +
                           QStringLiteral("5:15:30 PM") + LOC_RTString(1036) + QStringLiteral("2/28/03");

    type(QStringLiteral("100"));
    EXPECT_TRUE(w.lblStatus->text().isEmpty());
    EXPECT_EQ(w.txtNumVendeur->displayText(), QStringLiteral("***"));
    type(QStringLiteral("1"));
    // The latest punch, even archived.
    EXPECT_EQ(w.lblStatus->text(), latest);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Last punch: Out at 5:15:30 PM on 2/28/03"));
    type(QStringLiteral("9"));
    EXPECT_TRUE(w.lblStatus->text().isEmpty());
    QTest::keyClick(focused(), Qt::Key_Backspace);
    EXPECT_EQ(w.lblStatus->text(), latest);
    EXPECT_EQ(punchCount(), 2);
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(frmPunchRoadTest, SubProjectChoiceShowsItsProject)
{
    addProject(QStringLiteral("Atelier"), {QStringLiteral("Peinture")});
    frmPunch &w = open();
    type(QStringLiteral("1001"));
    pressEnter();
    ASSERT_EQ(focused(), w.dcbProjet);
    type(QStringLiteral("Accueil"));
    EXPECT_EQ(w.lblProjet->text(), QStringLiteral("Bureau"));
    // A name under two projects shows the first in alphabetical order.
    w.dcbProjet->setCurrentIndex(w.dcbProjet->findText(QStringLiteral("Peinture")));
    EXPECT_EQ(w.lblProjet->text(), QStringLiteral("Atelier"));
    // A name that is no sub-project leaves the caption as it was.
    w.dcbProjet->clearEditText();
    type(QStringLiteral("Jardin"));
    EXPECT_EQ(w.lblProjet->text(), QStringLiteral("Atelier"));
    // The list holds every sub-project row, a name under two projects twice.
    EXPECT_EQ(w.dcbProjet->count(), 4);
    pressEnter();
    EXPECT_EQ(focused(), w.txtDescription);
    EXPECT_EQ(punchCount(), 0);
}

TEST_F(frmPunchRoadTest, EnterPunchesInThenOutWithConfirmations)
{
    open();
    dialogs->thenYes();
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Peinture"), QStringLiteral("scaffold"));
    ASSERT_EQ(dialogs->shown().size(), 1);
    EXPECT_EQ(dialogs->shown()[0].text, question(QStringLiteral("Alice Martin"), QStringLiteral("In")));
    EXPECT_EQ(dialogs->shown()[0].style, 36);
    EXPECT_EQ(dialogs->shown()[0].title, QStringLiteral("Confirmation"));
    QList<QVariantMap> stored = punches();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].value("NoVendeur").toString(), QStringLiteral("1001"));
    EXPECT_EQ(stored[0].value("InOut").toString(), QStringLiteral("In"));
    EXPECT_EQ(stored[0].value("PunchDateShort").toString(), QStringLiteral("2003-03-01"));
    EXPECT_EQ(stored[0].value("PunchTime").toString(), QStringLiteral("09:00:00"));
    EXPECT_EQ(stored[0].value("PunchDateLong").toString(), QStringLiteral("Saturday 01 March 2003"));
    EXPECT_EQ(stored[0].value("Projet").toString(), QStringLiteral("Chantier"));
    EXPECT_EQ(stored[0].value("SousProjet").toString(), QStringLiteral("Peinture"));
    EXPECT_EQ(stored[0].value("Description").toString(), QStringLiteral("scaffold"));
    EXPECT_EQ(stored[0].value("Archived").toInt(), 0);
    EXPECT_EQ(status(QStringLiteral("1001")), QStringLiteral("In"));
    EXPECT_EQ(presenceCount(QStringLiteral("1001")), 1);
    expectReadyForNext();

    Clock::advance(4 * 3600 + 17);
    dialogs->clear();
    dialogs->thenYes();
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Peinture"));
    EXPECT_EQ(dialogs->messages(),
              QStringList({question(QStringLiteral("Alice Martin"), QStringLiteral("Out"))}));
    stored = punches();
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[1].value("InOut").toString(), QStringLiteral("Out"));
    EXPECT_EQ(stored[1].value("PunchTime").toString(), QStringLiteral("13:00:17"));
    EXPECT_EQ(stored[1].value("Description").toString(), LOC_RTString(1136));
    EXPECT_EQ(status(QStringLiteral("1001")), QStringLiteral("Out"));
    // The "Out" closes the presence that the "In" opened.
    EXPECT_EQ(presenceCount(QStringLiteral("1001")), 0);
    expectReadyForNext();
}

TEST_F(frmPunchRoadTest, NoAndUnknownNumbersWriteNothing)
{
    frmPunch &w = open();
    dialogs->thenNo();
    punchByKeyboard(QStringLiteral("1002"), QStringLiteral("Accueil"), QStringLiteral("note"));
    EXPECT_EQ(dialogs->messages(), QStringList({question(QStringLiteral("Bob O'Neil"), QStringLiteral("In")),
                                                LOC_RTString(1134)}));
    EXPECT_EQ(dialogs->shown()[1].style, 48);
    EXPECT_EQ(dialogs->shown()[1].title, QStringLiteral("Message"));
    EXPECT_EQ(punchCount(), 0);
    EXPECT_EQ(status(QStringLiteral("1002")), QStringLiteral("Out"));
    // The number and the choice are emptied, the note stays.
    EXPECT_TRUE(w.txtNumVendeur->text().isEmpty());
    EXPECT_TRUE(w.dcbProjet->Text().isEmpty());
    EXPECT_EQ(w.txtDescription->text(), QStringLiteral("note"));
    EXPECT_EQ(focused(), w.txtNumVendeur);

    dialogs->clear();
    punchByKeyboard(QStringLiteral("4242"), QStringLiteral("Accueil"));
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1152)}));
    EXPECT_EQ(dialogs->shown()[0].style, 48);
    EXPECT_EQ(punchCount(), 0);
    EXPECT_TRUE(w.txtNumVendeur->text().isEmpty());

    // Presence rows without an employee row do not make an employee.
    addPresence(QStringLiteral("5005"), QStringLiteral("Bureau"), QStringLiteral("Accueil"));
    dialogs->clear();
    punchByKeyboard(QStringLiteral("5005"), QStringLiteral("Accueil"));
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1152)}));
    EXPECT_EQ(punchCount(), 0);
}

TEST_F(frmPunchRoadTest, InAndOutButtonsConfirmTheNameAndForceTheDirection)
{
    frmPunch &w = open();
    const auto pressButton = [&](QAbstractButton *button, const QString &number, const QString &sub) {
        w.txtNumVendeur->setFocus();
        type(number);
        pressEnter();
        type(sub);
        QTest::mouseClick(button, Qt::LeftButton);
    };
    const QString nameQuestion = LOC_RTString(1256) + QStringLiteral("Alice Martin?");

    // Out with no open In: refused after the name is confirmed.
    dialogs->thenYes();
    pressButton(w.Command2, QStringLiteral("1001"), QStringLiteral("Plomberie"));
    EXPECT_EQ(dialogs->messages(), QStringList({nameQuestion, LOC_RTString(1616)}));
    EXPECT_EQ(dialogs->shown()[1].style, 0);
    EXPECT_EQ(dialogs->shown()[1].title, QStringLiteral("Tarnvik"));
    EXPECT_EQ(punchCount(), 0);
    // A refusal leaves the entry as it is.
    EXPECT_EQ(w.txtNumVendeur->text(), QStringLiteral("1001"));
    EXPECT_EQ(w.dcbProjet->Text(), QStringLiteral("Plomberie"));

    // In: no second question.
    w.txtNumVendeur->clear();
    dialogs->clear();
    dialogs->thenYes();
    pressButton(w.Command1, QStringLiteral("1001"), QStringLiteral("Plomberie"));
    EXPECT_EQ(dialogs->messages(), QStringList({nameQuestion}));
    ASSERT_EQ(punchCount(), 1);
    EXPECT_EQ(punches()[0].value("InOut").toString(), QStringLiteral("In"));
    EXPECT_EQ(presenceCount(QStringLiteral("1001")), 1);

    // In again on the same sub-project: refused.
    dialogs->clear();
    dialogs->thenYes();
    pressButton(w.Command1, QStringLiteral("1001"), QStringLiteral("Plomberie"));
    EXPECT_EQ(dialogs->messages(), QStringList({nameQuestion, LOC_RTString(1618)}));
    EXPECT_EQ(punchCount(), 1);

    // The name not confirmed.
    w.txtNumVendeur->clear();
    dialogs->clear();
    dialogs->thenNo();
    pressButton(w.Command2, QStringLiteral("1001"), QStringLiteral("Plomberie"));
    EXPECT_EQ(dialogs->messages(), QStringList({nameQuestion, LOC_RTString(1134)}));
    EXPECT_EQ(punchCount(), 1);
    EXPECT_TRUE(w.txtNumVendeur->text().isEmpty());

    // Out with the In open.
    dialogs->clear();
    dialogs->thenYes();
    pressButton(w.Command2, QStringLiteral("1001"), QStringLiteral("Plomberie"));
    EXPECT_EQ(dialogs->messages(), QStringList({nameQuestion}));
    ASSERT_EQ(punchCount(), 2);
    EXPECT_EQ(punches()[1].value("InOut").toString(), QStringLiteral("Out"));
    EXPECT_EQ(status(QStringLiteral("1001")), QStringLiteral("Out"));
    EXPECT_EQ(presenceCount(QStringLiteral("1001")), 0);

    // An unknown number.
    dialogs->clear();
    pressButton(w.Command1, QStringLiteral("77"), QStringLiteral("Plomberie"));
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1152)}));
    EXPECT_EQ(punchCount(), 2);
}

TEST_F(frmPunchRoadTest, MoreOutsThanInsRefusesEnterButNotTheInButton)
{
    const QDate d(2003, 2, 28);
    addPunch(QStringLiteral("1001"), QStringLiteral("In"), d, QTime(8, 0), QStringLiteral("Chantier"),
             QStringLiteral("Peinture"));
    addPunch(QStringLiteral("1001"), QStringLiteral("Out"), d, QTime(12, 0), QStringLiteral("Chantier"),
             QStringLiteral("Peinture"));
    addPunch(QStringLiteral("1001"), QStringLiteral("Out"), d, QTime(18, 0), QStringLiteral("Chantier"),
             QStringLiteral("Peinture"));
    frmPunch &w = open();
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Peinture"));
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1254)}));
    EXPECT_EQ(punchCount(), 3);

    dialogs->clear();
    dialogs->thenYes();
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(punchCount(), 4);
    EXPECT_EQ(punches()[3].value("InOut").toString(), QStringLiteral("In"));
}

TEST_F(frmPunchRoadTest, ArchivedPunchesDoNotCountSameNameElsewhereDoes)
{
    addProject(QStringLiteral("Atelier"), {QStringLiteral("Peinture")});
    const QDate d(2003, 2, 3);
    // (the window is opened after the history is in place)
    // An archived open "In": a new punch by Enter is an "In".
    addPunch(QStringLiteral("1001"), QStringLiteral("In"), d, QTime(8, 0), QStringLiteral("Chantier"),
             QStringLiteral("Peinture"), true);
    // An open "In" on the same name under another project makes the next one an "Out".
    addPunch(QStringLiteral("1002"), QStringLiteral("In"), d, QTime(8, 0), QStringLiteral("Chantier"),
             QStringLiteral("Peinture"));
    open();
    dialogs->thenYes().thenYes();
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Peinture"));
    punchByKeyboard(QStringLiteral("1002"), QStringLiteral("Peinture"));
    const QList<QVariantMap> stored =
        rows(QStringLiteral("SELECT NoVendeur, InOut, Projet FROM Punch "
                            "WHERE PunchDateShort = '2003-03-01' ORDER BY rowid"));
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0].value("InOut").toString(), QStringLiteral("In"));
    EXPECT_EQ(stored[1].value("InOut").toString(), QStringLiteral("Out"));
    // The sub-project's project shown is the alphabetically first: Atelier.
    EXPECT_EQ(stored[1].value("Projet").toString(), QStringLiteral("Atelier"));
}

TEST_F(frmPunchRoadTest, WithoutSubProjectThePunchGoesToTheNoProjectText)
{
    open();
    dialogs->thenYes().thenYes();
    punchByKeyboard(QStringLiteral("1001"), QString());
    punchByKeyboard(QStringLiteral("1001"), QString(), QStringLiteral("meeting"));
    const QList<QVariantMap> stored = punches();
    ASSERT_EQ(stored.size(), 2);
    const QString none = LOC_RTString(1698);
    for (const QVariantMap &r : stored) {
        EXPECT_EQ(r.value("Projet").toString(), none);
        EXPECT_EQ(r.value("SousProjet").toString(), none);
    }
    EXPECT_TRUE(stored[0].value("Description").isNull());
    EXPECT_EQ(stored[1].value("InOut").toString(), QStringLiteral("Out"));
    EXPECT_EQ(stored[1].value("Description").toString(), QStringLiteral("meeting"));
    EXPECT_EQ(presenceCount(QStringLiteral("1001")), 0);
}

TEST_F(frmPunchRoadTest, ChangingTheNumberEmptiesTheChoiceButKeepsTheProject)
{
    addPunch(QStringLiteral("1002"), QStringLiteral("Out"), QDate(2003, 2, 28), QTime(17, 0),
             QStringLiteral("Bureau"), QStringLiteral("Accueil"));
    frmPunch &w = open();
    type(QStringLiteral("1001"));
    pressEnter();
    type(QStringLiteral("Peinture"));
    ASSERT_EQ(w.lblProjet->text(), QStringLiteral("Chantier"));
    // The new number pasted over the old one: the box changes once.
    QApplication::clipboard()->setText(QStringLiteral("1002"));
    w.txtNumVendeur->setFocus();
    QTest::keyClick(focused(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(focused(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(w.txtNumVendeur->text(), QStringLiteral("1002"));
    EXPECT_TRUE(w.dcbProjet->Text().isEmpty());
    EXPECT_EQ(w.lblProjet->text(), QStringLiteral("Chantier"));
    dialogs->thenYes();
    pressEnter();
    pressEnter();
    pressEnter();
    const QList<QVariantMap> stored = rows(QStringLiteral("SELECT * FROM Punch WHERE NoVendeur = '1002' "
                                                          "AND PunchDateShort = '2003-03-01'"));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].value("Projet").toString(), QStringLiteral("Chantier"));
    EXPECT_EQ(stored[0].value("SousProjet").toString(), QString());
}

TEST_F(frmPunchRoadTest, CorrectionModeTakesThePickersAndThenTurnsOff)
{
    frmPunch &w = open();
    Clock::setFixed(QDateTime(QDate(2003, 3, 1), QTime(11, 20, 0)));
    QTest::mouseClick(w.chkErreur, Qt::LeftButton);
    ASSERT_TRUE(w.chkErreur->isChecked());
    EXPECT_EQ(focused(), w.DPicker);
    EXPECT_EQ(w.DPicker->Value(), QDate(2003, 3, 1));
    EXPECT_EQ(w.TPicker->Value(), QTime(11, 20));
    w.DPicker->setValue(QDate(2003, 2, 25));
    w.TPicker->setValue(QTime(7, 45, 30));

    dialogs->thenYes();
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Accueil"));
    const QList<QVariantMap> stored = punches();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].value("PunchDateShort").toString(), QStringLiteral("2003-02-25"));
    EXPECT_EQ(stored[0].value("PunchTime").toString(), QStringLiteral("07:45:30"));
    EXPECT_EQ(stored[0].value("PunchDateLong").toString(), LOC_RTString(1648));
    EXPECT_FALSE(w.chkErreur->isChecked());
    EXPECT_EQ(w.DPicker->Value(), QDate(2003, 3, 1));
    EXPECT_EQ(w.TPicker->Value(), QTime(11, 20));
    EXPECT_EQ(focused(), w.txtNumVendeur);

    // The label beside the box toggles it.
    QTest::mouseClick(w.Label1, Qt::LeftButton);
    EXPECT_TRUE(w.chkErreur->isChecked());
    QTest::mouseClick(w.Label1, Qt::LeftButton);
    EXPECT_FALSE(w.chkErreur->isChecked());
    EXPECT_EQ(focused(), w.txtNumVendeur);
}

TEST_F(frmPunchRoadTest, CorrectionModeWithAnEmptiedPickerRefusesAndStaysOn)
{
    frmPunch &w = open();
    QTest::mouseClick(w.Label1, Qt::LeftButton);
    ASSERT_EQ(focused(), w.DPicker);
    QTest::keyClick(w.DPicker, Qt::Key_Delete);
    EXPECT_FALSE(w.DPicker->Value().isValid());

    dialogs->thenYes();
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Accueil"));
    EXPECT_EQ(
        dialogs->messages(),
        QStringList({question(QStringLiteral("Alice Martin"), QStringLiteral("In")), LOC_RTString(1202)}));
    EXPECT_EQ(punchCount(), 0);
    EXPECT_TRUE(w.chkErreur->isChecked());
    EXPECT_EQ(focused(), w.DPicker);
    EXPECT_EQ(w.txtNumVendeur->text(), QStringLiteral("1001"));

    // Typing a date into the empty picker starts from today.
    QTest::keyClick(w.DPicker, Qt::Key_Up);
    EXPECT_EQ(w.DPicker->Value(), QDate(2003, 3, 1));
    // The same with the time picker.
    QTest::keyClick(w.TPicker, Qt::Key_Backspace);
    EXPECT_FALSE(w.TPicker->Value().isValid());
    dialogs->clear();
    dialogs->thenYes();
    w.txtDescription->setFocus();
    pressEnter();
    EXPECT_EQ(dialogs->messages().last(), LOC_RTString(1202));
    EXPECT_EQ(punchCount(), 0);
}

TEST_F(frmPunchRoadTest, CorrectionModeWithoutANumberOnlyTurnsItselfOff)
{
    frmPunch &w = open();
    QTest::mouseClick(w.chkErreur, Qt::LeftButton);
    w.DPicker->setValue(QDate(2002, 12, 24));
    w.txtDescription->setFocus();
    pressEnter();
    EXPECT_EQ(punchCount(), 0);
    EXPECT_TRUE(dialogs->shown().isEmpty());
    EXPECT_FALSE(w.chkErreur->isChecked());
    EXPECT_EQ(w.DPicker->Value(), QDate(2003, 3, 1));
}

TEST_F(frmPunchRoadTest, AFailedStoreIsToldAndKeepsTheEntryForAnotherTry)
{
    frmPunch &w = open();
    execSql(QStringLiteral("CREATE TRIGGER full_disk BEFORE INSERT ON Vendeurs BEGIN "
                           "SELECT RAISE(ABORT, 'database or disk is full'); END"));
    QTest::mouseClick(w.chkErreur, Qt::LeftButton);
    w.DPicker->setValue(QDate(2003, 2, 26));
    w.TPicker->setValue(QTime(6, 30));
    dialogs->thenYes();
    punchByKeyboard(QStringLiteral("1001"), QStringLiteral("Peinture"), QStringLiteral("matin"));
    ASSERT_EQ(dialogs->messages().size(), 2);
    const Shown told = dialogs->shown()[1];
    EXPECT_TRUE(told.text.startsWith(LOC_RTString(1720).section(QLatin1Char('%'), 0, 0)));
    EXPECT_TRUE(told.text.contains(QStringLiteral("database or disk is full")));
    EXPECT_EQ(told.style, 16);
    // Nothing of the punch was kept, and nothing typed was lost.
    EXPECT_EQ(punchCount(), 0);
    EXPECT_EQ(status(QStringLiteral("1001")), QStringLiteral("Out"));
    EXPECT_EQ(w.txtNumVendeur->text(), QStringLiteral("1001"));
    EXPECT_EQ(w.dcbProjet->Text(), QStringLiteral("Peinture"));
    EXPECT_EQ(w.txtDescription->text(), QStringLiteral("matin"));
    EXPECT_TRUE(w.chkErreur->isChecked());
    EXPECT_EQ(w.DPicker->Value(), QDate(2003, 2, 26));

    // The disk has room again: Enter once more.
    execSql(QStringLiteral("DROP TRIGGER full_disk"));
    dialogs->clear();
    dialogs->thenYes();
    pressEnter();
    const QList<QVariantMap> stored = punches();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].value("PunchDateShort").toString(), QStringLiteral("2003-02-26"));
    EXPECT_EQ(stored[0].value("PunchTime").toString(), QStringLiteral("06:30:00"));
    EXPECT_EQ(stored[0].value("Description").toString(), QStringLiteral("matin"));
    EXPECT_EQ(status(QStringLiteral("1001")), QStringLiteral("In"));
    EXPECT_EQ(presenceCount(QStringLiteral("1001")), 1);
    expectReadyForNext();
}

} // namespace
