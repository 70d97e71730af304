#include "station/AdminGate.h"
#include "common/DataSource.h"
#include "common/Database.h"
#include "common/ProgramState.h"
#include "common/Windows1252.h"
#include "localisation/LOCRTSModule.h"
#include "station/Scramble.h"
#include "support/ProgramFixture.h"

#include <QSignalSpy>

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
        execSql(QStringLiteral("UPDATE Acces SET Lang = 2"));
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
        execSql(QStringLiteral("UPDATE Acces SET RapPass = ?"), {Brouiller(password, password)});
    }
    QVariant storedRapPass() const { return scalar(QStringLiteral("SELECT RapPass FROM Acces")); }

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
    ProgramState::PassStored = QStringLiteral("left by an earlier check");
    dialogs->thenType(QStringLiteral("Secret"));

    EXPECT_TRUE(click());

    EXPECT_EQ(actionRuns, 1);
    EXPECT_TRUE(gate().AdminUnlocked());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(spy.at(0).at(0).toBool());
    EXPECT_EQ(storedRapPass().toString(), Brouiller(QStringLiteral("Secret"), QStringLiteral("Secret")));
    ASSERT_EQ(prompts().size(), 1);
    EXPECT_EQ(prompts().at(0).text, LOC_RTString(1248));
    EXPECT_EQ(prompts().at(0).title, LOC_RTString(1092));
    EXPECT_EQ(prompts().at(0).style, 1) << "the prompt must be masked";
    EXPECT_EQ(ProgramState::PassEntered, QStringLiteral("Secret"));
    // Only a check of an existing password reads PassStored.
    EXPECT_EQ(ProgramState::PassStored, QStringLiteral("left by an earlier check"));
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

TEST_F(AdminGateTest, CancelledOrEmptyFirstPromptStoresNothingAndAsksAgain)
{
    QSignalSpy spy(&gate(), &AdminGate::unlockedChanged);
    dialogs->then(Answer::cancel()).thenType(QString()).thenType(QStringLiteral("later"));

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
}

TEST_F(AdminGateTest, NullPasswordCountsAsNoPasswordSet)
{
    execSql(QStringLiteral("UPDATE Acces SET RapPass = NULL"));
    dialogs->thenType(QStringLiteral("premier"));
    EXPECT_TRUE(click());
    ASSERT_EQ(prompts().size(), 1);
    EXPECT_EQ(prompts().at(0).text, LOC_RTString(1248));
    EXPECT_EQ(storedRapPass().toString(), Brouiller(QStringLiteral("premier"), QStringLiteral("premier")));
}

TEST_F(AdminGateTest, RightPasswordOpensAndRecordsWhatWasCompared)
{
    setStoredPassword(QStringLiteral("Secret"));
    dialogs->thenType(QStringLiteral("Secret"));

    EXPECT_TRUE(click());

    EXPECT_EQ(actionRuns, 1);
    EXPECT_TRUE(gate().AdminUnlocked());
    ASSERT_EQ(prompts().size(), 1);
    EXPECT_EQ(prompts().at(0).text, LOC_RTString(1246));
    EXPECT_EQ(prompts().at(0).title, LOC_RTString(1092));
    EXPECT_EQ(prompts().at(0).style, 1);
    EXPECT_EQ(ProgramState::PassStored, Brouiller(QStringLiteral("Secret"), QStringLiteral("Secret")));
    EXPECT_EQ(ProgramState::PassEntered, QStringLiteral("Secret"));
    // The stored value is left as it was.
    EXPECT_EQ(storedRapPass().toString(), Brouiller(QStringLiteral("Secret"), QStringLiteral("Secret")));
}

TEST_F(AdminGateTest, PasswordDifferingInCaseOrLengthIsRefused)
{
    setStoredPassword(QStringLiteral("Secret"));
    const QStringList wrong = {QStringLiteral("secret"), QStringLiteral("SECRET"), QStringLiteral("Secre"),
                               QStringLiteral("Secrets"), QStringLiteral("Secret ")};
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
    EXPECT_EQ(actionRuns, 0);
    EXPECT_FALSE(gate().AdminUnlocked());
}

TEST_F(AdminGateTest, EmptyAnswerToAnExistingPasswordEndsSilently)
{
    setStoredPassword(QStringLiteral("Secret"));
    dialogs->then(Answer::cancel()).thenType(QString());
    EXPECT_FALSE(click());
    EXPECT_FALSE(click());
    EXPECT_EQ(actionRuns, 0);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_EQ(storedRapPass().toString(), Brouiller(QStringLiteral("Secret"), QStringLiteral("Secret")));
}

