#include "admin/frmInfo.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "support/ProgramFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tarnvik;

struct frmInfoTest : test::ProgramFixture {
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 2"_s);
        mainWindow.show();
    }
    QWidget mainWindow;
};

TEST_F(frmInfoTest, AboutTextKeepsItsEmptyLines)
{
    const auto s = [](int n) { return LOC_RTString(n); };
    const QString nl = u"\n"_s, text = frmInfo(&mainWindow).Label1->text();
    EXPECT_TRUE(text.startsWith(s(1324) + nl + nl + s(1628) + s(1676) + nl));
    EXPECT_TRUE(text.contains(s(1360) + s(1174) + s(1400) + nl + nl + nl + s(1212) + nl + nl + s(1584) + nl));
    EXPECT_TRUE(text.endsWith(nl + s(1338) + s(1210) + nl + nl + nl + s(1486) + s(1086)));
}

TEST_F(frmInfoTest, MainWindowIsHiddenWhileOpenAndShownAgainWhenAskedHoweverTheBoxCloses)
{
    ProgramState::ShowMainAfterInfo = true;
    for (bool ok : {true, false}) {
        frmInfo box(&mainWindow);
        box.show();
        EXPECT_FALSE(mainWindow.isVisible());
        ok ? QTest::mouseClick(box.cmdOk, Qt::LeftButton) : void(box.close());
        EXPECT_TRUE(mainWindow.isVisible() && !box.isVisible()) << (ok ? "OK" : "close box");
    }
    ProgramState::ShowMainAfterInfo = false;
    frmInfo box(&mainWindow);
    box.show();
    dialogs->openUrlResult = false; // a link the desktop cannot open fails silently
    QTest::mouseClick(box.Label2, Qt::LeftButton);
    EXPECT_EQ(dialogs->openedUrls(), QList<QUrl>{QUrl(u"mailto:"_s + box.Label2->text())});
    QTest::mouseClick(box.cmdOk, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().isEmpty() && !mainWindow.isVisible()) << "OK shows it only when asked to";
}
