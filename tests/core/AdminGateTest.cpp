#include "station/AdminGate.h"
#include "common/Database.h"
#include "common/ProgramState.h"
#include "common/Windows1252.h"
#include "localisation/LOCRTSModule.h"
#include "station/Scramble.h"
#include "support/ProgramFixture.h"

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;

namespace {
class AdminGateTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 2"_s); // English: the language is settled without a chooser
    }
    void TearDown() override { gate.reset(), ProgramFixture::TearDown(); }
    void setPassword(const QString &p) { execSql(u"UPDATE Acces SET RapPass = ?"_s, {Brouiller(p, p)}); }
    QString stored() const // a scramble holding a NUL is stored as its bytes
    {
        const QVariant v = scalar(u"SELECT RapPass FROM Acces"_s);
        return v.typeId() == QMetaType::QByteArray ? Windows1252::decode(v.toByteArray()) : v.toString();
    }
    bool click() { return gate->run(count); }
    bool clickLocked() { return gate->logOff(), click(); }
    QStringList boxes() const // every box shown as "text|title|style" (style 1: a masked input box)
    {
        QStringList result;
        for (const Shown &s : dialogs->shown())
            result << u"%1|%2|%3"_s.arg(s.text, s.title).arg(s.style);
        return result;
    }
    QString box(int t, int h, int s) { return u"%1|%2|%3"_s.arg(LOC_RTString(t), LOC_RTString(h)).arg(s); }
    std::optional<AdminGate> gate{std::in_place}; // gone before the database closes
    int runs = 0;
    const std::function<void()> count = [this] { ++runs; };
};

// The first password is stored scrambled with itself. The check unscrambles the stored value with the typed
// text: other case or length is refused, but some other passwords of the same length open too.
TEST_F(AdminGateTest, FirstPasswordIsStoredThenOtherCaseOrLengthIsRefusedAndCollisionsAccepted)
{
    execSql(u"UPDATE Acces SET RapPass = NULL"_s); // Null counts as no password
    dialogs->then(Answer::cancel()).thenType(QString()).thenType(u"Secret"_s);
    EXPECT_FALSE(click() || click()) << "a cancelled or empty prompt stores nothing";
    bool unlockedDuringAction = true;
    EXPECT_TRUE(gate->run([&] { unlockedDuringAction = gate->AdminUnlocked(); }));
    EXPECT_TRUE(!unlockedDuringAction && gate->AdminUnlocked()) << "logged on once the action returned";
    EXPECT_EQ(stored(), Brouiller(u"Secret"_s, u"Secret"_s));
    EXPECT_EQ(boxes(), QStringList(3, box(1248, 1092, 1)));
    for (const QString &typed : {u"secret"_s, u"SECRET"_s, u"Secre"_s, u"Secrets"_s, u"Secret "_s}) {
        dialogs->thenType(typed);
        EXPECT_FALSE(clickLocked()) << typed.toStdString();
        EXPECT_EQ(boxes().last(2), QStringList({box(1246, 1092, 1), box(1394, 1250, 16)}))
            << typed.toStdString();
    }
    dialogs->clear();
    dialogs->thenType(u"Tddqfs"_s).then(Answer::cancel()).thenType(QString()).thenType(u"Secret"_s);
    EXPECT_TRUE(click()) << "a colliding password opens the gate";
    EXPECT_FALSE(clickLocked() || click());
    EXPECT_TRUE(click());
    EXPECT_EQ(boxes(), QStringList(4, box(1246, 1092, 1))) << "an empty answer ends silently";
    setPassword(u"Autre"_s); // changed behind the station's back: not asked while logged on
    EXPECT_TRUE(click() && boxes().size() == 4);
    dialogs->thenType(u"Secret"_s).thenType(u"Autre"_s);
    EXPECT_TRUE(!clickLocked() && click()) << "locked again: the current password is asked for";
    EXPECT_EQ(runs, 4);
}

TEST_F(AdminGateTest, EveryCodeOfTheScrambledPasswordSurvivesTheDatabase)
{
    QString password; // every code that can be typed (1..255)
    for (int c = 1; c <= 255; ++c)
        password.append(Windows1252::decodeByte(static_cast<unsigned char>(c)));
    dialogs->thenType(u"€"_s).thenType(u"a"_s).thenType(u"€"_s).thenType(password).thenType(password);
    ASSERT_TRUE(click()); // "€" is code 128: scrambled with itself it is the NUL character
    EXPECT_EQ(scalar(u"SELECT hex(CAST(RapPass AS BLOB)) FROM Acces"_s).toString(), u"00"_s);
    EXPECT_FALSE(clickLocked()) << "a NUL read back as an empty text would not count as a password";
    EXPECT_TRUE(click());
    execSql(u"UPDATE Acces SET RapPass = ''"_s);
    ASSERT_TRUE(clickLocked());
    Database::closeAll();
    EXPECT_EQ(stored(), Brouiller(password, password));
    EXPECT_TRUE(clickLocked());
}

// SQLite's own tools end a text at a NUL: a scramble holding one is stored as its bytes, which they show and
// dump whole; every other scramble stays a text as before.
TEST_F(AdminGateTest, AScrambleHoldingNulIsStoredWholeForEveryToolAndOthersStayText)
{
    const auto quoted = [this] { return scalar(u"SELECT quote(RapPass) FROM Acces"_s).toString(); };
    dialogs->thenType(u"¿A"_s); // 0xBF + 0x41 and 0x41 + 0xBF: two NUL characters
    ASSERT_TRUE(click());
    EXPECT_EQ(quoted(), u"X'0000'"_s);
    for (const QString &other : {u"¿B"_s, u"¿a"_s, u"¿AA"_s}) {
        dialogs->thenType(other);
        EXPECT_FALSE(clickLocked()) << "refused like any other wrong password";
    }
    EXPECT_EQ(boxes().last(), box(1394, 1250, 16));
    dialogs->clear();
    dialogs->thenType(u"¿A"_s);
    EXPECT_TRUE(clickLocked());
    EXPECT_TRUE(dialogs->shown().size() == 1 && runs == 2);
    QString error;
    ASSERT_TRUE(AdminPassword::store(gate->datAcces(), u"Secret"_s, &error));
    EXPECT_EQ(quoted(), u"'"_s + Brouiller(u"Secret"_s, u"Secret"_s) + u"'"_s) << "a text, as files hold it";
}

TEST_F(AdminGateTest, FailuresAreReportedAndOpenNothing)
{
    // Outside the code page: never typed back; the emoji (two UTF-16 units) is named whole.
    dialogs->thenType(u"m\U0001F600Ω"_s).thenType(u"Secret"_s);
    EXPECT_FALSE(click());
    execSql(u"CREATE TRIGGER KeepAcces BEFORE UPDATE ON Acces BEGIN SELECT RAISE(ABORT, 'read-only'); END"_s);
    EXPECT_FALSE(click());
    execSql(u"DELETE FROM Acces"_s);
    EXPECT_FALSE(click());
    const QStringList m = dialogs->messages();
    EXPECT_EQ(m.size(), 3);
    EXPECT_EQ(m.value(0) + m.value(2),
              LOC_RTString(1760).arg(u"\U0001F600"_s) + LOC_RTString(1762).arg(LOC_RTString(1764)));
    EXPECT_TRUE(m.value(1).contains(u"read-only"_s)) << "the database's reason is shown";
    EXPECT_EQ(runs, 0);
}
} // namespace
