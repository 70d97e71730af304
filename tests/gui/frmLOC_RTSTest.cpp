#include "localisation/frmLOC_RTS.h"
#include "localisation/LOCRTSModule.h"
#include "localisation/LanguageFileWriter.h"
#include "platform/ui/WidgetDialogs.h"
#include "support/ProgramFixture.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

// The real chooser on the screen and every other box from the script.
struct ChooserOnScreen final : ScriptedDialogs {
    int chooseLanguage(const QStringList &names) override { return WidgetDialogs().chooseLanguage(names); }
};

using LanguageChooser = ProgramFixture;

TEST_F(LanguageChooser, FirstStartAsksUntilALanguageIsChosenAndStoresIt)
{
    LOCRTSModule::setCommandLine("");
    LanguageFileWriter tables;
    ASSERT_TRUE(tables.addFile(TARNVIK_SOURCE_DIR "/resources/language/strings.tsv"));
    const auto &[number, texts] = *tables.texts().begin();
    dialogs.reset();
    dialogs = std::make_unique<ChooserOnScreen>();
    QTimer::singleShot(0, qApp, [&] {
        auto *chooser = qobject_cast<frmLOC_RTS *>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        QListWidget *list = chooser->lstLanguages;
        EXPECT_EQ(list->count(), 2);
        // OK, Enter, Escape and closing without a choice beep and keep the window open.
        QTest::mouseClick(chooser->cmdOK, Qt::LeftButton);
        QTest::keyClick(list, Qt::Key_Return);
        QTest::keyClick(list, Qt::Key_Escape);
        EXPECT_FALSE(chooser->close());
        EXPECT_TRUE(chooser->isVisible() && dialogs->beeps() == 4);
        // A double-click on an item chooses it at once.
        const QPoint item = list->viewport()->mapTo(chooser, list->visualItemRect(list->item(1)).center());
        QTest::mouseDClick(chooser->windowHandle(), Qt::LeftButton, Qt::NoModifier, item);
        if (chooser->isVisible()) // still open: take French so that the test ends, and fails
            list->setCurrentRow(0), chooser->accept();
    });
    EXPECT_EQ(LOC_RTString(number), texts.english);
    EXPECT_EQ(scalar("SELECT Lang FROM Acces"), QVariant(2));
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

} // namespace
