#include "admin/frmOptions.h"
#include "common/Clock.h"
#include "common/Database.h"
#include "common/DatabaseMessages.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "common/SettingsFile.h"
#include "localisation/LOCRTSModule.h"
#include "platform/ui/MonthView.h"
#include "platform/ui/WindowLook.h"
#include "station/PeriodChecker.h"
#include "station/StationWindow.h"
#include "support/ProgramFixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnvik::test {
namespace {

// Clicks an option button on its round mark, as the user does.
void choose(QRadioButton *option)
{
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(7, option->height() / 2));
}

// Stands in for the main window and records what the options window asks of it.
class RecordingStation final : public StationWindow {
public:
    struct Call {
        QString name;
        QString argument;
    };
    QList<Call> calls;
    // Runs at every call, while the options window is still saving.
    std::function<void(const QString &)> onCall;

    void LOC_SetProperties() override { record(u"LOC_SetProperties"_s, {}); }
    void refreshSettingsRow() override { record(u"refreshSettingsRow"_s, {}); }
    void reconnectDataSources(const QString &connString) override
    {
        record(u"reconnectDataSources"_s, connString);
    }
    QStringList names() const
    {
        QStringList n;
        for (const Call &c : calls)
            n << c.name;
        return n;
    }

private:
    void record(const QString &name, const QString &argument)
    {
        calls.append({name, argument});
        if (onCall)
            onCall(name);
    }
};

