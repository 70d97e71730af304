#include "ArchivesFixture.h"
#include "common/ProgramState.h"
#include "platform/ui/ClickLabel.h"
#include "platform/ui/Pickers.h"
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

namespace tarnvik::test {
namespace {

class ArchivesWindowTest : public ArchivesFixture {
protected:
    // Four days around the clock's Saturday 1 March 2003, of two employees.
    void addFourDays()
    {
        punch(u"1002"_s, u"In"_s, u"2003-02-27"_s, u"08:00:00"_s, u"Chantier"_s, u"Peinture"_s, true);
        punch(u"1001"_s, u"Out"_s, u"2003-02-28"_s, u"17:00:00"_s, u"Chantier"_s, u"Peinture"_s);
        punch(u"1001"_s, u"In"_s, u"2003-02-28"_s, u"08:00:00"_s, u"Chantier"_s, u"Peinture"_s);
        punch(u"1001"_s, u"In"_s, u"2003-03-01"_s, u"08:30:00"_s, u"Bureau"_s, u"Accueil"_s);
        punch(u"1002"_s, u"In"_s, u"2003-03-02"_s, u"07:00:00"_s, u"Chantier"_s, u"Plomberie"_s);
    }
    QStringList listedDays() const
    {
        QStringList days;
        const QStringList numbers = column(archives->dgArchives, u"NoVendeur"_s);
        const QStringList dates = column(archives->dgArchives, u"PunchDateShort"_s);
        const QStringList times = column(archives->dgArchives, u"PunchTime"_s);
        for (int i = 0; i < numbers.size(); ++i)
            days << numbers[i] + u' ' + dates[i].mid(5) + u' ' + times[i].left(5);
        return days;
    }
    void purgeUpTo(const QString &typedDate, bool yes)
    {
        if (!typedDate.isEmpty())
            typeInto(archives->DPicker, typedDate);
        yes ? dialogs->thenYes() : dialogs->thenNo();
        QTest::mouseClick(archives->cmdSupp, Qt::LeftButton);
    }
};

TEST_F(ArchivesWindowTest, ListsCurrentOrArchivedPunchesInTheirOrderUnderTheirCaptions)
{
    addFourDays();
    openArchives();
    QStringList captions;
    for (int c = 0; c < archives->dgArchives->model()->columnCount(); ++c)
        captions << archives->dgArchives->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(captions,
              QStringList({u"#"_s, u"In / Out"_s, u"Date"_s, LOC_RTString(1294), u"Date / Message"_s,
                           LOC_RTString(1490), LOC_RTString(1700), u"Description"_s, u"Arch."_s}));
    // By number, project, sub-project; the newest day first, within a day the earliest time first.
    EXPECT_EQ(listedDays(), QStringList({u"1001 03-01 08:30"_s, u"1001 02-28 08:00"_s, u"1001 02-28 17:00"_s,
                                         u"1002 03-02 07:00"_s}));
    EXPECT_FALSE(archives->chkVoir->isChecked());
    QTest::mouseClick(archives->Label7, Qt::LeftButton);
    EXPECT_TRUE(archives->chkVoir->isChecked());
    EXPECT_EQ(listedDays(), QStringList{u"1002 02-27 08:00"_s});
    QTest::mouseClick(archives->Label7, Qt::LeftButton);
    EXPECT_EQ(listedDays().size(), 4);
}

TEST_F(ArchivesWindowTest, PurgeDeletesEveryPunchUpToTheDayIncludedAndNothingElse)
{
    // Typed day (empty: the day the window opened on), answer, punches left.
    const QList<std::tuple<QString, bool, QStringList>> cases = {
        {u"27022003"_s,
         false,
         {u"1001 03-01 08:30"_s, u"1001 02-28 08:00"_s, u"1001 02-28 17:00"_s, u"1002 03-02 07:00"_s}},
        {u"27022003"_s,
         true,
         {u"1001 03-01 08:30"_s, u"1001 02-28 08:00"_s, u"1001 02-28 17:00"_s, u"1002 03-02 07:00"_s}},
        {u"28022003"_s, true, {u"1001 03-01 08:30"_s, u"1002 03-02 07:00"_s}},
        {QString(), true, {u"1002 03-02 07:00"_s}},
    };
    addFourDays();
    execSql(
        u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('1001', 'Chantier', 'Peinture')"_s);
    execSql(u"UPDATE Vendeurs SET Status = 'In' WHERE NoVendeur = '1001' AND NomVendeur NOTNULL"_s);
    int before = 5;
    for (const auto &[day, yes, left] : cases) {
        SCOPED_TRACE(day.toStdString());
        openArchives();
        archives->chkVoir->setChecked(true); // the purge goes back to the current list
        dialogs->clear();
        purgeUpTo(day, yes);
        const QString shownDay =
            day.isEmpty() ? u"01/03/2003"_s : day.left(2) + u'/' + day.mid(2, 2) + u'/' + day.mid(4);
        ASSERT_FALSE(dialogs->shown().isEmpty());
        EXPECT_EQ(dialogs->shown()[0].text, LOC_RTString(1674) + shownDay + u'?');
        EXPECT_EQ(dialogs->shown()[0].style, 292);
        EXPECT_EQ(dialogs->shown()[0].title, u"Confirmation"_s);
        const int after = scalar(u"SELECT COUNT(*) FROM Punch"_s).toInt();
        if (yes)
            EXPECT_EQ(dialogs->messages().value(1), LOC_RTString(1820).arg(before - after));
        else
            EXPECT_EQ(dialogs->messages().size(), 1);
        EXPECT_FALSE(archives->chkVoir->isChecked());
        EXPECT_EQ(listedDays(), left);
        before = after;
    }
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch WHERE Archived = 1"_s).toInt(), 0);
    EXPECT_EQ(
        scalar(u"SELECT group_concat(ifnull(Status, SousProjet)) FROM Vendeurs WHERE NoVendeur = '1001'"_s)
            .toString(),
        u"In,Peinture"_s)
        << "the employee's status and his presence row are untouched";
}

TEST_F(ArchivesWindowTest, FailedPurgeDeletesNothingAndSaysSo)
{
    addFourDays();
    // The third deletion fails: the two before it must come back.
    execSql(u"CREATE TABLE Seen (n INTEGER)"_s);
    execSql(u"CREATE TRIGGER Stop BEFORE DELETE ON Punch BEGIN INSERT INTO Seen VALUES (1); "
            u"SELECT RAISE(ABORT, 'disk says no') WHERE (SELECT COUNT(*) FROM Seen) >= 3; END"_s);
    openArchives();
    purgeUpTo(u"02032003"_s, true);
    ASSERT_EQ(dialogs->messages().size(), 2);
    EXPECT_TRUE(dialogs->messages()[1].startsWith(LOC_RTString(1822).section(u"%1"_s, 0, 0)));
    EXPECT_TRUE(dialogs->messages()[1].contains(u"disk says no"_s));
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch"_s).toInt(), 5);
    EXPECT_EQ(listedDays().size(), 4);
}

TEST_F(ArchivesWindowTest, EmptiedDateAsksForADayAndDeletesNothing)
{
    addFourDays();
    openArchives();
    archives->DPicker->setFocus();
    QTest::keyClick(archives->DPicker, Qt::Key_Delete);
    QTest::mouseClick(archives->cmdSupp, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1824)});
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch"_s).toInt(), 5);
}

TEST_F(ArchivesWindowTest, CorrectionButtonOpensTheCorrectionWindowOnTheSelectedPunch)
{
    addFourDays();
    openArchives();
    clickRow(archives->dgArchives, 3);
    QString shown;
    bool openingDuringLoad = true;
    QTimer::singleShot(0, [&] {
        auto *window = qobject_cast<frmModifier *>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        openingDuringLoad = ProgramState::OpeningModifier;
        shown = window->lblNoEmp->text() + u' ' + window->DPicker->Value().toString(Qt::ISODate);
        QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    });
    QTest::mouseClick(archives->cmdModifier, Qt::LeftButton);
    EXPECT_EQ(shown, u"1002 2003-03-02"_s);
    EXPECT_FALSE(openingDuringLoad);
    EXPECT_EQ(archives->dgArchives->currentRow(), 0);
    QTest::mouseClick(archives->cmdOk, Qt::LeftButton);
    EXPECT_EQ(archives->result(), QDialog::Accepted);
}

} // namespace
} // namespace tarnvik::test
