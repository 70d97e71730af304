#include "common/DateFormat.h"
#include "common/ProgramFolder.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "support/ProgramFixture.h"

#include <QFile>
#include <QLocale>

using namespace tarnvik;
using tarnvik::test::ProgramFixture;

namespace {

class SettingsFileTest : public ProgramFixture {
protected:
    bool prepareDatabase() const override { return false; }
    void writeRaw(const QByteArray &bytes)
    {
        QFile f(SettingsFile::path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(SettingsFileTest, WritesOneQuotedLineEndingInCrLf)
{
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), SettingsFile::defaultDatabasePath()));
    QFile f(SettingsFile::path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "\"" + (folder() + "/tarnvik.mdb").toUtf8() + "\"\r\n");
}

TEST_F(SettingsFileTest, PathWithCommasSurvivesWriteAndRead)
{
    const QString path = folder() + "/Atelier, bureau/base, 2003.mdb";
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), path));
    EXPECT_EQ(SettingsFile::readFirstField(SettingsFile::path()).value_or("?"), path);
}

TEST_F(SettingsFileTest, HandWrittenLineWithoutQuotesIsReadUpToItsFirstComma)
{
    writeRaw("  C:/station/tarnvik.mdb , second field\r\n");
    EXPECT_EQ(SettingsFile::readFirstField(SettingsFile::path()).value_or("?"), "C:/station/tarnvik.mdb");
    writeRaw("/data/tarnvik.mdb\n/other\n");
    EXPECT_EQ(SettingsFile::readFirstField(SettingsFile::path()).value_or("?"), "/data/tarnvik.mdb");
    writeRaw("");
    EXPECT_EQ(SettingsFile::readFirstField(SettingsFile::path()).value_or("?"), "");
}

TEST_F(SettingsFileTest, MissingOrUnwritableFileIsReportedNotIgnored)
{
    EXPECT_FALSE(Fso::FileExists(SettingsFile::path()));
    QString error;
    EXPECT_FALSE(SettingsFile::readFirstField(SettingsFile::path(), &error).has_value());
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(SettingsFile::writeDatabasePath(folder() + "/no-such-folder/tarnvik.ini", "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(SettingsFileTest, ProgramFolderComesFromTheEnvironmentWhenNotOverridden)
{
    ProgramFolder::setOverride(QString());
    qputenv("TARNVIK_HOME", folder().toUtf8());
    EXPECT_EQ(ProgramFolder::file("tarnvik.ini"), folder() + "/tarnvik.ini");
    qunsetenv("TARNVIK_HOME");
}

TEST(ConnectionString, NamesTheDatabaseEvenWhenThePathHoldsSeparators)
{
    const QString path = "/srv/a;b/Data Source=x/tarnvik.mdb";
    const QString conn = buildConnString(path);
    EXPECT_TRUE(conn.startsWith("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/srv/a;b"));
    EXPECT_TRUE(conn.endsWith(";Persist Security Info=False;Jet OLEDB:Database Password=qelvorntab"));
    EXPECT_EQ(databasePathOf(conn), path);
    EXPECT_EQ(databasePathOf("Provider=X;Data Source=tarnvik.mdb;Other=1"), "tarnvik.mdb");
    EXPECT_EQ(databasePathOf(designConnString()), "tarnvik.mdb");
    EXPECT_EQ(databasePathOf("nothing"), "");
}

TEST(NoProjectName, IsNoneOnlyForLanguageOne)
{
    ProgramState::CurrentLang = 1;
    EXPECT_EQ(NoProjectName(), "None");
    ProgramState::CurrentLang = 2;
    EXPECT_EQ(NoProjectName(), "Aucun");
    ProgramState::CurrentLang = 7;
    EXPECT_EQ(NoProjectName(), "Aucun");
    ProgramState::CurrentLang = 0;
}

class DateFormatTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(DateFormatTest, LongDateUsesTheLocalesNames)
{
    EXPECT_EQ(formatDate(QDate(2003, 3, 1), DatePattern::Long), "samedi 01 mars 2003");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(formatDate(QDate(2003, 3, 1), DatePattern::Long), "Saturday 01 March 2003");
}

TEST_F(DateFormatTest, TwelveHourClockAndMinutesBesideHours)
{
    const QDate d(2003, 3, 7);
    EXPECT_EQ(formatDate(QDateTime(d, QTime(15, 30, 45)), DatePattern::Time), "03:30:45 pm");
    EXPECT_EQ(formatDate(QDateTime(d, QTime(0, 5, 9)), DatePattern::Time), "12:05:09 am");
    EXPECT_EQ(formatDate(QDateTime(d, QTime(12, 0, 0)), "hh:mm AM/PM"), "12:00 PM");
    EXPECT_EQ(formatDate(QDateTime(d, QTime(15, 4, 5)), DatePattern::Pairing), "07-03-2003 15:04:05");
    EXPECT_EQ(formatDate(d, DatePattern::Query), "03/07/2003");
    EXPECT_EQ(formatDate(d, DatePattern::Short), "07/03/2003");
    EXPECT_EQ(formatDate(d, DatePattern::Picker), "07-03-03");
}

TEST(StoredForms, DatesAndTimesRoundTripAndTwoDigitYearsPickACentury)
{
    EXPECT_EQ(toStoredValue(QDate(2003, 3, 7)).toString(), "2003-03-07");
    EXPECT_EQ(toStoredValue(QTime(7, 5, 0)).toString(), "07:05:00");
    EXPECT_EQ(toStoredValue(true).toInt(), 1);
    EXPECT_EQ(dateFromStored(QVariant("2003-03-07")), QDate(2003, 3, 7));
    EXPECT_FALSE(dateFromStored(QVariant()).isValid());
    EXPECT_FALSE(dateFromStored(QVariant("07/03/2003")).isValid());
    EXPECT_EQ(timeFromStored(QVariant("07:05:00")), QTime(7, 5, 0));
    EXPECT_EQ(throughTwoDigitYear(QDate(2029, 1, 2)), QDate(2029, 1, 2));
    EXPECT_EQ(throughTwoDigitYear(QDate(2030, 1, 2)), QDate(1930, 1, 2));
    EXPECT_EQ(throughTwoDigitYear(QDate(1999, 12, 31)), QDate(1999, 12, 31));
}

} // namespace
