#include "ArchivesFixture.h"
#include "GridCaptions.h"
#include "common/ProgramState.h"
#include "platform/ui/ClickLabel.h"
#include "platform/ui/Pickers.h"
#include <QCheckBox>
#include <QClipboard>
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
    // "number DD/MM HH:mm" of each listed punch, as the grid shows it.
    QStringList listedDays() const
    {
        const DataGrid *grid = archives->dgArchives;
        const auto value = [grid](int r, const QString &field) {
            int c = 0;
            while (grid->gridModel()->fieldAt(c) != field)
                ++c;
            return grid->model()->index(r, c).data().toString();
        };
        QStringList days;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            days << value(r, u"NoVendeur"_s) + u' ' + value(r, u"PunchDateShort"_s).left(5) + u' ' +
                        value(r, u"PunchTime"_s).left(5);
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

TEST_F(ArchivesWindowTest, PurgeDeletesEveryPunchUpToTheDayIncludedAndNothingElse)
{
    const QStringList all = {u"1001 01/03 08:30"_s, u"1001 28/02 08:00"_s, u"1001 28/02 17:00"_s,
                             u"1002 02/03 07:00"_s};
    // Typed day (empty: the day the window opened on), the day asked about, answer, punches left.
    const QList<std::tuple<QString, QString, bool, QStringList>> cases = {
        {u"27022003"_s, u"27/02/2003"_s, false, all},
        {u"27/2/2003"_s, u"27/02/2003"_s, true, all},
        {u"28/02/2003"_s, u"28/02/2003"_s, true, {u"1001 01/03 08:30"_s, u"1002 02/03 07:00"_s}},
        {QString(), u"01/03/2003"_s, true, {u"1002 02/03 07:00"_s}},
    };
    addFourDays();
    execSql(
        u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('1001', 'Chantier', 'Peinture')"_s);
    execSql(u"UPDATE Vendeurs SET Status = 'In' WHERE NoVendeur = '1001' AND NomVendeur NOTNULL"_s);
    openArchives(); // the label ticks the box, which lists the archived punches
    QTest::mouseClick(archives->Label7, Qt::LeftButton);
    EXPECT_EQ(listedDays(), QStringList{u"1002 27/02 08:00"_s});
    int before = 5;
    for (const auto &[day, shownDay, yes, left] : cases) {
        SCOPED_TRACE(day.toStdString());
        openArchives();
        archives->chkVoir->setChecked(true); // the purge goes back to the current list
        dialogs->clear();
        purgeUpTo(day, yes);
        EXPECT_EQ(dialogs->messages().value(0), LOC_RTString(1674) + shownDay + u'?');
        const int after = scalar(u"SELECT COUNT(*) FROM Punch"_s).toInt();
        EXPECT_EQ(dialogs->messages().value(1), yes ? LOC_RTString(1820).arg(before - after) : QString());
        EXPECT_EQ(listedDays(), left);
        EXPECT_FALSE(archives->chkVoir->isChecked());
        before = after;
    }
    EXPECT_EQ(
        scalar(u"SELECT group_concat(ifnull(Status, SousProjet)) FROM Vendeurs WHERE NoVendeur = '1001'"_s)
            .toString(),
        u"In,Peinture"_s)
        << "the employee's status and his presence row are untouched";
}

TEST_F(ArchivesWindowTest, FailedOrDatelessPurgeDeletesNothingAndSaysSo)
{
    addFourDays();
    // The third deletion fails: the two before it must come back.
    execSql(u"CREATE TABLE Seen (n INTEGER)"_s);
    execSql(u"CREATE TRIGGER Stop BEFORE DELETE ON Punch BEGIN INSERT INTO Seen VALUES (1); "
            u"SELECT RAISE(ABORT, 'disk says no') WHERE (SELECT COUNT(*) FROM Seen) >= 3; END"_s);
    openArchives();
    purgeUpTo(u"02032003"_s, true);
    ASSERT_EQ(dialogs->messages().size(), 2);
    EXPECT_TRUE(dialogs->messages()[1].startsWith(LOC_RTString(1822).section(u"%1"_s, 0, 0)) &&
                dialogs->messages()[1].contains(u"disk says no"_s));
    EXPECT_EQ(listedDays().size(), 4);
    archives->DPicker->setFocus();
    QTest::keyClick(archives->DPicker, Qt::Key_Delete); // emptied: asks for a day
    QTest::mouseClick(archives->cmdSupp, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().value(2), LOC_RTString(1824));
    purgeUpTo(u"31022003"_s, true); // a day that does not exist: refused, never another day
    EXPECT_EQ(dialogs->messages().value(3), LOC_RTString(1944).arg(u"31/02/2003"_s));
    EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch"_s).toInt(), 5);
}

// Text pasted into the purge date (Ctrl+A, Ctrl+V) is read by the rules of typed text: the purge goes up to
// the day pasted, and a day that cannot be read is refused, never replaced by another.
TEST_F(ArchivesWindowTest, PastedPurgeDateIsReadAsTypedAndNeverReplacedByAnother)
{
    Clock::setFixed(QDateTime(QDate(2028, 6, 1), QTime(9, 0)));
    for (const QDate &day : {QDate(2026, 1, 31), QDate(2026, 2, 1), QDate(2026, 2, 2), QDate(2026, 2, 28),
                             QDate(2027, 4, 30), QDate(2027, 5, 1), QDate(2028, 6, 1)})
        addPunch(u"1001"_s, u"In"_s, day, QTime(8, 0), u"Chantier"_s, u"Peinture"_s);
    // Pasted, then the day asked about (empty: refused with the text shown) and the punches left.
    const QList<std::tuple<QString, QString, int>> cases = {
        {u"31/02/2026"_s, QString(), 7},      {u"31/04/2027"_s, QString(), 7},
        {u"00/00/0000"_s, QString(), 7},      {u"févr. 2026"_s, QString(), 7},
        {u" 1/2/26\n"_s, u"01/02/2026"_s, 5}, {u"1.5.2027"_s, u"01/05/2027"_s, 1},
    };
    for (const auto &[pasted, asked, left] : cases) {
        SCOPED_TRACE(pasted.toStdString());
        openArchives();
        dialogs->clear();
        archives->DPicker->setFocus();
        QTest::keyClick(archives->DPicker, Qt::Key_A, Qt::ControlModifier);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(archives->DPicker, Qt::Key_V, Qt::ControlModifier);
        dialogs->thenYes();
        QTest::mouseClick(archives->cmdSupp, Qt::LeftButton);
        EXPECT_EQ(dialogs->messages().value(0), asked.isEmpty() ? LOC_RTString(1944).arg(pasted.trimmed())
                                                                : LOC_RTString(1674) + asked + u'?');
        EXPECT_EQ(scalar(u"SELECT COUNT(*) FROM Punch"_s).toInt(), left);
    }
}

// Every caption of the punch grids reads whole, in French and in English ("Arch." too).
TEST_F(ArchivesWindowTest, GridCaptionsReadWhole)
{
    addFourDays();
    for (const int lang : {1, 2}) {
        execSql(u"UPDATE Acces SET Lang = ?"_s, {lang});
        LOCRTSModule::reset();
        openArchives();
        openCorrections();
        for (const DataGrid *grid : {archives->dgArchives, corrections->dgArchives, corrections->DataGrid2})
            EXPECT_EQ(cutCaptions(grid), QStringList()) << lang << ' ' << grid->objectName().toStdString();
        for (const DataGrid *grid : {archives->dgArchives, corrections->dgArchives}) // "Arch." in sight
            EXPECT_LE(grid->columnViewportPosition(8) + grid->columnWidth(8), grid->viewport()->width());
    }
}

} // namespace
} // namespace tarnvik::test
