#include "localisation/frmLOC_RTS.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "localisation/LanguageFileWriter.h"
#include "platform/ui/WidgetDialogs.h"
#include "support/ProgramFixture.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

// The program's dialogs with the real chooser on the screen and every other box from the script.
class ChooserOnScreen final : public DialogService {
public:
    using S = const QString &;
    explicit ChooserOnScreen(ScriptedDialogs &script) : m(script) { setDialogService(this); }
    ~ChooserOnScreen() override { releaseDialogService(this); }
    MsgResult messageBox(S text, int style, S title) override { return m.messageBox(text, style, title); }
    std::optional<QString> inputBox(S p, S t, S d, bool masked) override
    {
        return m.inputBox(p, t, d, masked);
    }
    QString openFileName(S c, S d, S f) override { return m.openFileName(c, d, f); }
    QString saveFileName(S c, S d, S f) override { return m.saveFileName(c, d, f); }
    int chooseLanguage(const QStringList &names) override { return widgets.chooseLanguage(names); }
    void beep() override { m.beep(); }
    bool openUrl(const QUrl &url) override { return m.openUrl(url); }
    void setBusyCursor(bool busy) override { m.setBusyCursor(busy); }
    bool busyCursor() const override { return m.busyCursor(); }
    [[noreturn]] void terminate(int exitCode) override { m.terminate(exitCode); }

private:
    ScriptedDialogs &m;
    WidgetDialogs widgets;
};

class LanguageChooser : public ProgramFixture {};

TEST_F(LanguageChooser, FirstStartAsksUntilALanguageIsChosenAndStoresIt)
{
    LOCRTSModule::setCommandLine("");
    LanguageFileWriter tables;
    ASSERT_TRUE(tables.addFile(TARNVIK_SOURCE_DIR "/resources/language/strings.tsv"));
    const auto &[number, texts] = *tables.texts().begin();
    ChooserOnScreen screen(*dialogs);
    QStringList offered;
    QRect frame;
    QString title;
    QTimer::singleShot(0, qApp, [&] {
        auto *chooser = qobject_cast<frmLOC_RTS *>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        QListWidget *list = chooser->lstLanguages;
        for (int i = 0; i < list->count(); ++i)
            offered << list->item(i)->text();
        frame = chooser->frameGeometry();
        title = chooser->windowHandle()->title();
        // OK, Enter, Escape and closing without a choice beep and keep the window open.
        QTest::mouseClick(chooser->cmdOK, Qt::LeftButton);
        QTest::keyClick(list, Qt::Key_Return);
        QTest::keyClick(list, Qt::Key_Escape);
        EXPECT_FALSE(chooser->close());
        EXPECT_TRUE(chooser->isVisible());
        EXPECT_EQ(dialogs->beeps(), 4);
        // A double-click on an item chooses it at once.
        const QPoint item = list->viewport()->mapTo(chooser, list->visualItemRect(list->item(1)).center());
        QTest::mouseDClick(chooser->windowHandle(), Qt::LeftButton, Qt::NoModifier, item);
        if (chooser->isVisible()) // still open: take French so that the test ends, and fails
            list->setCurrentRow(0), chooser->accept();
    });
    EXPECT_EQ(LOC_RTString(number), texts.english);
    EXPECT_EQ(offered, QStringList({"Français", "English"}));
    // No title text: the window system puts the program's name on a window whose title is empty.
    EXPECT_TRUE(!title.isEmpty() && title.trimmed().isEmpty()) << title.toStdString();
    // Centred on the screen, to the pixel that the halving of odd sizes leaves.
    EXPECT_LE((frame.center() - QGuiApplication::primaryScreen()->geometry().center()).manhattanLength(), 2);
    EXPECT_EQ(scalar("SELECT Lang FROM Acces"), QVariant(2));
    EXPECT_TRUE(dialogs->shown().isEmpty());
    // The next start reads the stored choice without asking.
    LOCRTSModule::reset();
    ProgramState::CurrentLang = 0;
    bool askedAgain = false;
    QTimer::singleShot(0, qApp, [&] {
        if (auto *chooser = qobject_cast<frmLOC_RTS *>(QApplication::activeModalWidget()))
            askedAgain = true, chooser->lstLanguages->setCurrentRow(1), chooser->accept();
    });
    EXPECT_EQ(LOC_RTString(number), texts.english);
    QCoreApplication::processEvents();
    EXPECT_FALSE(askedAgain);
}

} // namespace
