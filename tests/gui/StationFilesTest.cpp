// No save or export open to everyone writes over, renames or deletes the station's own files.
#include "common/StationFiles.h"
#include "PunchWindowFixture.h"
#include "platform/Spreadsheet.h"
#include "reports/frmRapport.h"
#include "reports/ui/ReportPreview.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <filesystem>

using namespace Qt::StringLiterals;
using namespace tarnvik;

namespace {

struct StationFilesTest : test::PunchWindowFixture {
    void TearDown() override
    {
        SpreadsheetApplication::setDocumentsFolder(QString());
        PunchWindowFixture::TearDown();
    }
    // The station's files whose bytes must stay as they are, and the names a user may type for them.
    QStringList kept() const
    {
        return {databasePath(), SettingsFile::path(), folder() + u"/LANGUAGE.DAT"_s,
                folder() + u"/aide-fr.html"_s, folder() + u"/help-en.html"_s};
    }
    QStringList namesForThem()
    {
        const QString links = folder() + u"/links"_s;
        EXPECT_TRUE(QDir().mkpath(links));
        EXPECT_TRUE(QFile::link(databasePath(), links + u"/heures.pdf"_s)); // a symbolic link
        std::error_code error;                                              // and a hard one
        std::filesystem::create_hard_link(QFile::encodeName(databasePath()).toStdString(),
                                          QFile::encodeName(links + u"/heures.txt"_s).toStdString(), error);
        EXPECT_FALSE(error) << error.message();
        return kept() + QStringList{databasePath() + u"-wal"_s, databasePath() + u"-journal"_s,
                                    links + u"/heures.pdf"_s, links + u"/heures.txt"_s,
                                    links + u"/../tarnvik.mdb"_s};
    }
    QList<QByteArray> contents() const
    {
        QList<QByteArray> bytes;
        for (const QString &path : kept()) {
            QFile file(path);
            bytes << (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing"));
        }
        return bytes;
    }
    // One message, naming the file chosen, saying it is one of the station's own.
    void expectRefused(const QString &chosen) const
    {
        const QStringList m = dialogs->messages();
        ASSERT_EQ(m.size(), 1) << chosen.toStdString();
        EXPECT_TRUE(
            m[0].startsWith(LOC_RTString(1876).section(u"%1"_s, 0, 0) + QDir::toNativeSeparators(chosen)))
            << m[0].toStdString();
        EXPECT_TRUE(m[0].contains(LOC_RTString(2260).section(u"%1"_s, 0, 0))) << m[0].toStdString();
    }
    int employees() const
    {
        return scalar(u"SELECT COUNT(*) FROM Vendeurs WHERE NomVendeur NOTNULL"_s).toInt();
    }
};

// The preview that the caption "Projet :" opens without the password: neither "Save as PDF" nor "Export as
// text" writes over the database, the files beside it, the settings, the language file or the help, by
// whatever name they are chosen; any other file is saved as before.
TEST_F(StationFilesTest, ThePreviewOpenToEveryoneNeverWritesOverTheStationsFiles)
{
    open();
    QTest::mouseClick(window->Label2, Qt::LeftButton);
    ReportPreview *preview = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<ReportPreview *>(w); p && p->isVisible())
            preview = p;
    ASSERT_NE(preview, nullptr);
    const QStringList names = namesForThem();
    const QList<QByteArray> before = contents();
    for (QToolButton *button : {preview->cmdPdf, preview->cmdExport}) {
        for (const QString &name : names) {
            SCOPED_TRACE(name.toStdString());
            dialogs->clear();
            dialogs->then(test::Answer::file(name));
            QTest::mouseClick(button, Qt::LeftButton);
            expectRefused(name);
        }
    }
    // Printing offers printers only: no file to print to, no file dialog of its own.
    bool printToFile = true;
    QTimer::singleShot(0, preview, [&] {
        if (auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget())) {
            printToFile = dialog->testOption(QAbstractPrintDialog::PrintToFile);
            dialog->reject();
        }
    });
    QTest::mouseClick(preview->cmdPrint, Qt::LeftButton);
    EXPECT_FALSE(printToFile);
    EXPECT_TRUE(contents() == before) << "every byte as it was";
    EXPECT_FALSE(QFile::exists(databasePath() + u"-journal"_s));
    EXPECT_TRUE(QFileInfo(folder() + u"/links/heures.pdf"_s).isSymLink());
    EXPECT_EQ(employees(), 2);
    for (QToolButton *button : {preview->cmdPdf, preview->cmdExport}) {
        const QString saved =
            folder() + (button == preview->cmdPdf ? u"/heures-1.pdf"_s : u"/heures-1.txt"_s);
        dialogs->clear();
        dialogs->then(test::Answer::file(saved));
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(dialogs->messages().isEmpty() && QFileInfo(saved).size() > 0) << saved.toStdString();
    }
}

