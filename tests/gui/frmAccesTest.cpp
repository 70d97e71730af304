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

using namespace tarnvik;
using tarnvik::test::ProgramFixture;
using tarnvik::test::Shown;

namespace {

class frmAccesTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(QStringLiteral("UPDATE Acces SET Lang = 2"));
        LOC_RTString(1092);
    }

    void setStoredPassword(const QString &password)
    {
        execSql(QStringLiteral("UPDATE Acces SET RapPass = ?"), {Brouiller(password, password)});
    }
    QVariant storedRapPass() const { return scalar(QStringLiteral("SELECT RapPass FROM Acces")); }

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
};

TEST_F(frmAccesTest, OpensWithCaptionsAndMaskedFields)
{
    frmAcces window;
    EXPECT_EQ(window.windowTitle(), LOC_RTString(1090));
    EXPECT_EQ(window.Label1->text(), LOC_RTString(1392));
    EXPECT_EQ(window.Label2->text(), LOC_RTString(1644));
    EXPECT_EQ(window.cmdOk->text(), QStringLiteral("Ok"));
    EXPECT_EQ(window.cmdAnnuler->text(), QStringLiteral("Cancel"));
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

    typeInto(window.txtPass, QStringLiteral("Neuf"));
    typeInto(window.txtPass2, QStringLiteral("Neuf"));
    QTest::keyClick(window.txtPass2, Qt::Key_Return);

    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(storedRapPass().toString(), Brouiller(QStringLiteral("Neuf"), QStringLiteral("Neuf")));
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

TEST_F(frmAccesTest, CurrentPasswordIsShownAndMustBeConfirmed)
{
    setStoredPassword(QStringLiteral("Secret"));
    passGate(QStringLiteral("Secret"));
    frmAcces window;
    window.show();
    EXPECT_EQ(window.txtPass->text(), QStringLiteral("Secret"));

    // OK without typing the confirmation: refused, the window stays as it was.
    QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    ASSERT_EQ(dialogs->shown().size(), 1);
    EXPECT_EQ(dialogs->shown().at(0).text, LOC_RTString(1646));
    EXPECT_EQ(dialogs->shown().at(0).style, 16);
    EXPECT_EQ(dialogs->shown().at(0).title, LOC_RTString(1250));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.txtPass->text(), QStringLiteral("Secret"));
    EXPECT_TRUE(window.txtPass2->text().isEmpty());

    // A confirmation differing only in case is refused too.
    typeInto(window.txtPass2, QStringLiteral("secret"));
    QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().size(), 2);
    EXPECT_TRUE(window.isVisible());

    // The current password typed again is stored again.
    execSql(QStringLiteral("UPDATE Acces SET RapPass = 'marker'"));
    typeInto(window.txtPass2, QStringLiteral("Secret"));
    QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(storedRapPass().toString(), Brouiller(QStringLiteral("Secret"), QStringLiteral("Secret")));
}

TEST_F(frmAccesTest, BothFieldsEmptyRemovesThePassword)
{
    setStoredPassword(QStringLiteral("Secret"));
    passGate(QStringLiteral("Secret"));
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
    dialogs->thenType(QStringLiteral("Premier"));
    EXPECT_TRUE(gate.run([] {}));
    ASSERT_FALSE(dialogs->shown().isEmpty());
    EXPECT_EQ(dialogs->shown().at(0).text, LOC_RTString(1248));
}

TEST_F(frmAccesTest, ReopenedAfterAChangeShowsThePasswordLastTypedIntoTheGate)
{
    setStoredPassword(QStringLiteral("Ancien"));
    passGate(QStringLiteral("Ancien"));
    {
        frmAcces window;
        window.show();
        typeInto(window.txtPass, QStringLiteral("Nouveau"));
        typeInto(window.txtPass2, QStringLiteral("Nouveau"));
        QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    }
    EXPECT_EQ(storedRapPass().toString(), Brouiller(QStringLiteral("Nouveau"), QStringLiteral("Nouveau")));
    // Still logged on: the gate did not run again, so its old values stand.
    frmAcces again;
    EXPECT_EQ(again.txtPass->text(), QStringLiteral("Ancien"));
}

TEST_F(frmAccesTest, RightAfterAFirstPasswordTheFieldShowsTheStaleCheck)
{
    // No existing password was tested since start: PassStored is empty.
    passGate(QStringLiteral("Premier"));
    ASSERT_TRUE(ProgramState::PassStored.isEmpty());
    frmAcces window;
    EXPECT_TRUE(window.txtPass->text().isEmpty());
}

TEST_F(frmAccesTest, NewPasswordDifferingInCaseIsStoredAsTyped)
{
    setStoredPassword(QStringLiteral("Secret"));
    passGate(QStringLiteral("Secret"));
    {
        frmAcces window;
        window.show();
        typeInto(window.txtPass, QStringLiteral("SECRET"));
        typeInto(window.txtPass2, QStringLiteral("SECRET"));
        QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    }
    AdminGate gate;
    dialogs->thenType(QStringLiteral("Secret")).thenType(QStringLiteral("SECRET"));
    EXPECT_FALSE(gate.run([] {}));
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1394)});
    EXPECT_TRUE(gate.run([] {}));
}

TEST_F(frmAccesTest, CancelAndTheCloseBoxStoreNothing)
{
    setStoredPassword(QStringLiteral("Secret"));
    passGate(QStringLiteral("Secret"));
    const QVariant before = storedRapPass();
    {
        frmAcces window;
        window.show();
        typeInto(window.txtPass, QStringLiteral("Autre"));
        typeInto(window.txtPass2, QStringLiteral("Autre"));
        QTest::mouseClick(window.cmdAnnuler, Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Rejected);
    }
    {
        frmAcces window;
        window.show();
        typeInto(window.txtPass, QStringLiteral("Autre"));
        typeInto(window.txtPass2, QStringLiteral("Autre"));
        window.close();
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(storedRapPass(), before);
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

TEST_F(frmAccesTest, FailedStoreIsReportedAndTheWindowStaysOpen)
{
    frmAcces window;
    window.show();
    execSql(QStringLiteral("CREATE TRIGGER KeepAcces BEFORE UPDATE ON Acces BEGIN "
                           "SELECT RAISE(ABORT, 'settings locked'); END"));
    typeInto(window.txtPass, QStringLiteral("Neuf"));
    typeInto(window.txtPass2, QStringLiteral("Neuf"));
    QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages().at(0).contains(QStringLiteral("settings locked")));
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
