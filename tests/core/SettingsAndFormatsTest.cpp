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
    static QByteArray content(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
    }
};

// The path goes between double quotes on one line ending in CR LF, commas kept; a line without quotes
// is read up to its first comma. A path holding a double quote (it would be read back as another
// path) is never written, and the file keeps what it held.
TEST_F(SettingsFileTest, PathIsWrittenQuotedAndReadBackAsItWas)
{
    const QString ini = SettingsFile::path(), path = folder() + "/Atelier, bureau/é, 2003.mdb";
    ASSERT_TRUE(SettingsFile::writeDatabasePath(ini, path));
    EXPECT_EQ(content(ini), "\"" + path.toUtf8() + "\"\r\n");
    EXPECT_EQ(SettingsFile::readFirstField(ini).value_or("?"), path);
    QString error;
    EXPECT_FALSE(SettingsFile::writeDatabasePath(ini, "/data/a\"b.mdb", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(content(ini), "\"" + path.toUtf8() + "\"\r\n");
    EXPECT_FALSE(SettingsFile::writeDatabasePath(folder() + "/no-such-folder/tarnvik.ini", "x"));
    for (const auto &[line, read] :
         {std::pair{"  C:/station/tarnvik.mdb , second field\r\n", "C:/station/tarnvik.mdb"},
          {"/data/tarnvik.mdb\n/other\n", "/data/tarnvik.mdb"}}) {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(line) > 0);
        f.close();
        EXPECT_EQ(SettingsFile::readFirstField(ini).value_or("?"), read);
    }
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
    const auto fillDisk = [&fill] {
        ASSERT_TRUE(fill.open(QIODevice::Append | QIODevice::Unbuffered));
        while (fill.write(QByteArray(512, 'x')) == 512) {
        }
        fill.close();
    };
    fillDisk();
    QString error;
    EXPECT_FALSE(SettingsFile::writeDatabasePath(ini, "/new/base-with-a-longer-name.mdb", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(SettingsFile::readFirstField(ini).value_or("?"), "/old/base.mdb");
    QFile::remove(ini);
    fillDisk();
    EXPECT_FALSE(SettingsFile::writeDatabasePath(ini, "/new/base.mdb"));
    EXPECT_FALSE(QFile::exists(ini)) << "no empty settings file is left";
    EXPECT_EQ(QDir(disk).entryList(QDir::Files | QDir::Hidden), QStringList{"fill"});
}

} // namespace
