#include "PunchWindowFixture.h"

#include "platform/ui/Pickers.h"
#include "platform/ui/PictureButton.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>

using namespace Qt::StringLiterals;

using namespace tarnvik;
using tarnvik::test::Answer;
using tarnvik::test::PunchWindowFixture;
using tarnvik::test::Shown;

namespace {

// The named fields of a stored row, joined by "|".
QString fields(const QVariantMap &row, const QStringList &names)
{
    QStringList values;
    for (const QString &name : names)
        values << row.value(name).toString();
    return values.join(u'|');
}

class frmPunchRoadTest : public PunchWindowFixture {
protected:
    // A punch on the painting sub-project of the site.
    void addPaintingPunch(const QString &number, const QString &inOut, const QDate &day, const QTime &time,
                          bool archived = false)
    {
        addPunch(number, inOut, day, time, u"Chantier"_s, u"Peinture"_s, archived);
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
    addPaintingPunch(u"1001"_s, u"In"_s, QDate(2003, 2, 27), QTime(8, 0));
    addPaintingPunch(u"1001"_s, u"Out"_s, QDate(2003, 2, 28), QTime(17, 15, 30), true);
    frmPunch &w = open();
    const QString latest = u"Last punch: Out at 5:15:30 PM on 2/28/03"_s;
    ASSERT_EQ(latest, LOC_RTString(1214) + u"Out"_s + LOC_RTString(1024) + u"5:15:30 PM"_s +
                          LOC_RTString(1036) + u"2/28/03"_s);

    type(u"100"_s);
    EXPECT_TRUE(w.lblStatus->text().isEmpty());
    EXPECT_EQ(w.txtNumVendeur->displayText(), u"***"_s);
    type(u"1"_s);
    EXPECT_EQ(w.lblStatus->text(), latest) << "the latest punch, even archived";
    type(u"9"_s);
    EXPECT_TRUE(w.lblStatus->text().isEmpty());
    QTest::keyClick(focused(), Qt::Key_Backspace);
    EXPECT_EQ(w.lblStatus->text(), latest);
    EXPECT_EQ(punchCount(), 2);
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(frmPunchRoadTest, SubProjectChoiceShowsItsProject)
{
    addProject(u"Atelier"_s, {u"Peinture"_s});
    frmPunch &w = open();
    type(u"1001"_s);
    pressEnter();
    ASSERT_EQ(focused(), w.dcbProjet);
    type(u"Accueil"_s);
    EXPECT_EQ(w.lblProjet->text(), u"Bureau"_s);
    // A name under two projects shows the first in alphabetical order.
    w.dcbProjet->setCurrentIndex(w.dcbProjet->findText(u"Peinture"_s));
    EXPECT_EQ(w.lblProjet->text(), u"Atelier"_s);
    // A name that is no sub-project leaves the caption as it was.
    w.dcbProjet->clearEditText();
    type(u"Jardin"_s);
    EXPECT_EQ(w.lblProjet->text(), u"Atelier"_s);
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
    punchByKeyboard(u"1001"_s, u"Peinture"_s, u"scaffold"_s);
    ASSERT_EQ(dialogs->shown().size(), 1);
    EXPECT_EQ(dialogs->shown()[0].text, question(u"Alice Martin"_s, u"In"_s));
    EXPECT_EQ(dialogs->shown()[0].style, 36);
    EXPECT_EQ(dialogs->shown()[0].title, u"Confirmation"_s);
    QList<QVariantMap> stored = punches();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(fields(stored[0], {"NoVendeur", "InOut", "PunchDateShort", "PunchTime", "PunchDateLong",
                                 "Projet", "SousProjet", "Description", "Archived"}),
              u"1001|In|2003-03-01|09:00:00|Saturday 01 March 2003|Chantier|Peinture|scaffold|0"_s);
    EXPECT_EQ(status(u"1001"_s), u"In"_s);
    EXPECT_EQ(presenceCount(u"1001"_s), 1);
    expectReadyForNext();

    Clock::advance(4 * 3600 + 17);
    dialogs->clear();
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    EXPECT_EQ(dialogs->messages(), QStringList({question(u"Alice Martin"_s, u"Out"_s)}));
    stored = punches();
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(fields(stored[1], {"InOut", "PunchTime", "Description"}),
              u"Out|13:00:17|"_s + LOC_RTString(1136));
    EXPECT_EQ(status(u"1001"_s), u"Out"_s);
    // The "Out" closes the presence that the "In" opened.
    EXPECT_EQ(presenceCount(u"1001"_s), 0);
    expectReadyForNext();
}

TEST_F(frmPunchRoadTest, NoAndUnknownNumbersWriteNothing)
{
    frmPunch &w = open();
    dialogs->thenNo();
    punchByKeyboard(u"1002"_s, u"Accueil"_s, u"note"_s);
    EXPECT_EQ(dialogs->messages(), QStringList({question(u"Bob O'Neil"_s, u"In"_s), LOC_RTString(1134)}));
    EXPECT_EQ(dialogs->shown()[1].style, 48);
    EXPECT_EQ(dialogs->shown()[1].title, u"Message"_s);
    EXPECT_EQ(punchCount(), 0);
    EXPECT_EQ(status(u"1002"_s), u"Out"_s);
    // The number and the choice are emptied, the note stays.
    EXPECT_TRUE(w.txtNumVendeur->text().isEmpty());
    EXPECT_TRUE(w.dcbProjet->Text().isEmpty());
    EXPECT_EQ(w.txtDescription->text(), u"note"_s);
    EXPECT_EQ(focused(), w.txtNumVendeur);

    // An unknown number; presence rows without an employee row do not make an employee.
    execSql(u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('5005', 'Bureau', 'Accueil')"_s);
    for (const QString &number : {u"4242"_s, u"5005"_s}) {
        SCOPED_TRACE(number.toStdString());
        dialogs->clear();
        punchByKeyboard(number, u"Accueil"_s);
        EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1152)}));
        EXPECT_EQ(dialogs->shown()[0].style, 48);
        EXPECT_EQ(punchCount(), 0);
        EXPECT_TRUE(w.txtNumVendeur->text().isEmpty());
    }
}

