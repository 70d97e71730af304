#include "reports/ui/ReportPreview.h"
#include "common/Progress.h"
#include "reports/ReportRun.h"
#include "reports/ReportShapes.h"
#include "support/ReportFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;

namespace {

struct ReportPreviewTest : ReportFixture {
    std::shared_ptr<DataReport> report(const QString &database)
    {
        auto result = std::make_shared<HierarchicalResult>();
        QString error;
        EXPECT_TRUE(result->open(database, ReportShapes::forSelection(selection, NoProjectName()), &error))
            << error.toStdString();
        auto layout = ReportRun::createLayout(selection);
        EXPECT_TRUE(layout->setDataSource(result));
        return layout;
    }
    // A report by employee of many pages: 80 more employees with Alice's totals.
    std::shared_ptr<DataReport> longReport()
    {
        addEmployeeTotals();
        for (int i = 0; i < 80; ++i) {
            addEmployee(QString::number(3000 + i), u"Employé %1"_s.arg(i), u"Out"_s);
            addTotals(QString::number(3000 + i), AliceTotals);
        }
        selection.kind = ReportSelection::Kind::ByEmployee;
        return report(databasePath());
    }
    void TearDown() override
    {
        DelayedProgress::setDelay(500);
        ReportFixture::TearDown();
    }
};

// Page Down and Page Up turn one page, End and Home go to the last and the first page, wherever the
// focus is; so do the buttons.
TEST_F(ReportPreviewTest, KeysAndButtonsTurnOnePageOrGoToAnEndWhereverTheFocusIs)
{
    ReportPreview preview(longReport());
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    const int last = preview.pageCount() - 1;
    ASSERT_GE(last, 3);
    QWidget *zoom = preview.cboZoom;
    QWidget *page = preview.scroller->viewport();
    const Qt::Key click = Qt::Key_unknown; // the button in focus is clicked
    const struct {
        QWidget *focus;
        Qt::Key key;
        int page;
    } steps[] = {{zoom, Qt::Key_PageDown, 1},    {zoom, Qt::Key_PageDown, 2},
                 {zoom, Qt::Key_PageUp, 1},      {zoom, Qt::Key_End, last},
                 {zoom, Qt::Key_PageDown, last}, {zoom, Qt::Key_Home, 0},
                 {zoom, Qt::Key_PageUp, 0},      {page, Qt::Key_PageDown, 1},
                 {page, Qt::Key_PageDown, 2},    {page, Qt::Key_End, last},
                 {page, Qt::Key_Home, 0},        {preview.cmdNext, Qt::Key_End, last},
                 {preview.cmdFirst, click, 0},   {preview.cmdNext, click, 1},
                 {preview.cmdLast, click, last}, {preview.cmdPrevious, click, last - 1},
                 {preview.cmdFirst, click, 0}};
    for (const auto &step : steps) {
        step.focus->setFocus();
        if (step.key == click)
            QTest::mouseClick(step.focus, Qt::LeftButton);
        else
            QTest::keyClick(step.focus, step.key);
        EXPECT_EQ(preview.page(), step.page) << QTest::toString(step.key);
        EXPECT_EQ(preview.lblPage->text(), u"%1 / %2"_s.arg(step.page + 1).arg(last + 1));
        EXPECT_EQ(preview.zoom(), 100) << "the zoom box keeps its choice";
    }
}

TEST_F(ReportPreviewTest, SavedAsPdfWithProgressTheReportReadsAsItsTextAndACancelLeavesNoFile)
{
    ReportPreview preview(longReport());
    DelayedProgress::setDelay(0);
    const QString pdf = folder() + u"/rapport.pdf"_s, text = folder() + u"/texte.txt"_s;
    for (const auto &[button, file] : {std::pair{preview.cmdExport, text}, std::pair{preview.cmdPdf, pdf}})
        for (int cancelAt : {1, 2, -1, 0}) { // -1: as the bar shows its last value (the file written)
            SCOPED_TRACE(file.toStdString() + " " + std::to_string(cancelAt));
            dialogs->clear();
            dialogs->cancelWhen = [cancelAt](const ScriptedDialogs::Progress &p) {
                return cancelAt > 0 ? p.values.size() >= cancelAt
                                    : cancelAt < 0 && p.value == StepProgress::Scale;
            };
            dialogs->then(Answer::file(file));
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_TRUE(dialogs->messages().isEmpty()) << dialogs->messages().join(u'|').toStdString();
            ASSERT_EQ(dialogs->progress().size(), 1);
            EXPECT_EQ(QDir(folder()).entryList({QFileInfo(file).completeBaseName() + u'*'}).size(),
                      cancelAt ? 0 : 1)
                << "nothing half-written";
        }
    const QList<int> values = dialogs->progress().at(0).values;
    EXPECT_EQ(values.count(StepProgress::Scale), 1) << "full only at the end";
    EXPECT_EQ(values.last(), StepProgress::Scale);
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    ASSERT_TRUE(pdftotext.waitForFinished(20000)) << "pdftotext (poppler-utils) must be installed";
    QStringList lines;
    for (const QString &line : QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\n'))
        lines << line.simplified();
    for (const QString &line :
         {u"Worked hours by employee Period from 03/03/2003 to 16/03/2003"_s,
          u"Employee no.: 1001 Name: Alice Martin Out"_s, u"Employee no.: 3079 Name: Employé 79 Out"_s,
          u"Project total: 0:00 Hours:Minutes (Employé(e) au travail)"_s, u"01/03/2003 Page : 1"_s,
          u"01/03/2003 Page : %1"_s.arg(preview.pageCount())})
        EXPECT_TRUE(lines.contains(line)) << line.toStdString() << " in:\n"
                                          << lines.join(u'\n').toStdString();
}

} // namespace