class OptionsWindowTest : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        execSql(u"UPDATE Acces SET Lang = 1"_s);
    }
    void TearDown() override
    {
        window.reset();
        ProgramFixture::TearDown();
    }

    void setSettings(const QVariant &periode, const QVariant &start, const QVariant &lang)
    {
        execSql(u"UPDATE Acces SET Periode = ?, DateDebut = ?, Lang = ?"_s, {periode, start, lang});
    }
    // The settings row of a database as "Periode DateDebut Lang", "-" for Null.
    QString settingsOf(const QString &database) const
    {
        QSqlQuery q(Database::connection(database));
        q.exec(u"SELECT Periode, DateDebut, Lang FROM Acces"_s);
        QStringList values;
        if (q.next())
            for (int i = 0; i < 3; ++i)
                values << (q.value(i).isNull() ? u"-"_s : q.value(i).toString());
        return values.join(u' ');
    }
    QString settings() const { return settingsOf(databasePath()); }
    QByteArray settingsFileBytes() const
    {
        QFile f(SettingsFile::path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString settingsFilePath() const
    {
        return SettingsFile::readFirstField(SettingsFile::path()).value_or(QString());
    }

    frmOptions &open()
    {
        window = std::make_unique<frmOptions>(&station);
        window->show();
        return *window;
    }
    void typePath(const QString &path)
    {
        window->txtPath->selectAll();
        QTest::keyClick(window->txtPath, Qt::Key_Delete);
        QTest::keyClicks(window->txtPath, path);
    }
    // The user moves the calendar's selection with the arrow keys.
    void pickDayAfter(int days)
    {
        QAbstractItemView *view = window->Calendrier->findChild<QAbstractItemView *>();
        ASSERT_NE(view, nullptr);
        for (int i = 0; i < days; ++i)
            QTest::keyClick(view, Qt::Key_Right);
    }
    void expectRange(const QDate &first, const QDate &last)
    {
        const MonthView *cal = window->Calendrier;
        EXPECT_EQ(cal->Value(), first);
        EXPECT_EQ(cal->SelStart(), first);
        EXPECT_EQ(cal->SelEnd(), last);
        EXPECT_TRUE(cal->isHighlighted(first));
        EXPECT_TRUE(cal->isHighlighted(last));
        EXPECT_FALSE(cal->isHighlighted(first.addDays(-1)));
        EXPECT_FALSE(cal->isHighlighted(last.addDays(1)));
    }
    // A second station database with settings of its own.
    QString otherDatabase(const QString &name)
    {
        const QString path = QDir(folder()).filePath(name);
        EXPECT_TRUE(Database::ensure(path, true).usable());
        QSqlQuery q(Database::connection(path));
        q.exec(u"UPDATE Acces SET Periode = 1, DateDebut = '2002-01-07', Lang = 2"_s);
        return path;
    }

    RecordingStation station;
    std::unique_ptr<frmOptions> window;
};

TEST_F(OptionsWindowTest, CalendarShowsThePeriodFromThePickedDateWithTheChosenLength)
{
    setSettings(2, u"2003-03-10"_s, 1);
    open();
    EXPECT_TRUE(window->opt14->isChecked());
    expectRange(QDate(2003, 3, 10), QDate(2003, 3, 23));

    choose(window->opt7);
    expectRange(QDate(2003, 3, 10), QDate(2003, 3, 16));

    pickDayAfter(2);
    expectRange(QDate(2003, 3, 12), QDate(2003, 3, 18));

    choose(window->optMois);
    expectRange(QDate(2003, 3, 12), QDate(2003, 4, 8));

    choose(window->opt14);
    expectRange(QDate(2003, 3, 12), QDate(2003, 3, 25));
}

TEST_F(OptionsWindowTest, OpensOnTheStoredSettings)
{
    struct Case {
        const char *name;
        QVariant periode, start, lang;
        QRadioButton *frmOptions::*length;
        QDate first;
        int days;
        QRadioButton *frmOptions::*language;
    };
    const QDate today = Clock::today();
    const QList<Case> cases = {
        {"28 days", 3, "2003-02-03", 1, &frmOptions::optMois, QDate(2003, 2, 3), 28, &frmOptions::optFr},
        {"7 days", 1, "2003-02-03", 2, &frmOptions::opt7, QDate(2003, 2, 3), 7, &frmOptions::optEn},
        {"14 days", 2, "2003-02-03", 7, &frmOptions::opt14, QDate(2003, 2, 3), 14, &frmOptions::optEn},
        {"no length", QVariant(), "2003-02-03", 2, &frmOptions::opt14, QDate(2003, 2, 3), 14,
         &frmOptions::optEn},
        {"no start", 1, QVariant(), 1, &frmOptions::opt7, today, 7, &frmOptions::optFr},
        {"nothing", QVariant(), QVariant(), 1, &frmOptions::opt14, today, 14, &frmOptions::optFr},
        {"length not a number", "abc", "2003-02-03", 1, &frmOptions::optMois, QDate(2003, 2, 3), 28,
         &frmOptions::optFr},
        {"start not a date", 1, "later", 1, &frmOptions::opt7, today, 7, &frmOptions::optFr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        setSettings(c.periode, c.start, c.lang);
        open();
        EXPECT_TRUE((window.get()->*c.length)->isChecked());
        EXPECT_TRUE((window.get()->*c.language)->isChecked());
        expectRange(c.first, c.first.addDays(c.days - 1));
        EXPECT_EQ(window->txtPath->text(), databasePath());
    }

    // Without a settings file the path stays empty.
    QFile::remove(SettingsFile::path());
    open();
    EXPECT_TRUE(window->txtPath->text().isEmpty());
}

TEST_F(OptionsWindowTest, EmptyLanguageOpensOnFrenchAndOkStoresOne)
{
    LOC_RTString(1488); // the strings are loaded while the language is known
    setSettings(QVariant(), QVariant(), QVariant());
    ProgramState::PeriodeMsgShown = true;
    open();
    EXPECT_TRUE(window->optFr->isChecked());
    EXPECT_FALSE(window->optEn->isChecked());

    QTest::keyClick(window->txtPath, Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(settings(), u"2 2003-03-01 1"_s);
    EXPECT_FALSE(ProgramState::PeriodeMsgShown);
    EXPECT_EQ(dialogs->unanswered(), 0) << "no language chooser";
}

TEST_F(OptionsWindowTest, OkWritesTheChoicesThenRelocalisesAndReconnectsTheStation)
{
    setSettings(2, u"2003-03-10"_s, 1);
    ProgramState::PeriodeMsgShown = true;
    QString rowWhenReconnected;
    station.onCall = [&](const QString &name) {
        if (name == QLatin1String("reconnectDataSources"))
            rowWhenReconnected = settings();
    };
    open();
    choose(window->opt7);
    pickDayAfter(7);
    choose(window->optEn);
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(settings(), u"1 2003-03-17 2"_s);
    EXPECT_EQ(rowWhenReconnected, settings());
    EXPECT_EQ(station.names(),
              (QStringList{"refreshSettingsRow", "LOC_SetProperties", "reconnectDataSources"}));
    EXPECT_EQ(station.calls.last().argument, buildConnString(databasePath()));
    EXPECT_EQ(ProgramState::CurrentLang, 2) << "the strings were loaded again in English";
    EXPECT_EQ(LOC_RTString(1488), u"Preferences"_s);
    EXPECT_FALSE(ProgramState::PeriodeMsgShown);
    EXPECT_EQ(settingsFilePath(), databasePath());
}

TEST_F(OptionsWindowTest, EmptyPathStoresTheDefaultDatabase)
{
    // The station runs on a database elsewhere; the user empties the path.
    const QString other = otherDatabase(u"elsewhere.mdb"_s);
    ASSERT_TRUE(SettingsFile::writeDatabasePath(SettingsFile::path(), other));
    ProgramState::DbPath = other;
    ProgramState::ConnString = buildConnString(other);
    open();
    EXPECT_EQ(window->txtPath->text(), other);
    typePath(u"   "_s);
    choose(window->optMois);
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(settingsFilePath(), SettingsFile::defaultDatabasePath());
    EXPECT_EQ(ProgramState::DbPath, SettingsFile::defaultDatabasePath());
    EXPECT_EQ(ProgramState::ConnString, buildConnString(SettingsFile::defaultDatabasePath()));
    ASSERT_FALSE(station.calls.isEmpty());
    EXPECT_EQ(station.calls.last().argument, buildConnString(SettingsFile::defaultDatabasePath()));
    // The settings went into the database open when the window loaded.
    EXPECT_TRUE(settingsOf(other).startsWith(u"3 "_s));
    EXPECT_TRUE(settings().startsWith(u"- "_s));
}

TEST_F(OptionsWindowTest, NewPathStoresIntoTheOldDatabaseBeforeTheStationSwitches)
{
    setSettings(1, u"2003-03-03"_s, 1);
    const QString other = otherDatabase(u"second.mdb"_s);
    QString oldRowWhenSwitched;
    station.onCall = [&](const QString &name) {
        if (name == QLatin1String("reconnectDataSources"))
            oldRowWhenSwitched = settings();
    };
    open();
    typePath(other);
    choose(window->optMois);
    QTest::keyClick(window->txtPath, Qt::Key_Enter);

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(oldRowWhenSwitched, u"3 2003-03-03 1"_s);
    EXPECT_EQ(settings(), u"3 2003-03-03 1"_s);
    EXPECT_EQ(settingsOf(other), u"1 2002-01-07 2"_s) << "untouched";

    EXPECT_EQ(station.calls.last().name, u"reconnectDataSources"_s);
    EXPECT_EQ(station.calls.last().argument, buildConnString(other));
    EXPECT_EQ(ProgramState::DbPath, other);
    EXPECT_EQ(settingsFilePath(), other);
    // The language comes from the choice just stored, not from the new database.
    EXPECT_EQ(ProgramState::CurrentLang, 1);
}

TEST_F(OptionsWindowTest, NewPathToAMissingFileCreatesTheDatabaseAndSaysSo)
{
    const QString fresh = QDir(folder()).filePath(u"new station.mdb"_s);
    open();
    typePath(fresh);
    choose(window->opt7);
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);

    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(Database::ensure(fresh, false).state, Database::State::Ready);
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1704).arg(fresh)});
    // The new database starts with the settings chosen rather than none.
    EXPECT_EQ(settingsOf(fresh), u"1 2003-03-01 1"_s);
    EXPECT_EQ(settings(), u"1 2003-03-01 1"_s);
    EXPECT_EQ(station.calls.last().argument, buildConnString(fresh));
    EXPECT_EQ(ProgramState::DbPath, fresh);
}

