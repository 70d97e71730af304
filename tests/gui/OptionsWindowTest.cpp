#include "admin/frmOptions.h"
#include "common/Database.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/MonthView.h"
#include "station/StationWindow.h"
#include "support/ProgramFixture.h"
#include <QAbstractItemView>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
using namespace Qt::StringLiterals;

namespace tarnvik::test {
namespace {

// Stands in for the main window and records what the options window asks of it.
class RecordingStation final : public StationWindow {
public:
    QStringList calls;                 // the data sources' new connection string goes with "reconnect"
    std::function<void()> onReconnect; // runs while the options window is still saving
    void LOC_SetProperties() override { calls << u"LOC_SetProperties"_s; }
    void refreshSettingsRow() override { calls << u"refreshSettingsRow"_s; }
    void reconnectDataSources(const QString &c) override { calls << u"reconnect "_s + c, onReconnect(); }
    void databaseChanged() override { calls << u"databaseChanged"_s; }
};

class OptionsWindowTest : public ProgramFixture {
protected:
    void setSettings(const QVariant &periode, const QVariant &start, const QVariant &lang)
    {
        execSql(u"UPDATE Acces SET Periode = ?, DateDebut = ?, Lang = ?"_s, {periode, start, lang});
    }
    // The settings row of a database as "Periode DateDebut Lang".
    static QString settingsOf(const QString &database)
    {
        QSqlQuery q(u"SELECT Periode||' '||DateDebut||' '||Lang FROM Acces"_s,
                    Database::connection(database));
        return q.next() ? q.value(0).toString() : QString();
    }
    QString settings() const { return settingsOf(databasePath()); }
    static QString iniPath() { return SettingsFile::readFirstField(SettingsFile::path()).value_or(u""_s); }
    void open()
    {
        station.onReconnect = [this] { rowWhenReconnected = settings(); };
        (window = std::make_unique<frmOptions>(&station))->show();
    }
    static void choose(QRadioButton *o)
    {
        QTest::mouseClick(o, Qt::LeftButton, {}, QPoint(7, o->height() / 2));
    }
    void typePath(const QString &path)
    {
        window->txtPath->selectAll(), QTest::keyClicks(window->txtPath, path);
    }
    // "<days of the checked length> <first day> <last day> <Fr|En>"; the calendar lights just that range.
    QString shown() const
    {
        const MonthView *cal = window->Calendrier;
        const QDate first = cal->Value(), last = cal->SelEnd();
        EXPECT_TRUE(cal->isHighlighted(first) && cal->isHighlighted(last) &&
                    !cal->isHighlighted(last.addDays(1)) && !cal->isHighlighted(first.addDays(-1)));
        const int days = window->opt7->isChecked() ? 7 : window->opt14->isChecked() ? 14 : 28;
        return u"%1 %2 %3 %4"_s.arg(days).arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate),
                                              window->optEn->isChecked() ? u"En"_s : u"Fr"_s);
    }
    // A second station database with settings of its own.
    QString otherDatabase()
    {
        const QString path = folder() + u"/second.mdb"_s;
        EXPECT_TRUE(Database::ensure(path, true).usable());
        QSqlQuery(Database::connection(path))
            .exec(u"UPDATE Acces SET Periode = 1, DateDebut = '2002-01-07', Lang = 2"_s);
        return path;
    }

    RecordingStation station;
    QString rowWhenReconnected; // the settings row of the test database as the station switches
    std::unique_ptr<frmOptions> window;
};