TEST_F(AdminGateTest, WhileLoggedOnEntriesOpenAtOnceUntilLogOff)
{
    setStoredPassword(QStringLiteral("Secret"));
    QSignalSpy spy(&gate(), &AdminGate::unlockedChanged);
    dialogs->thenType(QStringLiteral("Secret"));
    ASSERT_TRUE(click());

    // Even a password changed behind the station's back is not asked for.
    setStoredPassword(QStringLiteral("Autre"));
    EXPECT_TRUE(click());
    EXPECT_TRUE(click());
    EXPECT_EQ(actionRuns, 3);
    EXPECT_EQ(prompts().size(), 1);

    gate().logOff();
    EXPECT_FALSE(gate().AdminUnlocked());
    ASSERT_EQ(spy.count(), 2);
    EXPECT_FALSE(spy.at(1).at(0).toBool());
    // Logging off forgets neither text.
    EXPECT_EQ(ProgramState::PassEntered, QStringLiteral("Secret"));

    // Locked again: the current stored password is asked for.
    dialogs->thenType(QStringLiteral("Secret")).thenType(QStringLiteral("Autre"));
    EXPECT_FALSE(click());
    EXPECT_TRUE(click());
    EXPECT_EQ(actionRuns, 4);
    EXPECT_EQ(prompts().size(), 3);
}

TEST_F(AdminGateTest, LogOnHappensAfterTheActionReturns)
{
    dialogs->thenType(QStringLiteral("pw"));
    bool unlockedDuringAction = true;
    gate().run([&] { unlockedDuringAction = gate().AdminUnlocked(); });
    EXPECT_FALSE(unlockedDuringAction);
    EXPECT_TRUE(gate().AdminUnlocked());
}

TEST_F(AdminGateTest, EveryCodeOfTheScrambledPasswordSurvivesTheDatabase)
{
    // "€" scrambled with itself is the NUL character.
    dialogs->thenType(QStringLiteral("€"));
    ASSERT_TRUE(click());
    EXPECT_EQ(scalar(QStringLiteral("SELECT hex(CAST(RapPass AS BLOB)) FROM Acces")).toString(),
              QStringLiteral("00"));
    gate().logOff();
    dialogs->thenType(QStringLiteral("a")).thenType(QStringLiteral("€"));
    EXPECT_FALSE(click()) << "a NUL read back as an empty text would not count as a password";
    EXPECT_TRUE(click());

    // A password of every code 1..255 (NUL cannot be typed): its scrambled
    // form is read back by a fresh connection exactly as it was written.
    QString password;
    for (int c = 1; c <= 255; ++c)
        password.append(Windows1252::decodeByte(static_cast<unsigned char>(c)));
    execSql(QStringLiteral("UPDATE Acces SET RapPass = ''"));
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
        DataSource source(QStringLiteral("SELECT * FROM Acces"));
        source.setConnectionString(ProgramState::ConnString);
        ASSERT_TRUE(source.Refresh());
        ASSERT_TRUE(source->Fields(QStringLiteral("RapPass")).setValue(all));
        ASSERT_TRUE(source->Update()) << source->lastError().toStdString();
    }
    Database::closeAll();
    DataSource reader(QStringLiteral("SELECT * FROM Acces"));
    reader.setConnectionString(ProgramState::ConnString);
    ASSERT_TRUE(reader.Refresh());
    EXPECT_EQ(AdminPassword::stored(reader), all);
    EXPECT_EQ(reader->Fields(QStringLiteral("RapPass")).ActualSize(), 256);
}

TEST_F(AdminGateTest, PasswordOutsideTheCodePageIsNotStored)
{
    // Such a password could never be typed back: the scramble keeps "?" for it.
    dialogs->thenType(QStringLiteral("Ωmega"));
    EXPECT_FALSE(click());
    EXPECT_EQ(storedRapPass().toString(), QString());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages().at(0), LOC_RTString(1760).arg(QStringLiteral("Ω")));
    EXPECT_FALSE(gate().AdminUnlocked());
}

TEST_F(AdminGateTest, SettingsRowThatCannotBeReadOpensNothing)
{
    execSql(QStringLiteral("DELETE FROM Acces"));
    EXPECT_FALSE(click());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages().at(0), LOC_RTString(1762).arg(LOC_RTString(1764)));
    EXPECT_TRUE(prompts().isEmpty());

    dialogs->clear();
    ProgramState::ConnString = buildConnString(folder() + QStringLiteral("/missing.mdb"));
    EXPECT_FALSE(click());
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(prompts().isEmpty());
    EXPECT_EQ(actionRuns, 0);
}

TEST_F(AdminGateTest, FailedWriteOfTheFirstPasswordIsReportedAndOpensNothing)
{
    execSql(QStringLiteral("CREATE TRIGGER KeepAcces BEFORE UPDATE ON Acces BEGIN "
                           "SELECT RAISE(ABORT, 'read-only settings'); END"));
    dialogs->thenType(QStringLiteral("Secret"));
    EXPECT_FALSE(click());
    EXPECT_EQ(actionRuns, 0);
    EXPECT_FALSE(gate().AdminUnlocked());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages().at(0).contains(QStringLiteral("read-only settings")));
    EXPECT_EQ(storedRapPass().toString(), QString());
}

TEST_F(AdminGateTest, GateFollowsTheConnectionStringInUse)
{
    // Another database chosen in the options: its password is the one asked for.
    const QString other = folder() + QStringLiteral("/other.mdb");
    ASSERT_TRUE(Database::ensure(other, true).usable());
    setStoredPassword(QStringLiteral("Secret"));
    ProgramState::ConnString = buildConnString(other);
    dialogs->thenType(QStringLiteral("Neuf"));
    EXPECT_TRUE(click());
    ASSERT_EQ(prompts().size(), 1);
    EXPECT_EQ(prompts().at(0).text, LOC_RTString(1248));
}

} // namespace
