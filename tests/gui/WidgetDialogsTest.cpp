#include "platform/ui/WidgetDialogs.h"
#include "localisation/LOCRTSModule.h"
#include "support/ProgramFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;

namespace {

// The program's real boxes on the screen, driven as a user does.
class WidgetDialogsTest : public ProgramFixture {
protected:
    // Runs show, which opens a box, and hands the box to use once it is on the screen.
    static void whileOnScreen(const std::function<void()> &show, const std::function<void(QDialog *)> &use)
    {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            poll.stop();
            use(box);
        });
        poll.start(10);
        show();
    }
    // The captions of the visible buttons of the box that show opens (without "&"); the box is then closed.
    static QStringList buttonsOf(const std::function<void()> &show)
    {
        QStringList captions;
        whileOnScreen(show, [&](QDialog *box) {
            for (const QAbstractButton *button : box->findChildren<QAbstractButton *>())
                if (button->isVisible() && !button->text().isEmpty())
                    captions << button->text().remove(u'&');
            box->reject();
        });
        return captions.sort(), captions;
    }
    // Types text into the named field (or the first) of the box that show opens, then Enter; what it showed.
    static QString typeInto(const std::function<void()> &show, const QString &field, const QString &text)
    {
        QString shown;
        whileOnScreen(show, [&](QDialog *box) {
            auto *edit = box->findChild<QLineEdit *>(field);
            ASSERT_NE(edit, nullptr);
            QTest::keyClicks(edit, text);
            shown = edit->displayText();
            QTest::keyClick(edit, Qt::Key_Return);
        });
        return shown;
    }
    void useLanguage(int lang)
    {
        execSql(u"UPDATE Acces SET Lang = ?"_s, {lang});
        LOC_RTString(-1); // what the options window does after storing the language
    }
    WidgetDialogs widgets;
};

TEST_F(WidgetDialogsTest, StandardBoxesAndTheFileDialogSpeakTheLanguageInUseAndFollowItsChange)
{
    const auto question = [&] { widgets.messageBox(u"?"_s, MsgStyle::YesNo | MsgStyle::Question, u"T"_s); };
    const auto input = [&] { widgets.inputBox(u"?"_s, u"T"_s, QString(), true); };
    const auto fileDialog = [&] { widgets.openFileName(u"T"_s, folder(), u"Base (*.mdb)"_s); };
    for (int lang : {1, 2, 1}) { // Français, English after a change in the preferences, and back
        useLanguage(lang);
        const bool fr = lang == 1;
        EXPECT_EQ(buttonsOf(question),
                  fr ? QStringList({u"Non"_s, u"Oui"_s}) : QStringList({u"No"_s, u"Yes"_s}));
        EXPECT_EQ(buttonsOf(input), QStringList({fr ? u"Annuler"_s : u"Cancel"_s, u"OK"_s}));
        EXPECT_TRUE(buttonsOf(fileDialog).contains(fr ? u"Ouvrir"_s : u"Open"_s)) << lang;
    }
}

// The password prompt of the gate shows one "*" per character typed; an unmasked box shows the text. A report
// saved under a bare name lands in the documents folder with the filter's extension, not in the folder the
// program was started from.
TEST_F(WidgetDialogsTest, MaskedInputShowsStarsAndSaveDialogStartsInTheDocumentsAndAddsTheExtension)
{
    useLanguage(2);
    for (bool masked : {true, false}) {
        std::optional<QString> answer;
        EXPECT_EQ(typeInto([&] { answer = widgets.inputBox(u"Password"_s, u"T"_s, QString(), masked); }, {},
                           u"Secret"_s),
                  masked ? u"******"_s : u"Secret"_s);
        EXPECT_EQ(answer, std::optional<QString>(u"Secret"_s));
    }
    QStandardPaths::setTestModeEnabled(true);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(QDir().mkpath(documents));
    QString chosen;
    typeInto([&] { chosen = widgets.saveFileName(u"Export"_s, QString(), u"Text (*.txt)"_s); },
             u"fileNameEdit"_s, u"rapport"_s);
    EXPECT_EQ(chosen, QDir(documents).filePath(u"rapport.txt"_s));
    // The name proposed stays the name: with no documents folder yet it goes in the home folder.
    EXPECT_EQ(WidgetDialogs::saveStartPath(u"Heures.txt"_s), QDir(documents).filePath(u"Heures.txt"_s));
    ASSERT_TRUE(QDir(documents).removeRecursively());
    EXPECT_EQ(WidgetDialogs::saveStartPath(u"Heures.txt"_s), QDir::home().filePath(u"Heures.txt"_s));
    EXPECT_EQ(WidgetDialogs::saveStartPath(QString()), QDir::homePath());
    QStandardPaths::setTestModeEnabled(false);
}

// The file dialogs, open to anyone at the station, only choose a name: no new folder, no rename, no delete
// (Qt's own dialog, read-only). A message of a megabyte shows its first screenful at once.
TEST_F(WidgetDialogsTest, FileDialogsCannotRenameDeleteOrMakeFoldersAndHugeTextsAreCut)
{
    useLanguage(2);
    for (bool save : {false, true}) {
        SCOPED_TRACE(save);
        QStringList usable; // of the read-only option, native dialog, new folder, rename, delete
        whileOnScreen(
            [&] {
                save ? void(widgets.saveFileName(u"T"_s, folder(), u"Text (*.txt)"_s))
                     : void(widgets.openFileName(u"T"_s, folder(), u"Base (*.mdb)"_s));
            },
            [&](QDialog *box) {
                auto *dialog = qobject_cast<QFileDialog *>(box);
                ASSERT_NE(dialog, nullptr);
                if (!dialog->testOption(QFileDialog::ReadOnly))
                    usable << u"writable"_s;
                if (!dialog->testOption(QFileDialog::DontUseNativeDialog))
                    usable << u"native"_s;
                if (auto *button = dialog->findChild<QToolButton *>(u"newFolderButton"_s);
                    button && button->isEnabled())
                    usable << u"new folder"_s;
                for (const QAction *action : dialog->findChildren<QAction *>())
                    if (action->isEnabled() && (action->objectName() == u"qt_rename_action"_s ||
                                                action->objectName() == u"qt_delete_action"_s ||
                                                action->objectName() == u"qt_new_folder_action"_s))
                        usable << action->objectName();
                box->reject();
            });
        EXPECT_EQ(usable, QStringList());
    }
    for (const qsizetype size : {qsizetype(1000000), WidgetDialogs::MaxShownCharacters}) {
        QString shown;
        whileOnScreen([&] { widgets.messageBox(QString(size, u'x'), MsgStyle::OkOnly, u"T"_s); },
                      [&](QDialog *box) {
                          shown = qobject_cast<QMessageBox *>(box)->text();
                          box->accept();
                      });
        EXPECT_EQ(shown, size > WidgetDialogs::MaxShownCharacters
                             ? QString(WidgetDialogs::MaxShownCharacters, u'x') + QChar(0x2026)
                             : QString(size, u'x'));
    }
}

} // namespace
