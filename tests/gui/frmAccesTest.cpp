#include "admin/frmAcces.h"
#include "localisation/LOCRTSModule.h"
#include "station/AdminGate.h"
#include "station/Scramble.h"
#include "support/ProgramFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {
class frmAccesTest : public test::ProgramFixture {
protected:
    // The gate as the menu runs it before opening the window (English texts: no language chooser).
    bool passGate(const QString &typed)
    {
        execSql(u"UPDATE Acces SET Lang = 2, RapPass = ?"_s, {Brouiller(typed, typed)});
        dialogs->thenType(typed);
        return AdminGate().run([] {});
    }
    QVariant stored() const { return scalar(u"SELECT RapPass FROM Acces"_s); }
    // Shows the window and types text over what both fields hold, as a user does; then OK when asked.
    static void typeBoth(frmAcces &window, const QString &text, bool ok = false)
    {
        window.show();
        for (QLineEdit *field : {window.txtPass, window.txtPass2}) {
            field->selectAll();
            text.isEmpty() ? QTest::keyClick(field, Qt::Key_Delete) : QTest::keyClicks(field, text);
        }
        if (ok)
            QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    }
};

TEST_F(frmAccesTest, CurrentPasswordIsShownMaskedAndMustBeConfirmedExactly)
{
    ASSERT_TRUE(passGate(u"Secret"_s));
    frmAcces window;
    window.show();
    EXPECT_EQ(window.txtPass->text(), u"Secret"_s);
    QTest::mouseClick(window.cmdOk, Qt::LeftButton); // confirmation left empty
    QTest::keyClicks(window.txtPass2, u"secret"_s);  // differs in case only
    // One "*" per character, as the number box shows.
    EXPECT_EQ(window.txtPass->displayText() + u'|' + window.txtPass2->displayText(), u"******|******"_s);
    QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages(), QStringList(2, LOC_RTString(1646)));
    EXPECT_TRUE(window.isVisible() && window.txtPass->text() + window.txtPass2->text() == u"Secretsecret"_s);
    execSql(u"CREATE TRIGGER KeepAcces BEFORE UPDATE ON Acces BEGIN SELECT RAISE(ABORT, 'locked'); END"_s);
    QTest::keyClick(window.txtPass2, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.txtPass2, u"Secret"_s);
    QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    EXPECT_TRUE(window.isVisible() && dialogs->messages().value(2).contains(u"locked"_s)) << "reason shown";
}

TEST_F(frmAccesTest, FieldShowsTheLastGateRunCancelKeepsAndEmptyRemovesThePassword)
{
    ASSERT_TRUE(passGate(u"Secret"_s));
    for (bool closeBox : {false, true}) {
        frmAcces window;
        typeBoth(window, u"Autre"_s);
        closeBox ? void(window.close()) : QTest::mouseClick(window.cmdAnnuler, Qt::LeftButton);
    }
    EXPECT_EQ(stored().toString(), Brouiller(u"Secret"_s, u"Secret"_s)) << "Cancel and close store nothing";
    EXPECT_EQ(frmAcces().txtPass->text(), u"Secret"_s) << "the password last typed into the gate";
    typeBoth(*std::make_unique<frmAcces>(), QString(), true);
    EXPECT_TRUE(!stored().isNull() && stored().toString().isEmpty()) << "an empty text, not Null";
    dialogs->then(test::Answer::cancel());
    EXPECT_FALSE(AdminGate().run([] {}));
    EXPECT_EQ(dialogs->shown().last().text, LOC_RTString(1248)) << "the gate asks for a first password";
}
// A character of two UTF-16 units (an emoji) shows as one "*", as any other character does: the field reads
// "ab😀cd" as five stars, just as "abcde".
TEST_F(frmAccesTest, EveryCharacterShowsAsOneStar)
{
    ASSERT_TRUE(passGate(u"Secret"_s));
    frmAcces window;
    window.show();
    const auto look = [&](const QString &typed) {
        window.txtPass2->clear();
        for (const char32_t c : typed.toUcs4()) // one key per character
            QTest::sendKeyEvent(QTest::Click, window.txtPass2, Qt::Key_unknown, QString::fromUcs4(&c, 1), {});
        return window.txtPass2->grab().toImage();
    };
    EXPECT_EQ(look(u"ab😀cd"_s), look(u"abcde"_s));
    EXPECT_NE(look(u"abcdef"_s), look(u"abcde"_s)) << "a sixth star shows";
    EXPECT_EQ(window.txtPass2->text(), u"abcdef"_s);
}
// Both captions read whole, in French and in English.
TEST_F(frmAccesTest, CaptionsReadWholeInBothLanguages)
{
    for (const int lang : {1, 2}) {
        SCOPED_TRACE(lang);
        execSql(u"UPDATE Acces SET Lang = ?"_s, {lang});
        LOCRTSModule::reset();
        frmAcces window;
        window.show();
        for (const QLabel *caption : {window.Label1, window.Label2})
            EXPECT_LE(caption->fontMetrics().horizontalAdvance(caption->text()), caption->width())
                << caption->text().toStdString();
    }
}

} // namespace
