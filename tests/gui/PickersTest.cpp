// The date and time pickers of every window (station correction mode, purge, corrections, report period)
// as a user types into them: from the first part (reached by Tab), then Tab away.
#include "platform/ui/Pickers.h"

#include "common/Clock.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tarnvik;
using namespace Qt::StringLiterals;

namespace {

// What the picker holds ("-" when nothing) and shows after the keys, and whether it shows them in red.
template <typename Picker> std::string typeInto(Picker *picker, const QString &keys)
{
    QWidget window;
    auto *before = new QLineEdit(&window), *after = new QLineEdit(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(before), layout->addWidget(picker), layout->addWidget(after);
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    // A click into the first part, as a user starts.
    QLineEdit *edit = picker->template findChild<QLineEdit *>();
    picker->setFocus();
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(4, edit->height() / 2));
    if (keys == u"\x01"_s) // paste
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert, Qt::ShiftModifier);
    else
        QTest::keyClicks(QApplication::focusWidget(), keys);
    QTest::mouseClick(after, Qt::LeftButton);
    const auto held = picker->Value();
    const bool red = edit->palette().color(QPalette::Text) == QColor(Qt::red);
    picker->setParent(nullptr);
    return (held.isValid() ? held.toString(Qt::ISODate) : u"-"_s).toStdString() + " " +
           edit->text().toStdString() + (red ? " red" : "");
}

TEST(PickersTest, TypedSeparatorsMoveOnDigitsFillThePartAndNothingFallsBack)
{
    Clock::setFixed(QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
    // Start (invalid: emptied), keys, then what is held and shown.
    const QList<std::tuple<QDate, QString, std::string>> dates = {
        {QDate(2026, 12, 1), u"01/01/2021"_s, "2021-01-01 01/01/2021"},
        {QDate(2026, 12, 1), u"15/11/2026"_s, "2026-11-15 15/11/2026"},
        {QDate(2026, 12, 1), u"1/1/2021"_s, "2021-01-01 01/01/2021"},
        {QDate(2026, 12, 1), u"4.7"_s, "2026-07-04 04/07/2026"},
        {QDate(2026, 12, 1), u"5-6-27"_s, "2027-06-05 05/06/2027"},
        {QDate(), u"31122026"_s, "2026-12-31 31/12/2026"},
        {QDate(), u"31/3"_s, "2026-03-31 31/03/2026"},
        {QDate(2026, 12, 1), u"31022026"_s, "- 31/02/2026 red"},
        {QDate(2026, 12, 1), u"01010000"_s, "- 01/01/0000 red"},
        {QDate(2026, 12, 1), u"1/1/202"_s, "- 1/1/202 red"},
    };
    for (const auto &[start, keys, expected] : dates) {
        DatePicker picker;
        picker.setValue(start);
        EXPECT_EQ(typeInto(&picker, keys), expected) << keys.toStdString();
    }
    const QList<std::tuple<QString, std::string>> times = {
        {u"081500"_s, "08:15:00 08:15:00"},
        {u"8:5"_s, "08:05:30 08:05:30"},
        {u"10:61"_s, "- 10:61:30 red"},
    };
    for (const auto &[keys, expected] : times) {
        TimePicker picker;
        picker.setValue(QTime(10, 20, 30));
        EXPECT_EQ(typeInto(&picker, keys), expected) << keys.toStdString();
    }
    Clock::useSystem();
}

// Shift+Insert pastes as Ctrl+V does, into a time as into a date, over the part selected.
TEST(PickersTest, PastedTextIsTypedSignBySignOrRefusedAsPasted)
{
    const QList<std::tuple<QString, std::string>> cases = {
        {u"7:45"_s, "07:45:30 07:45:30"},
        {u"25:00:00"_s, "- 25:00:00 red"},
        {u"7h45"_s, "- 7h45 red"},
    };
    for (const auto &[pasted, expected] : cases) {
        TimePicker picker;
        picker.setValue(QTime(10, 20, 30));
        QApplication::clipboard()->setText(pasted);
        EXPECT_EQ(typeInto(&picker, u"\x01"_s), expected) << pasted.toStdString();
    }
}

// The context menu pastes by the same rules; its other entries cannot put another value in the picker.
TEST(PickersTest, ContextMenuPastesAsTyped)
{
    DatePicker picker;
    picker.setValue(QDate(2026, 12, 1));
    picker.show();
    QApplication::clipboard()->setText(u"1/2/26"_s);
    QLineEdit *edit = picker.findChild<QLineEdit *>();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(4, 4), picker.mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(&picker, &menuEvent);
    QMenu *menu = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *m = qobject_cast<QMenu *>(w); m && m->isVisible())
            menu = m;
    ASSERT_TRUE(menu);
    QAction *pasteAction = nullptr;
    QStringList entries;
    for (QAction *action : menu->actions()) {
        entries << action->text().section(u'\t', 0, 0);
        if (entries.last() == QCoreApplication::translate("QLineEdit", "&Paste"))
            pasteAction = action;
    }
    EXPECT_EQ(entries, QStringList({u"&Copy"_s, u"&Paste"_s, u"Delete"_s, QString(), u"Select All"_s}));
    ASSERT_TRUE(pasteAction);
    pasteAction->trigger();
    menu->close();
    EXPECT_EQ(picker.Value(), QDate(2026, 2, 1));
    EXPECT_EQ(edit->text(), u"01/02/2026"_s);
}

} // namespace