// The report window's text export, and a workbook whose name or the name it is written under first would be
// one of the station's files, are refused the same way.
TEST_F(StationFilesTest, TheReportWindowsExportAndTheWorkbookRefuseThemToo)
{
    open();
    dialogs->thenType(u"Premier"_s);
    window->mnuEmp->trigger();
    frmRapport *report = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *r = qobject_cast<frmRapport *>(w); r && r->isVisible())
            report = r;
    ASSERT_NE(report, nullptr);
    QTest::mouseClick(report->chkExport, Qt::LeftButton, {}, QPoint(7, report->chkExport->height() / 2));
    ASSERT_TRUE(report->chkExport->isChecked());
    const QList<QByteArray> before = contents();
    dialogs->clear();
    dialogs->then(test::Answer::file(databasePath()));
    QTimer::singleShot(0, report, [] {
        if (QWidget *shown = QApplication::activeModalWidget())
            shown->close();
    });
    QTest::mouseClick(report->cmdOk, Qt::LeftButton);
    ASSERT_FALSE(dialogs->messages().isEmpty());
    EXPECT_TRUE(dialogs->messages()[0].contains(LOC_RTString(2260).section(u"%1"_s, 0, 0)));
    EXPECT_TRUE(contents() == before);
    EXPECT_EQ(employees(), 2);

    // A workbook named "Heures" goes first to "Heures.xlsx.part": that name, when it is the database in use,
    // is neither deleted nor written.
    const QString database = folder() + u"/Heures.xlsx.part"_s;
    ASSERT_TRUE(QFile::copy(databasePath(), database));
    ProgramState::DbPath = database;
    SpreadsheetApplication::setDocumentsFolder(folder());
    dialogs->clear();
    {
        SpreadsheetApplication xl;
        xl.setVisible(true);
        xl.Workbooks().Add();
        xl.setDocumentName(u"Heures"_s);
        xl.Cells(1, 1).setFormula(u"total"_s);
        const SpreadsheetApplication::Released released = xl.release();
        EXPECT_TRUE(released.savedFiles.isEmpty());
    }
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].contains(LOC_RTString(2260).section(u"%1"_s, 0, 0)));
    QFile copy(database), original(databasePath());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    EXPECT_TRUE(copy.readAll() == original.readAll());
    EXPECT_FALSE(QFile::exists(folder() + u"/Heures.xlsx"_s));
}

// The one place that decides: the program itself is one of the files, an unrelated file is not.
TEST_F(StationFilesTest, TheProgramIsOneOfTheFilesAndOtherFilesAreNot)
{
    EXPECT_EQ(StationFiles::ownFileAt(QCoreApplication::applicationFilePath()),
              QCoreApplication::applicationFilePath());
    EXPECT_TRUE(StationFiles::ownFileAt(folder() + u"/rapport.txt"_s).isEmpty());
    EXPECT_TRUE(StationFiles::ownFileAt(folder() + u"/tarnvik.mdb.txt"_s).isEmpty());
    EXPECT_TRUE(StationFiles::refusal(folder() + u"/other.pdf"_s).isEmpty());
}

} // namespace