TEST_F(frmPunchRoadTest, InAndOutButtonsConfirmTheNameAndForceTheDirection)
{
    frmPunch &w = open();
    // The name question is answered Yes when confirm is set.
    const auto pressButton = [&](QAbstractButton *button, bool confirm, const QString &number = u"1001"_s) {
        w.txtNumVendeur->clear();
        w.txtNumVendeur->setFocus();
        type(number);
        pressEnter();
        type(u"Plomberie"_s);
        dialogs->clear();
        dialogs->then(confirm ? Answer::yes() : Answer::no());
        QTest::mouseClick(button, Qt::LeftButton);
    };
    const QString nameQuestion = LOC_RTString(1256) + u"Alice Martin?"_s;

    // Out with no open In: refused after the name is confirmed.
    pressButton(w.Command2, true);
    EXPECT_EQ(dialogs->messages(), QStringList({nameQuestion, LOC_RTString(1616)}));
    EXPECT_EQ(dialogs->shown()[1].style, 0);
    EXPECT_EQ(dialogs->shown()[1].title, u"Tarnvik"_s);
    EXPECT_EQ(punchCount(), 0);
    // A refusal leaves the entry as it is.
    EXPECT_EQ(w.txtNumVendeur->text(), u"1001"_s);
    EXPECT_EQ(w.dcbProjet->Text(), u"Plomberie"_s);

    // In: no second question.
    pressButton(w.Command1, true);
    EXPECT_EQ(dialogs->messages(), QStringList({nameQuestion}));
    ASSERT_EQ(punchCount(), 1);
    EXPECT_EQ(punches()[0].value("InOut").toString(), u"In"_s);
    EXPECT_EQ(presenceCount(u"1001"_s), 1);

    // In again on the same sub-project: refused.
    pressButton(w.Command1, true);
    EXPECT_EQ(dialogs->messages(), QStringList({nameQuestion, LOC_RTString(1618)}));
    EXPECT_EQ(punchCount(), 1);

    // The name not confirmed.
    pressButton(w.Command2, false);
    EXPECT_EQ(dialogs->messages(), QStringList({nameQuestion, LOC_RTString(1134)}));
    EXPECT_EQ(punchCount(), 1);
    EXPECT_TRUE(w.txtNumVendeur->text().isEmpty());

    // Out with the In open.
    pressButton(w.Command2, true);
    EXPECT_EQ(dialogs->messages(), QStringList({nameQuestion}));
    ASSERT_EQ(punchCount(), 2);
    EXPECT_EQ(punches()[1].value("InOut").toString(), u"Out"_s);
    EXPECT_EQ(status(u"1001"_s), u"Out"_s);
    EXPECT_EQ(presenceCount(u"1001"_s), 0);

    // An unknown number.
    pressButton(w.Command1, true, u"77"_s);
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1152)}));
    EXPECT_EQ(punchCount(), 2);
}

