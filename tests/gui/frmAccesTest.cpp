#include "admin/frmAcces.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "station/AdminGate.h"
#include "station/Scramble.h"
#include "support/ProgramFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace tarnvik;
using tarnvik::test::ProgramFixture;
using tarnvik::test::Shown;

namespace {

class frmAccesTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 2"_s);
        LOC_RTString(1092);
    }

    void setStoredPassword(const QString &password)
    {
        execSql(u"UPDATE Acces SET RapPass = ?"_s, {Brouiller(password, password)});
    }
    QVariant storedRapPass() const { return scalar(u"SELECT RapPass FROM Acces"_s); }

    // The gate as the menu passes it: the typed password is checked, which
    // leaves PassStored and PassEntered as the window finds them.
    void passGate(const QString &typed)
    {
        AdminGate gate;
        dialogs->thenType(typed);
        ASSERT_TRUE(gate.run([] {}));
        dialogs->clear();
    }

    // Types into a field the way a user does: select what is there, type over it.
    static void typeInto(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
    }
    // Types the same text into the password and its confirmation.
    static void typeBoth(frmAcces &window, const QString &text)
    {
        typeInto(window.txtPass, text);
        typeInto(window.txtPass2, text);
    }
    // Opens the window, types the new password twice and presses OK.
    static void changeTo(const QString &password)
    {
        frmAcces window;
        window.show();
        typeBoth(window, password);
        QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    }
};

TEST_F(frmAccesTest, OpensWithCaptionsAndMaskedFields)
{
    frmAcces window;
    EXPECT_EQ(window.windowTitle(), LOC_RTString(1090));
    EXPECT_EQ(window.Label1->text(), LOC_RTString(1392));
    EXPECT_EQ(window.Label2->text(), LOC_RTString(1644));
    EXPECT_EQ(window.cmdOk->text(), u"Ok"_s);
    EXPECT_EQ(window.cmdAnnuler->text(), u"Cancel"_s);
    EXPECT_EQ(window.txtPass->echoMode(), QLineEdit::Password);
    EXPECT_EQ(window.txtPass2->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(window.txtPass2->text().isEmpty());

    // Tab order: the two fields, OK, Cancel.
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), window.txtPass);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.txtPass2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.cmdOk);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.cmdAnnuler);
}

TEST_F(frmAccesTest, NoPasswordSetShowsItsNoteAndANewPasswordIsTypedTwice)
{
    frmAcces window;
    window.show();
    EXPECT_EQ(window.txtPass->text(), LOC_RTString(1132));

    typeBoth(window, u"Neuf"_s);
    QTest::keyClick(window.txtPass2, Qt::Key_Return);

    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(storedRapPass().toString(), Brouiller(u"Neuf"_s, u"Neuf"_s));
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

TEST_F(frmAccesTest, CurrentPasswordIsShownAndMustBeConfirmed)
{
    setStoredPassword(u"Secret"_s);
    passGate(u"Secret"_s);
    frmAcces window;
    window.show();
    EXPECT_EQ(window.txtPass->text(), u"Secret"_s);

    // OK without typing the confirmation: refused, the window stays as it was.
    QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    ASSERT_EQ(dialogs->shown().size(), 1);
    EXPECT_EQ(dialogs->shown().at(0).text, LOC_RTString(1646));
    EXPECT_EQ(dialogs->shown().at(0).style, 16);
    EXPECT_EQ(dialogs->shown().at(0).title, LOC_RTString(1250));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.txtPass->text(), u"Secret"_s);
    EXPECT_TRUE(window.txtPass2->text().isEmpty());

    // A confirmation differing only in case is refused too.
    typeInto(window.txtPass2, u"secret"_s);
    QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().size(), 2);
    EXPECT_TRUE(window.isVisible());

    // The current password typed again is stored again.
    execSql(u"UPDATE Acces SET RapPass = 'marker'"_s);
    typeInto(window.txtPass2, u"Secret"_s);
    QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(storedRapPass().toString(), Brouiller(u"Secret"_s, u"Secret"_s));
}

TEST_F(frmAccesTest, BothFieldsEmptyRemovesThePassword)
{
    setStoredPassword(u"Secret"_s);
    passGate(u"Secret"_s);
    {
        frmAcces window;
        window.show();
        typeInto(window.txtPass, QString());
        QTest::mouseClick(window.cmdOk, Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
    }
    const QVariant stored = storedRapPass();
    EXPECT_FALSE(stored.isNull()) << "an empty text, not Null";
    EXPECT_EQ(stored.toString(), QString());

    // The next locked guarded click asks for a first password.
    AdminGate gate;
    dialogs->thenType(u"Premier"_s);
    EXPECT_TRUE(gate.run([] {}));
    ASSERT_FALSE(dialogs->shown().isEmpty());
    EXPECT_EQ(dialogs->shown().at(0).text, LOC_RTString(1248));
}

TEST_F(frmAccesTest, ReopenedAfterAChangeShowsThePasswordLastTypedIntoTheGate)
{
    setStoredPassword(u"Ancien"_s);
    passGate(u"Ancien"_s);
    changeTo(u"Nouveau"_s);
    EXPECT_EQ(storedRapPass().toString(), Brouiller(u"Nouveau"_s, u"Nouveau"_s));
    // Still logged on: the gate did not run again, so its old values stand.
    frmAcces again;
    EXPECT_EQ(again.txtPass->text(), u"Ancien"_s);
}

TEST_F(frmAccesTest, RightAfterAFirstPasswordTheFieldShowsTheStaleCheck)
{
    // No existing password was tested since start: PassStored is empty.
    passGate(u"Premier"_s);
    ASSERT_TRUE(ProgramState::PassStored.isEmpty());
    frmAcces window;
    EXPECT_TRUE(window.txtPass->text().isEmpty());
}

TEST_F(frmAccesTest, NewPasswordDifferingInCaseIsStoredAsTyped)
{
    setStoredPassword(u"Secret"_s);
    passGate(u"Secret"_s);
    changeTo(u"SECRET"_s);
    AdminGate gate;
    dialogs->thenType(u"Secret"_s).thenType(u"SECRET"_s);
    EXPECT_FALSE(gate.run([] {}));
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1394)});
    EXPECT_TRUE(gate.run([] {}));
}

TEST_F(frmAccesTest, CancelAndTheCloseBoxStoreNothing)
{
    setStoredPassword(u"Secret"_s);
    passGate(u"Secret"_s);
    const QVariant before = storedRapPass();
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel");
        frmAcces window;
        window.show();
        typeBoth(window, u"Autre"_s);
        if (closeBox)
            window.close();
        else
            QTest::mouseClick(window.cmdAnnuler, Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Rejected);
    }
    EXPECT_EQ(storedRapPass(), before);
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

TEST_F(frmAccesTest, FailedStoreIsReportedAndTheWindowStaysOpen)
{
    frmAcces window;
    window.show();
    execSql(u"CREATE TRIGGER KeepAcces BEFORE UPDATE ON Acces BEGIN "
            "SELECT RAISE(ABORT, 'settings locked'); END"_s);
    typeBoth(window, u"Neuf"_s);
    QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages().at(0).contains(u"settings locked"_s));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(storedRapPass().toString(), QString());
}

TEST_F(frmAccesTest, SeparatorMovesOnFinerScreens)
{
    frmAcces window;
    window.placeLine1(12);
    EXPECT_EQ(window.Line1->x(), 92);
    window.placeLine1(15);
    EXPECT_NE(window.Line1->x(), 92);
}

} // namespace
