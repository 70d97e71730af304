#include "common/DateFormat.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "support/ProgramFixture.h"
#include "support/ScratchDisk.h"
#include <QDir>
#include <QFile>

using namespace tarnvik;
using tarnvik::test::ProgramFixture;

namespace {

class SettingsFileTest : public ProgramFixture {
protected:
    bool prepareDatabase() const override { return false; }
    QString readBack(const QByteArray &bytes)
    {
        QFile f(SettingsFile::path());
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        return SettingsFile::readFirstField(SettingsFile::path()).value_or("?");
    }
};

TEST_F(SettingsFileTest, OneQuotedLineEndingInCrLfThatKeepsCommas)
{
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), SettingsFile::defaultDatabasePath()));
    QFile f(SettingsFile::path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "\"" + (folder() + "/tarnvik.mdb").toUtf8() + "\"\r\n");
    const QString path = folder() + "/Atelier, bureau/base, 2003.mdb";
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), path));
    EXPECT_EQ(SettingsFile::readFirstField(SettingsFile::path()).value_or("?"), path);
}

TEST_F(SettingsFileTest, LineWithoutQuotesIsReadUpToItsFirstCommaAndFailuresAreReported)
{
    EXPECT_EQ(readBack("  C:/station/tarnvik.mdb , second field\r\n"), "C:/station/tarnvik.mdb");
    EXPECT_EQ(readBack("/data/tarnvik.mdb\n/other\n"), "/data/tarnvik.mdb");
    QString error;
    EXPECT_FALSE(SettingsFile::writeDatabasePath(folder() + "/no-such-folder/tarnvik.ini", "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

// A full disk: the write is reported and the file is left as it was (or not
// made at all), never emptied. Needs a small file system of its own, which
// only a user allowed to mount one gets.
TEST_F(SettingsFileTest, AFullDiskIsReportedAndKeepsTheOldFile)
{
    const QString disk = folder() + "/small-disk";
    test::ScratchDisk scratch(disk, "64k");
    if (!scratch.mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    const QString ini = disk + "/tarnvik.ini";
    ASSERT_TRUE(SettingsFile::writeDatabasePath(ini, "/old/base.mdb"));
    QFile fill(disk + "/fill");
    ASSERT_TRUE(fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (fill.write(QByteArray(512, 'x')) == 512) {
    }
    fill.close();
    QString error;
    EXPECT_FALSE(SettingsFile::writeDatabasePath(ini, "/new/base-with-a-longer-name.mdb", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(SettingsFile::readFirstField(ini).value_or("?"), "/old/base.mdb");
    QFile::remove(ini);
    ASSERT_TRUE(fill.open(QIODevice::Append | QIODevice::Unbuffered));
    while (fill.write(QByteArray(512, 'x')) == 512) {
    }
    fill.close();
    EXPECT_FALSE(SettingsFile::writeDatabasePath(ini, "/new/base.mdb"));
    EXPECT_FALSE(QFile::exists(ini)) << "no empty settings file is left";
    EXPECT_EQ(QDir(disk).entryList(QDir::Files | QDir::Hidden), QStringList{"fill"});
}

TEST(ConnectionString, NamesTheDatabaseAndNoProjectNameFollowsTheLanguage)
{
    const QString path = "/srv/a;b/Data Source=x/tarnvik.mdb";
    EXPECT_EQ(buildConnString(path),
              "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
                  ";Persist Security Info=False;Jet OLEDB:Database Password=qelvorntab");
    EXPECT_EQ(databasePathOf(buildConnString(path)), path);
    for (const auto &[lang, name] : {std::pair{1, "None"}, {2, "Aucun"}, {7, "Aucun"}, {0, "Aucun"}}) {
        ProgramState::CurrentLang = lang;
        EXPECT_EQ(NoProjectName(), name);
    }
}

TEST(DateFormat, PatternsSharedByTheWindows)
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    const QDateTime t(QDate(2003, 3, 7), QTime(15, 4, 5));
    EXPECT_EQ(formatDate(t.date(), DatePattern::Long), "vendredi 07 mars 2003");
    EXPECT_EQ(formatDate(t, DatePattern::Time), "03:04:05 pm");
    EXPECT_EQ(formatDate(t, DatePattern::Pairing), "07-03-2003 15:04:05");
    EXPECT_EQ(formatDate(t.date(), DatePattern::Query), "03/07/2003");
    EXPECT_EQ(formatDate(t.date(), DatePattern::Short), "07/03/2003");
    QLocale::setDefault(QLocale::system());
}

} // namespace
