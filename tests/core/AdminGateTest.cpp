#include "station/AdminGate.h"
#include "common/DataSource.h"
#include "common/Database.h"
#include "common/ProgramState.h"
#include "common/Windows1252.h"
#include "localisation/LOCRTSModule.h"
#include "station/Scramble.h"
#include "support/ProgramFixture.h"

#include <QSignalSpy>

using namespace Qt::StringLiterals;

using namespace tarnvik;
using tarnvik::test::Answer;
using tarnvik::test::ProgramFixture;
using tarnvik::test::Shown;

namespace {

class AdminGateTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        // English texts, so that the language is settled without a chooser.
        execSql(u"UPDATE Acces SET Lang = 2"_s);
        // The station loads its texts at start, before any menu is used.
        LOC_RTString(1092);
        gatePtr = std::make_unique<AdminGate>();
    }
    void TearDown() override
    {
        gatePtr.reset();
        ProgramFixture::TearDown();
    }

    void setStoredPassword(const QString &password)
    {
        execSql(u"UPDATE Acces SET RapPass = ?"_s, {Brouiller(password, password)});
    }
    QVariant storedRapPass() const { return scalar(u"SELECT RapPass FROM Acces"_s); }

    // Runs the gate with an action that counts its runs.
    bool click()
    {
        return gate().run([this] { ++actionRuns; });
    }
    QList<Shown> prompts() const
    {
        QList<Shown> result;
        for (const Shown &s : dialogs->shown()) {
            if (s.kind == Shown::Input)
                result << s;
        }
        return result;
    }

    std::unique_ptr<AdminGate> gatePtr;
    AdminGate &gate() { return *gatePtr; }
    int actionRuns = 0;
};