TEST_F(OptionsWindowTest, UnusableNewPathIsRefusedAndTheWindowStaysOpen)
{
    setSettings(2, u"2003-03-10"_s, 1);
    const QString notADatabase = QDir(folder()).filePath(u"notes.mdb"_s);
    {
        QFile f(notADatabase);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    const QString missingFolder = QDir(folder()).filePath(u"nowhere/tarnvik.mdb"_s);
    for (const QString &path : {notADatabase, missingFolder}) {
        SCOPED_TRACE(path.toStdString());
        dialogs->clear();
        open();
        typePath(path);
        choose(window->opt7);
        QTest::mouseClick(window->cmdOk, Qt::LeftButton);

        EXPECT_TRUE(window->isVisible());
        ASSERT_EQ(dialogs->messages().size(), 1);
        EXPECT_TRUE(dialogs->messages()[0].contains(path));
        EXPECT_EQ(settings(), u"2 2003-03-10 1"_s) << "nothing was written";
        EXPECT_EQ(settingsFilePath(), databasePath());
        EXPECT_EQ(ProgramState::DbPath, databasePath());
        EXPECT_TRUE(station.calls.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(folder()).filePath(u"nowhere"_s)));
}

TEST_F(OptionsWindowTest, SettingsRowThatCannotBeWrittenIsReportedAndTheWindowStaysOpen)
{
    setSettings(2, u"2003-03-10"_s, 1);
    execSql(u"CREATE TRIGGER LockSettings BEFORE UPDATE ON Acces "
            "BEGIN SELECT RAISE(ABORT, 'settings locked'); END"_s);
    const QString other = otherDatabase(u"second.mdb"_s);
    ProgramState::PeriodeMsgShown = true;
    open();
    typePath(other);
    choose(window->opt7);
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);

    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].contains(QLatin1String("settings locked")));
    EXPECT_TRUE(dialogs->messages()[0].startsWith(LOC_RTString(1708).section(QLatin1String("%1"), 0, 0)));
    EXPECT_EQ(settingsFilePath(), databasePath()) << "the settings file still names the old database";
    EXPECT_EQ(ProgramState::DbPath, databasePath());
    EXPECT_TRUE(station.calls.isEmpty());
    EXPECT_TRUE(ProgramState::PeriodeMsgShown);

    // Once the row can be written again, a second OK saves.
    execSql(u"DROP TRIGGER LockSettings"_s);
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(settings().startsWith(u"1 "_s));
    EXPECT_EQ(settingsFilePath(), other);
}

