#include "admin/frmInfo.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "support/ProgramFixture.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace tarnvik;
using tarnvik::test::ProgramFixture;

namespace {

class frmInfoTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(QStringLiteral("UPDATE Acces SET Lang = 2"));
        LOC_RTString(1092);
        mainWindow.show();
        ProgramState::ShowMainAfterInfo = true;
    }
    QWidget mainWindow;
};

TEST_F(frmInfoTest, AboutTextKeepsItsEmptyLines)
{
    frmInfo box(&mainWindow);
    const QString text = box.Label1->text();
    const QString nl = QStringLiteral("\n");
    // The first string, one empty line, then the version.
    EXPECT_TRUE(text.startsWith(LOC_RTString(1324) + nl + nl + LOC_RTString(1628) + LOC_RTString(1676) + nl));
    // The block ending with string 1400 is followed by two empty lines.
    EXPECT_TRUE(text.contains(LOC_RTString(1360) + LOC_RTString(1174) + LOC_RTString(1400) + nl + nl + nl +
                              LOC_RTString(1212) + nl + nl + LOC_RTString(1584)));
    // The last line is preceded by two empty lines and nothing follows it.
    EXPECT_TRUE(text.endsWith(LOC_RTString(1338) + LOC_RTString(1210) + nl + nl + nl + LOC_RTString(1486) +
                              LOC_RTString(1086)));
    // The maker's address stands between string 1660 and the telephone line.
    EXPECT_TRUE(text.contains(LOC_RTString(1660) + nl + QString::fromUtf8(Maker::StreetAddress) + nl +
                              QString::fromUtf8(Maker::CityAndProvince) + nl +
                              QString::fromUtf8(Maker::PostalCode) + nl + nl + LOC_RTString(1074) +
                              LOC_RTString(1206)));
    EXPECT_EQ(frmInfo::aboutLines().size(), 31);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Information"));
    EXPECT_EQ(box.Label4->text(), LOC_RTString(1662));
    EXPECT_FALSE(box.Label3->text().isEmpty());
}

TEST_F(frmInfoTest, MainWindowIsHiddenWhileTheBoxIsOpenAndOkShowsItAgain)
{
    frmInfo box(&mainWindow);
    box.show();
    EXPECT_FALSE(mainWindow.isVisible());
    EXPECT_TRUE(box.isVisible());
    QTest::mouseClick(box.cmdOk, Qt::LeftButton);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST_F(frmInfoTest, ClosingTheBoxOtherwiseAlsoShowsTheMainWindow)
{
    {
        frmInfo box(&mainWindow);
        box.show();
        ASSERT_FALSE(mainWindow.isVisible());
        box.close();
        EXPECT_TRUE(mainWindow.isVisible());
    }
    {
        frmInfo box(&mainWindow);
        box.show();
        ASSERT_FALSE(mainWindow.isVisible());
        QTest::keyClick(&box, Qt::Key_Escape);
        EXPECT_FALSE(box.isVisible());
        EXPECT_TRUE(mainWindow.isVisible());
    }
}

TEST_F(frmInfoTest, OkLeavesTheMainWindowAloneWhenNotAskedToShowIt)
{
    ProgramState::ShowMainAfterInfo = false;
    frmInfo box(&mainWindow);
    box.show();
    QTest::mouseClick(box.cmdOk, Qt::LeftButton);
    EXPECT_FALSE(mainWindow.isVisible());
}

TEST_F(frmInfoTest, LinksOpenTheMailProgramAndTheBrowser)
{
    frmInfo box(&mainWindow);
    box.show();
    QTest::mouseClick(box.Label2, Qt::LeftButton);
    QTest::mouseClick(box.Label5, Qt::LeftButton);
    ASSERT_EQ(dialogs->openedUrls().size(), 2);
    EXPECT_EQ(dialogs->openedUrls().at(0).scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(dialogs->openedUrls().at(0).path(), box.Label2->text());
    EXPECT_EQ(dialogs->openedUrls().at(1), QUrl(box.Label5->text()));
    EXPECT_TRUE(dialogs->openedUrls().at(1).host().endsWith(QStringLiteral("example.org")));

    // A link the desktop cannot open fails silently and the box stays open.
    dialogs->openUrlResult = false;
    QTest::mouseClick(box.Label5, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_TRUE(box.isVisible());
}

TEST_F(frmInfoTest, SeparatorMovesOnFinerScreens)
{
    frmInfo box(&mainWindow);
    box.placeLine1(12);
    EXPECT_EQ(box.Line1->x(), 92);
    box.placeLine1(15);
    EXPECT_EQ(box.Line1->x(), 75);
}

} // namespace