TEST_F(AdminGateTest, FirstPasswordIsStoredScrambledWithItselfAndLogsOn)
{
    QSignalSpy spy(&gate(), &AdminGate::unlockedChanged);
    ProgramState::PassStored = u"left by an earlier check"_s;
    dialogs->thenType(u"Secret"_s);
    bool unlockedDuringAction = true;

    EXPECT_TRUE(gate().run([&] { unlockedDuringAction = gate().AdminUnlocked(); }));

    // Logged on once the action has returned.
    EXPECT_FALSE(unlockedDuringAction);
    EXPECT_TRUE(gate().AdminUnlocked());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(spy.at(0).at(0).toBool());
    EXPECT_EQ(storedRapPass().toString(), Brouiller(u"Secret"_s, u"Secret"_s));
    ASSERT_EQ(prompts().size(), 1);
    EXPECT_EQ(prompts().at(0).text, LOC_RTString(1248));
    EXPECT_EQ(prompts().at(0).title, LOC_RTString(1092));
    EXPECT_EQ(prompts().at(0).style, 1) << "the prompt must be masked";
    EXPECT_EQ(ProgramState::PassEntered, u"Secret"_s);
    // Only a check of an existing password reads PassStored.
    EXPECT_EQ(ProgramState::PassStored, u"left by an earlier check"_s);
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

TEST_F(AdminGateTest, CancelledOrEmptyFirstPromptStoresNothingAndAsksAgain)
{
    // A Null password counts as none set, like an empty one.
    execSql(u"UPDATE Acces SET RapPass = NULL"_s);
    QSignalSpy spy(&gate(), &AdminGate::unlockedChanged);
    dialogs->then(Answer::cancel()).thenType(QString()).thenType(u"later"_s);

    EXPECT_FALSE(click());
    EXPECT_EQ(storedRapPass().toString(), QString());
    EXPECT_FALSE(click());
    EXPECT_EQ(storedRapPass().toString(), QString());
    EXPECT_EQ(actionRuns, 0);
    EXPECT_FALSE(gate().AdminUnlocked());
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(dialogs->messages().isEmpty());

    // The next click asks for a first password again.
    EXPECT_TRUE(click());
    ASSERT_EQ(prompts().size(), 3);
    EXPECT_EQ(prompts().at(2).text, LOC_RTString(1248));
    EXPECT_EQ(actionRuns, 1);
    EXPECT_EQ(storedRapPass().toString(), Brouiller(u"later"_s, u"later"_s));
}

TEST_F(AdminGateTest, RightPasswordOpensAndRecordsWhatWasCompared)
{
    setStoredPassword(u"Secret"_s);
    dialogs->thenType(u"Secret"_s);

    EXPECT_TRUE(click());

    EXPECT_EQ(actionRuns, 1);
    EXPECT_TRUE(gate().AdminUnlocked());
    ASSERT_EQ(prompts().size(), 1);
    EXPECT_EQ(prompts().at(0).text, LOC_RTString(1246));
    EXPECT_EQ(prompts().at(0).title, LOC_RTString(1092));
    EXPECT_EQ(prompts().at(0).style, 1);
    EXPECT_EQ(ProgramState::PassStored, Brouiller(u"Secret"_s, u"Secret"_s));
    EXPECT_EQ(ProgramState::PassEntered, u"Secret"_s);
    // The stored value is left as it was.
    EXPECT_EQ(storedRapPass().toString(), Brouiller(u"Secret"_s, u"Secret"_s));
}

TEST_F(AdminGateTest, PasswordDifferingInCaseOrLengthIsRefusedAndAnEmptyAnswerEndsSilently)
{
    setStoredPassword(u"Secret"_s);
    const QStringList wrong = {u"secret"_s, u"SECRET"_s, u"Secre"_s, u"Secrets"_s, u"Secret "_s};
    for (const QString &typed : wrong) {
        dialogs->clear();
        dialogs->thenType(typed);
        EXPECT_FALSE(click()) << typed.toStdString();
        ASSERT_EQ(dialogs->shown().size(), 2) << typed.toStdString();
        const Shown &message = dialogs->shown().at(1);
        EXPECT_EQ(message.kind, Shown::Message);
        EXPECT_EQ(message.text, LOC_RTString(1394));
        EXPECT_EQ(message.style, 16);
        EXPECT_EQ(message.title, LOC_RTString(1250));
        EXPECT_EQ(ProgramState::PassEntered, typed);
    }
    EXPECT_FALSE(gate().AdminUnlocked());
    // Cancelled or empty: no message.
    dialogs->clear();
    dialogs->then(Answer::cancel()).thenType(QString());
    EXPECT_FALSE(click());
    EXPECT_FALSE(click());
    EXPECT_EQ(actionRuns, 0);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_EQ(storedRapPass().toString(), Brouiller(u"Secret"_s, u"Secret"_s));
}

TEST_F(AdminGateTest, WhileLoggedOnEntriesOpenAtOnceUntilLogOff)
{
    setStoredPassword(u"Secret"_s);
    QSignalSpy spy(&gate(), &AdminGate::unlockedChanged);
    dialogs->thenType(u"Secret"_s);
    ASSERT_TRUE(click());

    // Even a password changed behind the station's back is not asked for.
    setStoredPassword(u"Autre"_s);
    EXPECT_TRUE(click());
    EXPECT_TRUE(click());
    EXPECT_EQ(actionRuns, 3);
    EXPECT_EQ(prompts().size(), 1);

    gate().logOff();
    EXPECT_FALSE(gate().AdminUnlocked());
    ASSERT_EQ(spy.count(), 2);
    EXPECT_FALSE(spy.at(1).at(0).toBool());
    // Logging off forgets neither text.
    EXPECT_EQ(ProgramState::PassEntered, u"Secret"_s);

    // Locked again: the current stored password is asked for.
    dialogs->thenType(u"Secret"_s).thenType(u"Autre"_s);
    EXPECT_FALSE(click());
    EXPECT_TRUE(click());
    EXPECT_EQ(actionRuns, 4);
    EXPECT_EQ(prompts().size(), 3);
}

TEST_F(AdminGateTest, EveryCodeOfTheScrambledPasswordSurvivesTheDatabase)
{
    // "€" scrambled with itself is the NUL character.
    dialogs->thenType(u"€"_s);
    ASSERT_TRUE(click());
    EXPECT_EQ(scalar(u"SELECT hex(CAST(RapPass AS BLOB)) FROM Acces"_s).toString(), u"00"_s);
    gate().logOff();
    dialogs->thenType(u"a"_s).thenType(u"€"_s);
    EXPECT_FALSE(click()) << "a NUL read back as an empty text would not count as a password";
    EXPECT_TRUE(click());

    // A password of every code 1..255 (NUL cannot be typed): its scrambled
    // form is read back by a fresh connection exactly as it was written.
    QString password;
    for (int c = 1; c <= 255; ++c)
        password.append(Windows1252::decodeByte(static_cast<unsigned char>(c)));
    execSql(u"UPDATE Acces SET RapPass = ''"_s);
    gate().logOff();
    dialogs->thenType(password);
    ASSERT_TRUE(click());
    Database::closeAll();
    EXPECT_EQ(storedRapPass().toString(), Brouiller(password, password));
    gate().logOff();
    dialogs->thenType(password);
    EXPECT_TRUE(click());
    EXPECT_EQ(actionRuns, 4);
}

TEST_F(AdminGateTest, StoredTextOfAllCodesRoundTripsThroughTheDataSource)
{
    QString all;
    for (int c = 0; c <= 255; ++c)
        all.append(Windows1252::decodeByte(static_cast<unsigned char>(c)));
    {
        DataSource source(u"SELECT * FROM Acces"_s);
        source.setConnectionString(ProgramState::ConnString);
        ASSERT_TRUE(source.Refresh());
        ASSERT_TRUE(source->Fields(u"RapPass"_s).setValue(all));
        ASSERT_TRUE(source->Update()) << source->lastError().toStdString();
    }
    Database::closeAll();
    DataSource reader(u"SELECT * FROM Acces"_s);
    reader.setConnectionString(ProgramState::ConnString);
    ASSERT_TRUE(reader.Refresh());
    EXPECT_EQ(AdminPassword::stored(reader), all);
    EXPECT_EQ(reader->Fields(u"RapPass"_s).ActualSize(), 256);
}

TEST_F(AdminGateTest, PasswordOutsideTheCodePageIsNotStored)
{
    // Such a password could never be typed back: the scramble keeps "?" for it.
    dialogs->thenType(u"Ωmega"_s);
    EXPECT_FALSE(click());
    EXPECT_EQ(storedRapPass().toString(), QString());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages().at(0), LOC_RTString(1760).arg(u"Ω"_s));
    EXPECT_FALSE(gate().AdminUnlocked());
}

