#include "common/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tarnvik;

// The settings file holds the path between double quotes, with no escape: a path holding one is never
// written, since it would be read back as another path. The file keeps what it held.
TEST(SettingsFilePath, PathHoldingADoubleQuoteIsNeverWritten)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(u"tarnvik.ini"_s);
    ASSERT_TRUE(SettingsFile::writeDatabasePath(ini, u"/data/é, virgule.mdb"_s));
    EXPECT_EQ(SettingsFile::readFirstField(ini), std::optional<QString>(u"/data/é, virgule.mdb"_s));
    QString error;
    EXPECT_FALSE(SettingsFile::writeDatabasePath(ini, u"/data/a\"b.mdb"_s, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(SettingsFile::readFirstField(ini), std::optional<QString>(u"/data/é, virgule.mdb"_s));
}
