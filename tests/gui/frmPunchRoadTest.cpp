#include "PunchWindowFixture.h"

#include "platform/ui/Pickers.h"
#include "platform/ui/PictureButton.h"

#include <QCheckBox>
#include <QLabel>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

using frmPunchRoadTest = PunchWindowFixture;

// In, Out, then In without a sub-project (stored against the no-project text, an empty note stays Null).
TEST_F(frmPunchRoadTest, EnterPunchesInThenOutWithConfirmations)
{
    frmPunch &w = open();
    dialogs->thenYes().thenYes().thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s, u"scaffold"_s);
    EXPECT_EQ(w.txtNumVendeur->text() + w.dcbProjet->Text() + w.txtDescription->text(), QString());
    EXPECT_EQ(focused(), w.txtNumVendeur) << "the entry is emptied for the next employee";
    Clock::setFixed(QDateTime(QDate(2003, 3, 1), QTime(12, 0)));
    punchByKeyboard(u"1001"_s, u"Peinture"_s);
    punchByKeyboard(u"1002"_s, QString());
    QStringList stored;
    for (const QVariantMap &row : punches())
        stored << fields(row, {"NoVendeur", "InOut", "PunchDateShort", "PunchTime", "PunchDateLong", "Projet",
                               "SousProjet", "Description", "Archived"}) +
                      (row.value("Description").isNull() ? "|null" : "");
    const QString day = u"|2003-03-01|09:00:00|Saturday 01 March 2003|"_s, none = LOC_RTString(1698);
    const QString noon = QString(day).replace(u"09:"_s, u"12:"_s);
    EXPECT_EQ(stored, QStringList({"1001|In" + day + "Chantier|Peinture|scaffold|0",
                                   "1001|Out" + noon + "Chantier|Peinture|" + LOC_RTString(1136) + "|0",
                                   "1002|In" + noon + none + '|' + none + "||0|null"}));
    type(u"1001"_s); // the status line shows the latest punch
    EXPECT_TRUE(w.lblStatus->text().startsWith(LOC_RTString(1214) + u"Out"_s) &&
                w.lblStatus->text().contains(u"12:00:00"_s))
        << w.lblStatus->text().toStdString();
    EXPECT_EQ(status(u"1001"_s) + QString::number(presenceCount(u"1001"_s)), u"Out0"_s)
        << "Out closes the In";
    EXPECT_EQ(dialogs->messages(),
              QStringList({question(u"Alice Martin"_s, u"In"_s), question(u"Alice Martin"_s, u"Out"_s),
                           question(u"Bob O'Neil"_s, u"In"_s)}));
}

TEST_F(frmPunchRoadTest, ButtonsForceTheDirectionAndRefuseTheImpossible)
{
    // An archived open "In" does not count; punches on the same name under another project do.
    addPunch(u"1001"_s, u"In"_s, QDate(2003, 2, 3), QTime(8, 0), u"Chantier"_s, u"Plomberie"_s, true);
    for (const char *inOut : {"In", "Out", "Out"})
        addPunch(u"1002"_s, QString::fromLatin1(inOut), QDate(2003, 2, 28), QTime(8, 0), u"Atelier"_s,
                 u"Plomberie"_s);
    execSql(u"INSERT INTO Vendeurs (NoVendeur, Projet, SousProjet) VALUES ('5005', 'Bureau', 'Accueil')"_s);
    frmPunch &w = open();
    const QString alice = LOC_RTString(1256) + u"Alice Martin?"_s,
                  bob = LOC_RTString(1256) + u"Bob O'Neil?"_s;
    const struct {
        QAbstractButton *button; // nullptr: Enter in the note box
        bool confirm;
        const char *number;
        QStringList told;
        int punches;
    } steps[] = {
        {w.Command2, true, "1001", {alice, LOC_RTString(1616)}, 4}, // Out with no open In
        {w.Command1, true, "1001", {alice}, 5},
        {w.Command1, true, "1001", {alice, LOC_RTString(1618)}, 5},  // In twice
        {w.Command2, false, "1001", {alice, LOC_RTString(1134)}, 5}, // name not confirmed
        {w.Command2, true, "1001", {alice}, 6},
        {nullptr, true, "1002", {LOC_RTString(1254)}, 6},    // more Out than In: Enter refused,
        {w.Command1, true, "1002", {bob}, 7},                // the In button still punches
        {w.Command1, true, "77", {LOC_RTString(1152)}, 7},   // unknown number
        {w.Command1, true, "5005", {LOC_RTString(1152)}, 7}, // presences alone make no employee
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(testing::Message() << "step " << (&s - steps));
        w.txtNumVendeur->clear();
        w.txtNumVendeur->setFocus();
        enter(QString::fromLatin1(s.number));
        enter(u"Plomberie"_s);
        dialogs->clear();
        dialogs->then(s.confirm ? Answer::yes() : Answer::no());
        s.button ? QTest::mouseClick(s.button, Qt::LeftButton) : enter();
        EXPECT_EQ(dialogs->messages(), s.told);
        EXPECT_EQ(punchCount(), s.punches);
    }
    EXPECT_EQ(scalar(u"SELECT group_concat(NoVendeur || InOut) FROM Punch WHERE rowid > 4"_s).toString(),
              u"1001In,1001Out,1002In"_s);
}

TEST_F(frmPunchRoadTest, AFailedStoreIsToldAndKeepsTheEntryForAnotherTry)
{
    frmPunch &w = open();
    execSql(u"CREATE TRIGGER full_disk BEFORE INSERT ON Vendeurs BEGIN "
            "SELECT RAISE(ABORT, 'database or disk is full'); END"_s);
    dialogs->thenYes();
    punchByKeyboard(u"1001"_s, u"Peinture"_s, u"matin"_s);
    ASSERT_EQ(dialogs->messages().size(), 2);
    const Shown told = dialogs->shown()[1];
    EXPECT_TRUE(told.text.startsWith(LOC_RTString(1720).section(u'%', 0, 0)) &&
                told.text.contains(u"database or disk is full"_s) && told.style == 16);
    // Nothing of the punch was kept, and nothing typed was lost.
    EXPECT_EQ(status(u"1001"_s) + QString::number(punchCount()), u"Out0"_s);
    EXPECT_EQ(w.txtNumVendeur->text() + w.dcbProjet->Text() + w.txtDescription->text(),
              u"1001Peinturematin"_s);
    execSql(u"DROP TRIGGER full_disk"_s);
    dialogs->thenYes();
    enter();
    ASSERT_EQ(punchCount(), 1);
    EXPECT_EQ(fields(punches()[0], {"InOut", "SousProjet", "Description"}), u"In|Peinture|matin"_s);
    EXPECT_EQ(status(u"1001"_s) + QString::number(presenceCount(u"1001"_s)), u"In1"_s);
}

} // namespace
