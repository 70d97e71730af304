#include "PunchWindowFixture.h"

#include "platform/ui/Pickers.h"
#include "platform/ui/PictureButton.h"

#include <QCheckBox>
#include <QLabel>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchEntryTest = PunchWindowFixture;

// A click in the middle of the character at index of a picker's text, as a user's click reaches the
// picker's edit box, then digits typed.
void typeIntoSection(QDateTimeEdit *picker, int characterIndex, const QString &digits)
{
    QLineEdit *edit = picker->findChild<QLineEdit *>();
    const auto xOf = [edit](int index) {
        edit->setCursorPosition(index);
        return edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    };
    const QPoint point((xOf(characterIndex) + xOf(characterIndex + 1)) / 2, edit->height() / 2);
    edit->setCursorPosition(0);
    QTest::mouseClick(edit, Qt::LeftButton, {}, point);
    QTest::keyClicks(QApplication::focusWidget(), digits);
}

TEST_F(frmPunchEntryTest, CorrectionPunchRefusesAnEmptyDateAndKeepsTheFourDigitYearTyped)
{
    frmPunch &w = open();
    QTest::mouseClick(w.Label1, Qt::LeftButton); // the label toggles the box; the date picker has the focus
    QTest::keyClick(focused(), Qt::Key_Delete);
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Accueil"_s);
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1202)}) << "refused before any question";
    EXPECT_EQ(punchCount() + w.chkErreur->isChecked(), 1) << "nothing stored, still correcting";
    dialogs->clear();
    // A date picked again; a click on a section and digits type into it, in any order of sections; a
    // separator typed moves on to the next section.
    w.DPicker->setValue(QDate(2003, 3, 1));
    typeIntoSection(w.DPicker, 7, u"2035"_s), typeIntoSection(w.DPicker, 0, u"6/12"_s);
    typeIntoSection(w.TPicker, 0, u"22:45"_s);
    dialogs->thenYes();
    w.txtDescription->setFocus();
    enter();
    EXPECT_FALSE(w.chkErreur->isChecked()) << "the mode turns off after the punch";
    for (const QDate &day : {QDate(1999, 6, 12), QDate(1929, 7, 4)}) {
        QTest::mouseClick(w.chkErreur, Qt::LeftButton);
        w.DPicker->setValue(day);
        dialogs->thenYes();
        punchByKeyboard(u"1002"_s, u"Accueil"_s);
    }
    QStringList stored;
    for (const QVariantMap &row : punches())
        stored << fields(row, {"PunchDateShort", "PunchTime", "PunchDateLong"});
    const QString marked = u'|' + LOC_RTString(1648);
    EXPECT_EQ(stored, QStringList({"2035-12-06|22:45:00" + marked, "1999-06-12|09:00:00" + marked,
                                   "1929-07-04|09:00:00" + marked}));
}

// Enter in a picker ends the typing: a date or time that cannot exist stays shown, refused, and the punch
// made next is refused at once (before the employee is asked anything), by Enter or by the In button.
TEST_F(frmPunchEntryTest, ImpossibleCorrectionDateTypedThenEnterIsRefusedNeverStoredAsAnother)
{
    frmPunch &w = open();
    QTest::mouseClick(w.Label1, Qt::LeftButton);
    // Picker, keys typed from its first part, then the text it must keep.
    const QList<std::tuple<QDateTimeEdit *, QString, QString>> cases = {
        {w.DPicker, u"31/02/2026"_s, u"31/02/2026"_s},
        {w.DPicker, u"00/00/0000"_s, u"00/00/0000"_s},
        {w.TPicker, u"25:00:00"_s, u"25:00:00"_s},
    };
    for (const auto &[picker, keys, kept] : cases) {
        SCOPED_TRACE(keys.toStdString());
        w.DPicker->setValue(QDate(2026, 12, 1)), w.TPicker->setValue(QTime(9, 0));
        typeIntoSection(picker, 0, keys);
        QTest::keyClick(focused(), Qt::Key_Return);
        EXPECT_EQ(static_cast<BlankablePicker *>(picker)->typedText(), kept);
        for (QAbstractButton *button : std::initializer_list<QAbstractButton *>{nullptr, w.Command1}) {
            dialogs->clear();
            dialogs->thenYes().thenYes();
            w.txtNumVendeur->clear(); // a refusal keeps the number typed
            if (button) {
                w.txtNumVendeur->setFocus();
                type(u"1001"_s);
                QTest::mouseClick(button, Qt::LeftButton);
            } else {
                punchByKeyboard(u"1001"_s, u"Accueil"_s);
            }
            EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1202)});
            EXPECT_EQ(focused(), w.DPicker);
        }
    }
    EXPECT_EQ(punchCount(), 0);
    EXPECT_TRUE(w.chkErreur->isChecked());
}