TEST_F(frmPunchRoadTest, MoreOutsThanInsRefusesEnterButNotTheInButton)
{
    const QDate d(2003, 2, 28);
    addPaintingPunch(u"1001"_s, u"In"_s, d, QTime(8, 0));
    addPaintingPunch(u"1001"_s, u"Out"_s, d, QTime(12, 0));
    addPaintingPunch(u"1001"_s, u"Out"_s, d, QTime(18, 0));
    frmPunch &w = open();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    EXPECT_EQ(dialogs->messages(), QStringList({LOC_RTString(1254)}));
    EXPECT_EQ(punchCount(), 3);

    dialogs->clear();
    dialogs->thenYes();
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(punchCount(), 4);
    EXPECT_EQ(punches()[3].value("InOut").toString(), u"In"_s);
}

TEST_F(frmPunchRoadTest, ArchivedPunchesDoNotCountSameNameElsewhereDoes)
{
    addProject(u"Atelier"_s, {u"Peinture"_s});
    // An archived open "In": a new punch by Enter is an "In".
    addPaintingPunch(u"1001"_s, u"In"_s, QDate(2003, 2, 3), QTime(8, 0), true);
    // An open "In" on the same name under another project makes the next one an "Out".
    addPaintingPunch(u"1002"_s, u"In"_s, QDate(2003, 2, 3), QTime(8, 0));
    open();
    dialogs->thenYes().thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    punchByKeyboard(u"1002"_s, u"Peinture"_s);
    const QList<QVariantMap> stored = rows(
        u"SELECT NoVendeur, InOut, Projet FROM Punch WHERE PunchDateShort = '2003-03-01' ORDER BY rowid"_s);
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0].value("InOut").toString(), u"In"_s);
    // The sub-project's project shown is the alphabetically first: Atelier.
    EXPECT_EQ(fields(stored[1], {"InOut", "Projet"}), u"Out|Atelier"_s);
}

TEST_F(frmPunchRoadTest, WithoutSubProjectThePunchGoesToTheNoProjectText)
{
    open();
    dialogs->thenYes().thenYes();
    punchByKeyboard(u"1001"_s, QString());
    punchByKeyboard(u"1001"_s, QString(), u"meeting"_s);
    const QList<QVariantMap> stored = punches();
    ASSERT_EQ(stored.size(), 2);
    const QString none = LOC_RTString(1698);
    EXPECT_EQ(fields(stored[0], {"InOut", "Projet", "SousProjet"}), u"In|"_s + none + u'|' + none);
    EXPECT_EQ(fields(stored[1], {"InOut", "Projet", "SousProjet", "Description"}),
              u"Out|"_s + none + u'|' + none + u"|meeting"_s);
    EXPECT_TRUE(stored[0].value("Description").isNull());
    EXPECT_EQ(presenceCount(u"1001"_s), 0);
}