TEST_F(OptionsWindowTest, SettingsFileThatCannotBeWrittenLeavesTheRowAsItWas)
{
    setSettings(2, u"2003-03-10"_s, 1);
    open();
    ASSERT_TRUE(QFile::remove(SettingsFile::path()));
    ASSERT_TRUE(QDir(folder()).mkdir(u"tarnvik.ini"_s));
    choose(window->optMois);
    choose(window->optEn);
    QTest::mouseClick(window->cmdOk, Qt::LeftButton);

    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(dialogs->messages()[0].startsWith(
        LOC_RTString(1706).arg(SettingsFile::path()).section(QLatin1String("%2"), 0, 0)));
    EXPECT_EQ(settings(), u"2 2003-03-10 1"_s);
    EXPECT_TRUE(station.calls.isEmpty());
}

TEST_F(OptionsWindowTest, CancelAndEscapeWriteNothing)
{
    setSettings(2, u"2003-03-10"_s, 1);
    ProgramState::PeriodeMsgShown = true;
    const QByteArray fileBefore = settingsFileBytes();
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "Cancel" : "Escape");
        open();
        typePath(QDir(folder()).filePath(u"other.mdb"_s));
        choose(window->optMois);
        choose(window->optEn);
        pickDayAfter(3);
        if (way == 0)
            QTest::mouseClick(window->cmdAnnuler, Qt::LeftButton);
        else
            QTest::keyClick(window.get(), Qt::Key_Escape);

        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->result(), QDialog::Rejected);
        EXPECT_EQ(settings(), u"2 2003-03-10 1"_s);
        EXPECT_EQ(settingsFileBytes(), fileBefore);
        EXPECT_FALSE(QFileInfo::exists(QDir(folder()).filePath(u"other.mdb"_s)));
    }
    EXPECT_TRUE(station.calls.isEmpty());
    EXPECT_TRUE(ProgramState::PeriodeMsgShown);
}

