#include "localisation/frmLOC_RTS.h"
#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "localisation/LanguageFileWriter.h"
#include "platform/ui/WidgetDialogs.h"
#include "support/ProgramFixture.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

const QStringList kNames{QStringLiteral("Français"), QStringLiteral("English")};

QPoint itemCentre(QListWidget *list, int row)
{
    return list->visualItemRect(list->item(row)).center();
}

// A double-click as the window system delivers it: press, release, press
// (made a double-click by its timing), release.
void doubleClickItem(frmLOC_RTS *window, int row)
{
    QWidget *viewport = window->lstLanguages->viewport();
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       viewport->mapTo(window, itemCentre(window->lstLanguages, row)));
}

// Runs `user` against the chooser as soon as it is shown modally. Should the
// chooser still be open afterwards, the test fails and the first language is
// taken, so that a broken window cannot hang the tests.
void whenChooserShows(std::function<void(frmLOC_RTS *)> user)
{
    QTimer::singleShot(0, qApp, [user] {
        auto *chooser = qobject_cast<frmLOC_RTS *>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        user(chooser);
        if (chooser->isVisible()) {
            ADD_FAILURE() << "the chooser is still open";
            chooser->lstLanguages->setCurrentRow(0);
            chooser->accept();
        }
    });
}

class LanguageChooser : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.lstLanguages->addItems(kNames);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    ScriptedDialogs dialogs;
    frmLOC_RTS window;
};

TEST_F(LanguageChooser, HasTheFixedLayoutOfTheWindow)
{
    // 3465 x 2610 twips at 15 twips per pixel, and it cannot be resized.
    EXPECT_EQ(window.size(), QSize(231, 174));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_TRUE(window.windowTitle().isEmpty());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0, 128, 128));

    EXPECT_EQ(window.lbl[1]->text(), QStringLiteral("Veuillez choisir votre langue"));
    EXPECT_EQ(window.lbl[0]->text(), QStringLiteral("Please Select a Language"));
    EXPECT_EQ(window.lbl[1]->geometry(), QRect(18, 24, 189, 13));
    EXPECT_EQ(window.lbl[0]->geometry(), QRect(18, 45, 189, 13));
    for (QLabel *label : window.lbl) {
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::white));
        EXPECT_FALSE(label->autoFillBackground());
        EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
        EXPECT_EQ(label->font().family(), QStringLiteral("MS Sans Serif"));
        EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 8.25);
    }
    EXPECT_EQ(window.lstLanguages->geometry(), QRect(16, 81, 193, 56));
    EXPECT_EQ(window.lstLanguages->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(window.cmdOK->geometry(), QRect(123, 144, 97, 25));
    EXPECT_EQ(window.cmdOK->text(), QStringLiteral("OK"));
    EXPECT_TRUE(window.cmdOK->isDefault());

    // The list comes first in the tab order, then OK.
    window.activateWindow();
    window.lstLanguages->setFocus();
    QTest::keyClick(window.lstLanguages, Qt::Key_Tab);
    EXPECT_TRUE(window.cmdOK->hasFocus());
}

TEST_F(LanguageChooser, OkWithoutSelectionBeepsAndStaysOpen)
{
    window.lstLanguages->setFocus();
    EXPECT_EQ(window.ListIndex(), -1);
    QTest::mouseClick(window.cmdOK, Qt::LeftButton);
    EXPECT_EQ(dialogs.beeps(), 1);
    EXPECT_TRUE(window.isVisible());

    // Enter presses the default button, with the same result.
    QTest::keyClick(window.lstLanguages, Qt::Key_Return);
    EXPECT_EQ(dialogs.beeps(), 2);
    EXPECT_TRUE(window.isVisible());
    EXPECT_NE(window.result(), QDialog::Accepted);
}

TEST_F(LanguageChooser, ClosingOrEscapeWithoutChoiceKeepsTheWindow)
{
    QTest::keyClick(window.lstLanguages, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(dialogs.beeps(), 2);
}

TEST_F(LanguageChooser, SelectedLanguageIsChosenWithEnter)
{
    QTest::mouseClick(window.lstLanguages->viewport(), Qt::LeftButton, Qt::NoModifier,
                      itemCentre(window.lstLanguages, 1));
    EXPECT_EQ(window.ListIndex(), 1);
    EXPECT_TRUE(window.isVisible());
    QTest::keyClick(window.lstLanguages, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.ListIndex(), 1);
    EXPECT_EQ(dialogs.beeps(), 0);
}

TEST_F(LanguageChooser, KeyboardSelectionIsChosenWithEnter)
{
    window.lstLanguages->setFocus();
    QTest::keyClick(window.lstLanguages, Qt::Key_End);
    QTest::keyClick(window.lstLanguages, Qt::Key_Home);
    EXPECT_EQ(window.ListIndex(), 0);
    QTest::keyClick(window.lstLanguages, Qt::Key_Enter);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.ListIndex(), 0);
}