TEST_F(OptionsWindowTest, OpensOnTheStoredSettingsAndEmptyLanguageIsStoredAsFrench)
{
    const QList<std::tuple<QVariant, QVariant, QVariant, QString>> cases = {
        {3, u"2003-02-03"_s, 1, u"28 2003-02-03 2003-03-02 Fr"_s},
        {1, u"2003-02-03"_s, 2, u"7 2003-02-03 2003-02-09 En"_s},
        {QVariant(), u"2003-02-03"_s, 7, u"14 2003-02-03 2003-02-16 En"_s},
        {1, QVariant(), 1, u"7 2003-03-01 2003-03-07 Fr"_s}, // from today
        {u"abc"_s, u"later"_s, 1, u"28 2003-03-01 2003-03-28 Fr"_s},
        {QVariant(), QVariant(), QVariant(), u"14 2003-03-01 2003-03-14 Fr"_s},
    };
    for (const auto &[periode, start, lang, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        setSettings(periode, start, lang);
        open();
        EXPECT_EQ(shown(), expected);
    }
    // Enter on the last one saves; saving lets the period check speak again.
    ProgramState::PeriodeMsgShown = true;
    window->txtPath->setText(u"elsewhere.mdb"_s);
    QTest::mouseClick(window->cmdDefault, Qt::LeftButton);
    EXPECT_EQ(window->txtPath->text(), databasePath()) << "Default: the program folder's database";
    QTest::keyClick(window->txtPath, Qt::Key_Return);
    EXPECT_EQ(settings(), u"2 2003-03-01 1"_s);
    EXPECT_FALSE(ProgramState::PeriodeMsgShown);
}

// The settings go into the database open at load, before the station switches to a new path.
TEST_F(OptionsWindowTest, OkStoresIntoTheOldDatabaseThenRelocalisesAndReconnectsAndEmptyPathIsTheDefault)
{
    setSettings(2, u"2003-03-10"_s, 1);
    const QString other = otherDatabase();
    open();
    QAbstractItemView *days = window->Calendrier->findChild<QAbstractItemView *>();
    QTest::keyClick(days, Qt::Key_Right); // the user moves the selection with the arrow keys
    choose(window->opt7);
    QTest::keyClick(days, Qt::Key_Right);
    choose(window->optEn);
    typePath(other);
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    EXPECT_EQ(settings(), u"1 2003-03-12 2"_s);
    EXPECT_EQ(rowWhenReconnected, settings()) << "stored before the station switched";
    EXPECT_EQ(settingsOf(other), u"1 2002-01-07 2"_s) << "untouched";
    EXPECT_EQ(station.calls, QStringList({u"refreshSettingsRow"_s, u"LOC_SetProperties"_s,
                                          u"reconnect "_s + buildConnString(other), u"databaseChanged"_s}));
    EXPECT_EQ(iniPath(), other);
    EXPECT_EQ(LOC_RTString(1488), u"Preferences"_s) << "the strings were loaded again in English";
    open();
    typePath(u"   "_s); // now on the other database, the user empties the path
    choose(window->optMois);
    QTest::keyClick(window->txtPath, Qt::Key_Enter);
    const QString byDefault = SettingsFile::defaultDatabasePath();
    EXPECT_EQ(iniPath(), byDefault);
    EXPECT_EQ(station.calls.mid(station.calls.size() - 2),
              QStringList({u"reconnect "_s + buildConnString(byDefault), u"databaseChanged"_s}));
    EXPECT_EQ(settingsOf(other), u"3 2002-01-07 2"_s);
}

// The settings file holds the path between double quotes: a path holding one would be read back as
// another, so it is refused before anything is written or created.
TEST_F(OptionsWindowTest, RefusedOrFailedSaveIsSaidWritesNothingAndKeepsTheWindowOpen)
{
    setSettings(2, u"2003-03-10"_s, 1);
    const QString other = otherDatabase(), quoted = folder() + u"/say \"cheese\".mdb"_s;
    const QString notes = folder() + u"/notes.mdb"_s; // a file that is no station database
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("Meeting at nine.\n") > 0);
    file.close();
    const struct {
        QString path, lock, said;
    } cases[] = {
        {quoted, QString(), LOC_RTString(1780).arg(quoted)},
        {notes, QString(),
         u"La base de données « %1 » ne peut pas être utilisée : ce fichier n'est pas une base de "
         u"données.\r\n"
         u"La station garde la base de données qu'elle utilise."_s.arg(notes)},
        {other, u"settings locked"_s, LOC_RTString(1708).section(u"%1"_s, 0, 0)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        if (!c.lock.isEmpty())
            execSql(u"CREATE TRIGGER Lock BEFORE UPDATE ON Acces BEGIN SELECT RAISE(ABORT, '%1'); END"_s.arg(
                c.lock));
        ProgramState::PeriodeMsgShown = true;
        dialogs->clear();
        open();
        typePath(c.path);
        choose(window->opt7);
        QTest::mouseClick(window->cmdOk, Qt::LeftButton);
        EXPECT_TRUE(window->isVisible());
        ASSERT_EQ(dialogs->messages().size(), 1);
        EXPECT_TRUE(dialogs->messages()[0].startsWith(c.said) && dialogs->messages()[0].contains(c.lock))
            << dialogs->messages()[0].toStdString();
        EXPECT_EQ(iniPath(), databasePath());
        EXPECT_EQ(settings(), u"2 2003-03-10 1"_s);
        EXPECT_FALSE(QFile::exists(quoted)) << "no database made there";
        EXPECT_TRUE(station.calls.isEmpty() && ProgramState::PeriodeMsgShown);
    }
    execSql(u"DROP TRIGGER Lock"_s); // a second OK, once the row can be written, saves
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    EXPECT_EQ(settings(), u"1 2003-03-10 1"_s);
    EXPECT_EQ(iniPath(), other);
}

} // namespace
} // namespace tarnvik::test