TEST_F(frmPunchEntryTest, SubProjectOutsideTheListIsRefusedBeforeAnythingIsStored)
{
    frmPunch &w = open();
    const QString unlisted = LOC_RTString(1766).arg(u"Plo"_s);
    struct Case {
        const char *keys;        // typed in the sub-project box; '<' is a Backspace
        QAbstractButton *button; // nullptr: Enter in the note box
        QString told;
        bool stored; // as the list spells it
    };
    const Case cases[] = {{"Plom<<", nullptr, unlisted, false},
                          {"Plom<<", w.Command1, unlisted, false},
                          {"plomberie", nullptr, question(u"Alice Martin"_s, u"In"_s), true},
                          {"Plom", w.Command2, LOC_RTString(1256) + u"Alice Martin?"_s, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keys);
        dialogs->clear();
        dialogs->thenYes();
        const int before = punchCount();
        w.txtNumVendeur->clear();
        w.txtNumVendeur->setFocus();
        enter(u"1001"_s);
        for (const char *key = c.keys; *key; ++key)
            *key == '<' ? QTest::keyClick(focused(), Qt::Key_Backspace) : QTest::keyClick(focused(), *key);
        c.button ? QTest::mouseClick(c.button, Qt::LeftButton) : (enter(), enter());
        EXPECT_EQ(dialogs->messages(), QStringList{c.told});
        ASSERT_EQ(punchCount(), before + c.stored);
        if (c.stored)
            EXPECT_EQ(fields(punches().last(), {"Projet", "SousProjet"}), u"Chantier|Plomberie"_s);
        else // kept for the employee to pick again
            EXPECT_EQ(w.txtNumVendeur->text() + w.dcbProjet->Text() +
                          QString::number(focused() == w.dcbProjet),
                      u"1001Plo1"_s);
    }
    // A number replaced after a choice empties the sub-project but keeps the project shown.
    addPunch(u"1002"_s, u"Out"_s, QDate(2003, 2, 28), QTime(17, 0), u"Bureau"_s, u"Accueil"_s);
    dialogs->clear();
    w.txtNumVendeur->clear();
    w.txtNumVendeur->setFocus();
    enter(u"1001"_s);
    enter(u"Accueil"_s);
    w.txtNumVendeur->selectAll();
    w.txtNumVendeur->insert(u"1002"_s);
    EXPECT_EQ(w.lblProjet->text() + u'|' + w.dcbProjet->Text(), u"Bureau|"_s);
    enter();
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1768)});
    EXPECT_EQ(punchCount(), 3);
}

TEST_F(frmPunchEntryTest, NoteBoxNeverSplitsACharacterAndIsStoredWhole)
{
    frmPunch &w = open();
    const QString emoji = u"\U0001F600"_s, a254(254, u'a');
    const struct {
        QString before, pasted;
        int cursor; // where the paste goes; -1: at the end
        QString kept;
    } cases[] = {
        {QString(), QString(100000, u'x'), -1, QString(255, u'x')},
        {a254, emoji, -1, a254},
        {a254.left(253), u"be\u0301"_s, -1, a254.left(253) + u'b'}, // e and a combining acute accent
        {a254, u"bc"_s, 10, a254.left(10) + u'b' + a254.mid(10)},
        {QString(200, u'a'), emoji.repeated(40), 0, emoji.repeated(27) + QString(200, u'a')},
    };
    for (const auto &c : cases) {
        w.txtDescription->setText(c.before);
        w.txtDescription->setCursorPosition(c.cursor < 0 ? c.before.size() : c.cursor);
        w.txtDescription->insert(c.pasted);
        EXPECT_EQ(w.txtDescription->text(), c.kept) << c.before.size();
    }
    const QLabel *length = w.findChild<QLabel *>(u"lblNoteLength"_s);
    ASSERT_NE(length, nullptr);
    dialogs->thenYes();
    w.txtDescription->setText(QString(252, u'n'));
    w.txtDescription->end(false);
    w.txtDescription->insert(emoji + emoji);
    punchByKeyboard(u"1001"_s, u"Peinture"_s, u"zz"_s);
    ASSERT_EQ(punchCount(), 1);
    EXPECT_EQ(punches()[0].value("Description").toString(), QString(252, u'n') + emoji + u'z');
    EXPECT_EQ(length->text(), u"0 / 255"_s) << "the length beside the box follows it";
}

} // namespace