TEST_F(LanguageChooser, DoubleClickChoosesTheLanguageAtOnce)
{
    doubleClickItem(&window, 0);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.ListIndex(), 0);
    EXPECT_EQ(dialogs.beeps(), 0);
}

TEST(LanguageChooserShown, ChooseCentresTheWindowAndReturnsThePositionChosen)
{
    ScriptedDialogs dialogs;
    QPoint position;
    QSize size;
    whenChooserShows([&](frmLOC_RTS *chooser) {
        position = chooser->pos();
        size = chooser->frameGeometry().size();
        EXPECT_EQ(chooser->lstLanguages->count(), 3);
        EXPECT_EQ(chooser->lstLanguages->item(2)->text(), QStringLiteral("Deutsch"));
        // Enter before any choice only beeps; then the user picks the third name.
        QTest::keyClick(chooser->lstLanguages, Qt::Key_Return);
        EXPECT_TRUE(chooser->isVisible());
        QTest::mouseClick(chooser->lstLanguages->viewport(), Qt::LeftButton, Qt::NoModifier,
                          itemCentre(chooser->lstLanguages, 2));
        QTest::keyClick(chooser->lstLanguages, Qt::Key_Return);
    });
    EXPECT_EQ(frmLOC_RTS::choose(kNames + QStringList{QStringLiteral("Deutsch")}), 2);
    EXPECT_EQ(dialogs.beeps(), 1);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(position, QPoint(screen.x() + (screen.width() - size.width()) / 2,
                               screen.y() + (screen.height() - size.height()) / 2));
}

// The program's dialogs with the chooser on the screen: the chooser comes
// from the widget service, every other box from the script.
class ChooserOnScreen final : public DialogService {
public:
    explicit ChooserOnScreen(ScriptedDialogs &script) : m_script(script) { setDialogService(this); }
    ~ChooserOnScreen() override { releaseDialogService(this); }

    MsgResult messageBox(const QString &text, int style, const QString &title) override
    {
        return m_script.messageBox(text, style, title);
    }
    std::optional<QString> inputBox(const QString &p, const QString &t, const QString &d, bool m) override
    {
        return m_script.inputBox(p, t, d, m);
    }
    QString openFileName(const QString &c, const QString &d, const QString &f) override
    {
        return m_script.openFileName(c, d, f);
    }
    QString saveFileName(const QString &c, const QString &d, const QString &f) override
    {
        return m_script.saveFileName(c, d, f);
    }
    int chooseLanguage(const QStringList &names) override { return m_widgets.chooseLanguage(names); }
    void beep() override { m_script.beep(); }
    bool openUrl(const QUrl &url) override { return m_script.openUrl(url); }
    void setBusyCursor(bool busy) override { m_script.setBusyCursor(busy); }
    bool busyCursor() const override { return m_script.busyCursor(); }
    [[noreturn]] void terminate(int exitCode) override { m_script.terminate(exitCode); }

private:
    ScriptedDialogs &m_script;
    WidgetDialogs m_widgets;
};

class FirstStart : public ProgramFixture {};

TEST_F(FirstStart, FirstLookupAsksForTheLanguageAndStoresTheChoice)
{
    LOCRTSModule::setCommandLine(QStringLiteral(""));
    LanguageFileWriter tables;
    ASSERT_TRUE(tables.addFile(QStringLiteral(TARNVIK_SOURCE_DIR "/resources/language/strings.tsv")));
    const auto &[number, texts] = *tables.texts().begin();

    ChooserOnScreen screen(*dialogs);
    QStringList offered;
    whenChooserShows([&](frmLOC_RTS *chooser) {
        for (int i = 0; i < chooser->lstLanguages->count(); ++i)
            offered << chooser->lstLanguages->item(i)->text();
        doubleClickItem(chooser, 1);
    });
    EXPECT_EQ(LOC_RTString(number), texts.english);
    EXPECT_EQ(offered, kNames);
    EXPECT_EQ(ProgramState::CurrentLang, 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Lang FROM Acces")), QVariant(2));
    EXPECT_TRUE(dialogs->shown().isEmpty());

    // The next start reads the stored choice without asking.
    LOCRTSModule::reset();
    ProgramState::CurrentLang = 0;
    bool askedAgain = false;
    whenChooserShows([&](frmLOC_RTS *chooser) {
        askedAgain = true;
        doubleClickItem(chooser, 0);
    });
    EXPECT_EQ(LOC_RTString(number), texts.english);
    QCoreApplication::processEvents();
    EXPECT_FALSE(askedAgain);
}

} // namespace