TEST_F(AdminGateTest, SettingsRowThatCannotBeReadOpensNothing)
{
    execSql(u"DELETE FROM Acces"_s);
    EXPECT_FALSE(click());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages().at(0), LOC_RTString(1762).arg(LOC_RTString(1764)));
    EXPECT_TRUE(prompts().isEmpty());

    dialogs->clear();
    ProgramState::ConnString = buildConnString(folder() + u"/missing.mdb"_s);
    EXPECT_FALSE(click());
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(prompts().isEmpty());
    EXPECT_EQ(actionRuns, 0);
}

TEST_F(AdminGateTest, FailedWriteOfTheFirstPasswordIsReportedAndOpensNothing)
{
    execSql(u"CREATE TRIGGER KeepAcces BEFORE UPDATE ON Acces BEGIN "
            "SELECT RAISE(ABORT, 'read-only settings'); END"_s);
    dialogs->thenType(u"Secret"_s);
    EXPECT_FALSE(click());
    EXPECT_EQ(actionRuns, 0);
    EXPECT_FALSE(gate().AdminUnlocked());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages().at(0).contains(u"read-only settings"_s));
    EXPECT_EQ(storedRapPass().toString(), QString());
}

TEST_F(AdminGateTest, GateFollowsTheConnectionStringInUse)
{
    // Another database chosen in the options: its password is the one asked for.
    const QString other = folder() + u"/other.mdb"_s;
    ASSERT_TRUE(Database::ensure(other, true).usable());
    setStoredPassword(u"Secret"_s);
    ProgramState::ConnString = buildConnString(other);
    dialogs->thenType(u"Neuf"_s);
    EXPECT_TRUE(click());
    ASSERT_EQ(prompts().size(), 1);
    EXPECT_EQ(prompts().at(0).text, LOC_RTString(1248));
}

} // namespace
