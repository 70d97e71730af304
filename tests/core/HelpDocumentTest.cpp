#include "station/HelpDocument.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "support/ProgramFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace tarnvik;
using tarnvik::test::ProgramFixture;

namespace {

class HelpDocumentTest : public ProgramFixture {
protected:
    void useLanguage(int number)
    {
        execSql(QStringLiteral("UPDATE Acces SET Lang = ?"), {number});
        LOC_RTString(-1);
    }

    // The document's text as a reader sees it: tags dropped, entities decoded.
    static QString readableText(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        QString text = QString::fromUtf8(file.readAll());
        text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
        text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        text.replace(QStringLiteral("&ccedil;"), QStringLiteral("ç"));
        return text.simplified();
    }
};

TEST_F(HelpDocumentTest, OpensTheGuideOfTheLanguageFromTheProgramFolder)
{
    // Started from another folder: the guide is still the program folder's.
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));

    useLanguage(2);
    openHelpDocument();
    useLanguage(1);
    openHelpDocument();
    QDir::setCurrent(previous);

    ASSERT_EQ(dialogs->openedUrls().size(), 2);
    const QString english = dialogs->openedUrls().at(0).toLocalFile();
    const QString french = dialogs->openedUrls().at(1).toLocalFile();
    EXPECT_EQ(QFileInfo(english).fileName(), QStringLiteral("help-en.html"));
    EXPECT_EQ(QFileInfo(french).fileName(), QStringLiteral("aide-fr.html"));
    for (const QString &path : {english, french}) {
        EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(folder()).absoluteFilePath());
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString() << " is not shipped";
    }
}

TEST_F(HelpDocumentTest, AFailureToOpenTheGuideShowsNothing)
{
    useLanguage(2);
    dialogs->openUrlResult = false;
    openHelpDocument();
    EXPECT_EQ(dialogs->openedUrls().size(), 1);
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(HelpDocumentTest, EachGuideNamesTheMenusAsTheStationShowsThem)
{
    const QList<int> captions = {1266, 1520, 1270, 1532, 1268, 1090, 1232,
                                 1496, 1488, 1098, 1100, 1088, 1208};
    for (int language : {1, 2}) {
        useLanguage(language);
        const QString text = readableText(helpDocumentPath());
        ASSERT_FALSE(text.isEmpty()) << helpDocumentPath().toStdString();
        for (int number : captions)
            EXPECT_TRUE(text.contains(LOC_RTString(number)))
                << "language " << language << " lacks string " << number << ": "
                << LOC_RTString(number).toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Archives")));
        EXPECT_TRUE(text.contains(QStringLiteral("Options")));
    }
}

} // namespace
