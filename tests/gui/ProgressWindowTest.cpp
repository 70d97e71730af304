#include "common/Progress.h"
#include "platform/ui/WidgetDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QThread>

#include <gtest/gtest.h>

using namespace tarnvik;
using namespace Qt::StringLiterals;

namespace {

QProgressDialog *shownProgress()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *p = qobject_cast<QProgressDialog *>(w); p && p->isVisible())
            return p;
    }
    return nullptr;
}

// A long task's progress window appears only once the task has run for the
// delay, shows the steps done, and goes when the task ends.
TEST(ProgressWindowTest, AppearsAfterTheDelayFollowsTheStepsAndGoes)
{
    WidgetDialogs widgets;
    setDialogService(&widgets);
    DelayedProgress::setDelay(100);
    {
        DelayedProgress progress(u"Exporting the report to the workbook..."_s);
        progress.setValue(1, 10);
        EXPECT_EQ(shownProgress(), nullptr) << "a quick start shows nothing";
        QThread::msleep(120);
        progress.setValue(2, 10);
        QProgressDialog *window = shownProgress();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->labelText(), u"Exporting the report to the workbook..."_s);
        EXPECT_EQ(window->maximum(), 10);
        progress.step();
        EXPECT_EQ(window->value(), 3);
        EXPECT_TRUE(window->isModal());
    }
    EXPECT_EQ(shownProgress(), nullptr);
    DelayedProgress::setDelay(500);
    releaseDialogService(&widgets);
}

} // namespace