TEST_F(OptionsWindowTest, PathButtonsFillThePath)
{
    open();
    typePath(u"/somewhere/else.mdb"_s);
    QTest::mouseClick(window->cmdDefault, Qt::LeftButton);
    EXPECT_EQ(window->txtPath->text(), QDir(folder()).filePath(u"tarnvik.mdb"_s));

    dialogs->then(Answer::file(u"/data/station/tarnvik.mdb"_s));
    QTest::mouseClick(window->cmdChoose, Qt::LeftButton);
    EXPECT_EQ(window->txtPath->text(), u"/data/station/tarnvik.mdb"_s);
    ASSERT_EQ(dialogs->shown().size(), 1);
    EXPECT_EQ(dialogs->shown()[0].kind, Shown::OpenFile);
    EXPECT_EQ(dialogs->shown()[0].title, u"Base de donnée (tarnvik.mdb)"_s);

    // Cancelling the file dialog keeps the path.
    dialogs->then(Answer::cancel());
    QTest::mouseClick(window->cmdChoose, Qt::LeftButton);
    EXPECT_EQ(window->txtPath->text(), u"/data/station/tarnvik.mdb"_s);
    EXPECT_EQ(dialogs->unanswered(), 0);
}

TEST_F(OptionsWindowTest, CaptionsAndSeparator)
{
    open();
    const QList<QPair<QString, int>> captions = {
        {window->windowTitle(), 1488},      {window->Frame3->title(), 1540},
        {window->cmdDefault->text(), 1156}, {window->cmdChoose->text(), 1158},
        {window->lblChoose->text(), 1154},  {window->Frame1->title(), 1622},
        {window->optMois->text(), 1378},    {window->opt14->text(), 1144},
        {window->opt7->text(), 1290},       {window->Label1->text(), 1342},
        {window->Label2->text(), 1366},     {window->lblDate->text(), 1544},
    };
    for (const auto &c : captions) {
        EXPECT_EQ(c.first, LOC_RTString(c.second)) << c.second;
        EXPECT_FALSE(c.first.isEmpty());
    }
    EXPECT_EQ(window->Label3->text(), u"Langue / language :"_s);
    EXPECT_EQ(window->optFr->text(), u"Français"_s);
    EXPECT_EQ(window->optEn->text(), u"English"_s);
    EXPECT_EQ(window->cmdOk->text(), u"Ok"_s);
    EXPECT_EQ(window->cmdAnnuler->text(), u"Cancel"_s);
    EXPECT_TRUE(window->Frame2->title().isEmpty());

    // The separator keeps its place on a 96 dpi screen (15 twips per pixel)
    // and moves on a finer one.
    EXPECT_EQ(window->Line1->x(),
              twipsPerPixelX(window.get()) < 15 ? frmOptions::Line1FineScreenX : frmOptions::Line1DesignX);
    window->placeLine1(15);
    EXPECT_EQ(window->Line1->x(), frmOptions::Line1DesignX);
    window->placeLine1(14);
    EXPECT_EQ(window->Line1->x(), frmOptions::Line1FineScreenX);
}

TEST_F(OptionsWindowTest, PeriodCheckWithoutAPeriodOpensTheOptionsWhereTheUserSetsOne)
{
    setSettings(QVariant(), QVariant(), 1);
    PeriodChecker checker([this] { showOptionsForMissingPeriod(nullptr, &station); });
    bool sawWindow = false;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *options = qobject_cast<frmOptions *>(w);
            if (!options || !options->isVisible())
                continue;
            sawWindow = options->isModal();
            choose(options->opt7);
            QTest::mouseClick(options->cmdOk, Qt::LeftButton);
        }
    });
    checker.CheckPeriode();

    EXPECT_TRUE(sawWindow);
    EXPECT_EQ(dialogs->messages(), QStringList{LOC_RTString(1650)});
    EXPECT_EQ(settings(), u"1 2003-03-01 1"_s);
    EXPECT_FALSE(ProgramState::PeriodeMsgShown) << "saving the options clears the flag";

    // The period now runs; the next checks stay quiet until it ends.
    checker.CheckPeriode();
    EXPECT_EQ(dialogs->messages().size(), 1);
    Clock::setFixed(QDateTime(QDate(2003, 3, 8), QTime(9, 0)));
    checker.CheckPeriode();
    EXPECT_EQ(dialogs->messages().last(), LOC_RTString(1630));
}

} // namespace
} // namespace tarnvik::test
