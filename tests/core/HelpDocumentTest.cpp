#include "station/HelpDocument.h"
#include "localisation/LOCRTSModule.h"
#include "support/ProgramFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace tarnvik;

struct HelpDocumentTest : test::ProgramFixture {};

TEST_F(HelpDocumentTest, OpensTheShippedGuideOfTheLanguageFromTheProgramFolderAndFailsSilently)
{
    QTemporaryDir elsewhere; // started from another folder: still the program folder's guide
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    dialogs->openUrlResult = false;
    for (int language : {2, 1}) {
        execSql(u"UPDATE Acces SET Lang = ?"_s, {language});
        LOC_RTString(-1); // reloads the texts in that language
        openHelpDocument();
        const QString path = dialogs->openedUrls().last().toLocalFile();
        EXPECT_EQ(QFileInfo(path).fileName(), language == 2 ? u"help-en.html"_s : u"aide-fr.html"_s);
        EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(folder()).absoluteFilePath());
        QFile guide(path);
        ASSERT_TRUE(guide.open(QIODevice::ReadOnly)) << path.toStdString() << " is not shipped";
        const QString html = QString::fromUtf8(guide.readAll()).replace(u"&nbsp;"_s, u" "_s);
        for (int caption : {1266, 1520, 1270, 1532, 1268, 1090, 1232, 1496, 1488, 1098, 1100, 1088, 1208})
            EXPECT_TRUE(html.contains(LOC_RTString(caption).toHtmlEscaped())) << caption; // menus as shown
    }
    QDir::setCurrent(previous);
    EXPECT_TRUE(dialogs->shown().isEmpty()) << "a guide that cannot be opened shows nothing";
}