TEST_F(frmPunchRoadTest, ChangingTheNumberEmptiesTheChoiceButKeepsTheProject)
{
    addPunch(u"1002"_s, u"Out"_s, QDate(2003, 2, 28), QTime(17, 0), u"Bureau"_s, u"Accueil"_s);
    frmPunch &w = open();
    type(u"1001"_s);
    pressEnter();
    type(u"Peinture"_s);
    ASSERT_EQ(w.lblProjet->text(), u"Chantier"_s);
    // The new number pasted over the old one: the box changes once.
    QApplication::clipboard()->setText(u"1002"_s);
    w.txtNumVendeur->setFocus();
    QTest::keyClick(focused(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(focused(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(w.txtNumVendeur->text(), u"1002"_s);
    EXPECT_TRUE(w.dcbProjet->Text().isEmpty());
    EXPECT_EQ(w.lblProjet->text(), u"Chantier"_s);
    dialogs->thenYes();
    for (int i = 0; i < 3; ++i)
        pressEnter();
    const QList<QVariantMap> stored =
        rows(u"SELECT * FROM Punch WHERE NoVendeur = '1002' AND PunchDateShort = '2003-03-01'"_s);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(fields(stored[0], {"Projet", "SousProjet"}), u"Chantier|"_s);
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
    punchByKeyboard(u"1001"_s, u"Accueil"_s);
    const QList<QVariantMap> stored = punches();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(fields(stored[0], {"PunchDateShort", "PunchTime", "PunchDateLong"}),
              u"2003-02-25|07:45:30|"_s + LOC_RTString(1648));
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

    // Enter without a number only turns the mode off.
    QTest::mouseClick(w.chkErreur, Qt::LeftButton);
    w.DPicker->setValue(QDate(2002, 12, 24));
    w.txtDescription->setFocus();
    dialogs->clear();
    pressEnter();
    EXPECT_EQ(punchCount(), 1);
    EXPECT_TRUE(dialogs->shown().isEmpty());
    EXPECT_FALSE(w.chkErreur->isChecked());
    EXPECT_EQ(w.DPicker->Value(), QDate(2003, 3, 1));
}

TEST_F(frmPunchRoadTest, CorrectionModeWithAnEmptiedPickerRefusesAndStaysOn)
{
    frmPunch &w = open();
    QTest::mouseClick(w.Label1, Qt::LeftButton);
    ASSERT_EQ(focused(), w.DPicker);
    QTest::keyClick(w.DPicker, Qt::Key_Delete);
    EXPECT_FALSE(w.DPicker->Value().isValid());

    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Accueil"_s);
    EXPECT_EQ(dialogs->messages(), QStringList({question(u"Alice Martin"_s, u"In"_s), LOC_RTString(1202)}));
    EXPECT_EQ(punchCount(), 0);
    EXPECT_TRUE(w.chkErreur->isChecked());
    EXPECT_EQ(focused(), w.DPicker);
    EXPECT_EQ(w.txtNumVendeur->text(), u"1001"_s);

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

TEST_F(frmPunchRoadTest, AFailedStoreIsToldAndKeepsTheEntryForAnotherTry)
{
    frmPunch &w = open();
    execSql(u"CREATE TRIGGER full_disk BEFORE INSERT ON Vendeurs BEGIN "
            "SELECT RAISE(ABORT, 'database or disk is full'); END"_s);
    QTest::mouseClick(w.chkErreur, Qt::LeftButton);
    w.DPicker->setValue(QDate(2003, 2, 26));
    w.TPicker->setValue(QTime(6, 30));
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s, u"matin"_s);
    ASSERT_EQ(dialogs->messages().size(), 2);
    const Shown told = dialogs->shown()[1];
    EXPECT_TRUE(told.text.startsWith(LOC_RTString(1720).section(QLatin1Char('%'), 0, 0)));
    EXPECT_TRUE(told.text.contains(u"database or disk is full"_s));
    EXPECT_EQ(told.style, 16);
    // Nothing of the punch was kept, and nothing typed was lost.
    EXPECT_EQ(punchCount(), 0);
    EXPECT_EQ(status(u"1001"_s), u"Out"_s);
    EXPECT_EQ(w.txtNumVendeur->text(), u"1001"_s);
    EXPECT_EQ(w.dcbProjet->Text(), u"Peinture"_s);
    EXPECT_EQ(w.txtDescription->text(), u"matin"_s);
    EXPECT_TRUE(w.chkErreur->isChecked());
    EXPECT_EQ(w.DPicker->Value(), QDate(2003, 2, 26));

    // The disk has room again: Enter once more.
    execSql(u"DROP TRIGGER full_disk"_s);
    dialogs->clear();
    dialogs->thenYes();
    pressEnter();
    const QList<QVariantMap> stored = punches();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(fields(stored[0], {"PunchDateShort", "PunchTime", "Description"}),
              u"2003-02-26|06:30:00|matin"_s);
    EXPECT_EQ(status(u"1001"_s), u"In"_s);
    EXPECT_EQ(presenceCount(u"1001"_s), 1);
    expectReadyForNext();
}

} // namespace
