// The station over a database that is missing, or named by a settings file that says nothing: the user is
// told plainly, naming the file, no empty database takes the place of his, and what he typed stays. (A file
// deleted, replaced, damaged or busy while in use is the storage layer's, tested with it.)
#include "PunchWindowFixture.h"

#include "common/Database.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"

#include <QFile>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchStorageTest = PunchWindowFixture;

// Moved, share not mounted: told at start-up, never created, punches refused until it is back.
TEST_F(frmPunchStorageTest, AMissingDatabaseIsToldAndNeverMadeAnew)
{
    const QString moved = folder() + u"/share/tarnvik.mdb"_s;
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), moved));
    dialogs->then(Answer::choose(1)); // no database: the language chooser asks
    frmPunch &w = open();
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].contains(moved) &&
                dialogs->messages()[0].contains(LOC_RTString(1710)));
    dialogs->clear();
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages().value(0).contains(moved));
    EXPECT_EQ(w.txtNumVendeur->text(), u"1001"_s) << "the number stays for another try";
    EXPECT_FALSE(QFile::exists(moved));
}

TEST_F(frmPunchStorageTest, ASettingsFileNamingNothingIsTold)
{
    for (const QByteArray &content : {QByteArray(), QByteArray("\"\"\r\n")}) {
        QFile ini(SettingsFile::path());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly) && ini.write(content) == content.size());
        ini.close();
        dialogs->clear();
        dialogs->then(Answer::choose(1));
        open();
        EXPECT_TRUE(dialogs->messages().value(dialogs->messages().size() - 1).contains(SettingsFile::path()))
            << content.toStdString();
        EXPECT_EQ(ProgramState::DbPath, QString());
        window.reset();
        Database::closeAll();
    }
}

} // namespace
