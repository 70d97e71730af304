#include "localisation/LOCRTSModule.h"
#include "common/ProgramState.h"
#include "common/Windows1252.h"
#include "support/ProgramFixture.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;
using namespace tarnvik;
using namespace tarnvik::test;

namespace {

// A language file in Windows-1252 with CR LF line ends: the header for the languages and keys given, then the
// body. Each "Language" i "Start" holds the byte position of the line "[Name]" (blanks around it allowed), or
// 1, a stale position, when there is none; in ten digits, so that writing them moves nothing.
QByteArray languageFile(const QStringList &names, const QStringList &keys, const QStringList &body)
{
    QStringList lines{"[LOC]", u"NumLanguages=%1"_s.arg(names.size())};
    for (int i = 0; i < names.size(); ++i)
        lines << u"Language%1=%2"_s.arg(i + 1).arg(names[i]) << u"Language%1Start=0000000001"_s.arg(i + 1);
    lines += keys + QStringList{QString()} + body;
    for (int i = 0; i < names.size(); ++i) {
        qsizetype at = 1, j = 0;
        for (; j < lines.size() && lines[j].trimmed() != u'[' + names[i] + u']'; ++j)
            at += lines[j].size() + 2;
        if (j < lines.size())
            lines[3 + 2 * i] = u"Language%1Start=%2"_s.arg(i + 1).arg(at, 10, 10, QChar(u'0'));
    }
    return Windows1252::encode(lines.join("\r\n") + "\r\n");
}

QByteArray twoLanguages()
{
    return languageFile({"Français", "English"}, {"NumStrings=3"},
                        {"[Français]", " 0=\"Zéro\"", " 1=\"Un\"", " 2=\"Deux\"", "", "[English]",
                         " 0=\"Zero\"", " 1=\"One\"", " 2=\"Two\""});
}

class Localisation : public ProgramFixture {
protected:
    // Starts over as a fresh program would, with a new file.
    void restart(const QByteArray &bytes)
    {
        LOCRTSModule::reset();
        LOCRTSModule::setCommandLine("");
        dialogs->clear();
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QString path() const { return QDir::toNativeSeparators(QDir(folder()).filePath("LANGUAGE.DAT")); }
    void setLang(const QVariant &value) { execSql("UPDATE Acces SET Lang = ?", {value}); }
    QVariant storedLang() const { return scalar("SELECT Lang FROM Acces"); }
    QString fatal(const char *what = " is missing critical information.") const
    {
        return "Fatal Error: Language database file " + path() + what;
    }
    // Loads and expects the program to end after one critical box ending in `what`.
    void expectFatal(const char *what = " is missing critical information.")
    {
        EXPECT_THROW(LOC_RTString(-1), ProgramTerminated);
        EXPECT_EQ(dialogs->messages(), QStringList{fatal(what)});
        EXPECT_EQ(dialogs->shown().value(0).style, int(MsgStyle::Critical));
    }
};

TEST_F(Localisation, ReadsTheStoredLanguageLineByLineAndReloadsOnlyOnMinusOne)
{
    const QStringList body =
        QString("[Only]|=no number| 1=\"~~~\"| 2=\"\"quoted\"\"| 3=a=b=c| 4=| 5=\"| 6=tail\"|"
                " 7=\"  blanks  | 8=first| 8=second|x1 0=spaced|711=first not read| 12.5=even|"
                " 13=\"~~~~\"| 14=€ é| 9=last| 15=beyond NumStrings|[Other]")
            .split(u'|');
    restart(languageFile({"Only", "Other"}, {"NumStrings=16"}, body + QStringList(16, " 0=autre")));
    setLang(1);
    const QStringList expected{"no number", "\r\n~",      "\"quoted\"", "a=b=c", {},       {},
                               "tail",      "  blanks  ", "second",     "last",  "spaced", "first not read",
                               "even",      "\r\n\r\n",   "€ é",        {}};
    for (int number = 0; number < expected.size(); ++number)
        EXPECT_EQ(LOC_RTString(number), expected[number]) << number;
    for (qint32 outside : {17, -2, std::numeric_limits<qint32>::min()})
        EXPECT_EQ(LOC_RTString(outside), "Invalid Index") << outside;
    setLang(2);
    EXPECT_EQ(LOC_RTString(0), "no number"); // still loaded
    EXPECT_TRUE(LOC_RTString(-1).isEmpty());
    EXPECT_EQ(LOC_RTString(0), "autre");
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(Localisation, StaleSectionPositionsAreSearchedAndFilesMissingWhatIsNeededEndTheProgram)
{
    restart(twoLanguages().replace("\r\n[English]", "\r\n\r\n   [English]  ")); // a stale position
    setLang(2);
    EXPECT_EQ(LOC_RTString(2), "Two");
    EXPECT_TRUE(dialogs->shown().isEmpty());
    QFile::remove(QDir(folder()).filePath("LANGUAGE.DAT"));
    expectFatal(" not found.");
    // Changes that break it (from, to): the section name, the header keys, a line without a sign.
    const char *broken[] = {"[English]",      "[ENGLISH]",      "NumLanguages=2",  "NumLanguages=???",
                            "NumLanguages=2", "NumLanguages=3", "Language1Start=", "Language1Start",
                            "NumStrings=3",   "NumString=3",    " 1=\"One\"",      " no sign"};
    for (int i = 0; i < 12; i += 2) {
        restart(twoLanguages().replace(broken[i], broken[i + 1]));
        expectFatal();
    }
    // The section on the last line, at a stale position, with or without a line end.
    const QByteArray stale =
        languageFile({"Français", "English"}, {"NumStrings=0"}, {"[Français]", "", "[English]"})
            .replace("\r\n[English]", "\r\n\r\n[English]");
    for (const QByteArray &bytes : {stale, stale.chopped(2)}) {
        restart(bytes);
        expectFatal();
    }
}

// A settings row that cannot be read or written is reported, not passed over.
TEST_F(Localisation, UnreadableSettingsRowIsReported)
{
    restart(twoLanguages());
    execSql("DELETE FROM Acces");
    ProgramState::CurrentLang = 0;
    dialogs->then(Answer::ignore()).then(Answer::choose(1)).then(Answer::ignore());
    EXPECT_EQ(LOC_RTString(1), "One");
    const QString noRow = "the table Acces holds no row(Code 3021)",
                  database = QDir::toNativeSeparators(databasePath()) + ":\n";
    EXPECT_EQ(dialogs->messages(),
              (QStringList{database + "The settings row cannot be read: " + noRow,
                           database + "The language choice cannot be stored: " + noRow}));
}

// A box of the load names the file first, under the program's title, and Enter takes Ignore: a truncated
// language file never ends the program on Enter; the strings read before its end are there.
TEST_F(Localisation, LoadErrorBoxNamesTheFileAndItsDefaultGoesOn)
{
    restart(twoLanguages().chopped(12)); // the last string line is cut away
    setLang(2);
    EXPECT_EQ(LOC_RTString(1), "One") << "Enter, unanswered, goes on";
    ASSERT_EQ(dialogs->shown().size(), 1);
    const Shown box = dialogs->shown()[0];
    EXPECT_EQ(box.text,
              path() + ":\nInput past end of file: the file ends after 2 of its 3 string lines(Code 62)");
    EXPECT_EQ(box.title, "Tarnvik");
    EXPECT_EQ(box.style, MsgStyle::AbortRetryIgnore | MsgStyle::Exclamation | MsgStyle::DefaultButton3);
    restart(twoLanguages().chopped(12)); // Abort still ends the program
    dialogs->then(Answer{Answer::Button, MsgResult::Abort, {}, 0});
    EXPECT_THROW(LOC_RTString(-1), ProgramTerminated);
}

// A stored language that the file does not offer: one box, then the chooser, whose choice replaces it.
TEST_F(Localisation, StoredLanguageOutsideTheFileIsToldOnceThenTheChooserAsks)
{
    for (const QVariant &stored : {QVariant(5), QVariant(-3)}) {
        restart(twoLanguages());
        setLang(stored);
        dialogs->then(Answer::retry()).then(Answer::ignore()).then(Answer::choose(1));
        EXPECT_EQ(LOC_RTString(1), "One");
        const QString box = path() + ":\nSubscript out of range: language " + stored.toString() +
                            " is not between 1 and 2(Code 9)";
        EXPECT_EQ(dialogs->messages(), (QStringList{box, box})) << "Retry shows it again";
        EXPECT_EQ(storedLang(), QVariant(2));
        restart(twoLanguages()); // the next start asks nothing
        EXPECT_EQ(LOC_RTString(2), "Two");
        EXPECT_TRUE(dialogs->shown().isEmpty());
    }
}

// "/L=" and a language name of the file picks it for the run, without regard to case, while no number is
// stored; the switch is not stored, and a stored number wins. A name the file does not hold is no choice.
TEST_F(Localisation, CommandLineSwitchNamesALanguageOfTheFileForTheRun)
{
    const struct {
        const char *commandLine;
        QVariant stored;
        const char *text;
        bool asked;
    } cases[] = {
        {"-x /l=ENGLISH", {}, "One", false}, {"/L=English", 1, "Un", false}, {"/L=French", {}, "Un", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.commandLine);
        restart(twoLanguages());
        setLang(c.stored);
        ProgramState::CurrentLang = 0;
        LOCRTSModule::setCommandLine(QString::fromLatin1(c.commandLine));
        dialogs->then(Answer::choose(0));
        EXPECT_EQ(LOC_RTString(1), QString::fromUtf8(c.text));
        EXPECT_EQ(dialogs->shown().size(), c.asked ? 1 : 0);
        EXPECT_EQ(storedLang().toString(), c.asked ? u"1"_s : c.stored.toString());
    }
}

// A table far too large is one box whatever follows; a file of several megabytes is refused unread.
TEST_F(Localisation, TableTooLargeIsOneBoxAndAnOversizedFileIsRefused)
{
    QStringList body{"[Only]"};
    for (int i = 0; i < 400; ++i)
        body << u" %1=text %1"_s.arg(i);
    restart(languageFile({"Only"}, {"NumStrings=2000000000"}, body));
    dialogs->then(Answer::ignore());
    EXPECT_EQ(LOC_RTString(3), "Invalid Index");
    EXPECT_EQ(dialogs->messages(),
              QStringList{path() + ":\nOut of memory: a table of 2000000001 strings is too large(Code 7)"});

    const QByteArray valid = twoLanguages();
    restart(valid + QByteArray(5 * 1024 * 1024, ' ') + "\r\n");
    setLang(2);
    dialogs->then(Answer::retry()).then(Answer::ignore());
    EXPECT_THROW(LOC_RTString(1), ProgramTerminated) << "ignored, the file reads as one without a header";
    const QString box = "The language file " + path() + " cannot be read: it holds " +
                        QString::number(valid.size() + 5 * 1024 * 1024 + 2) +
                        " bytes, more than the 4194304 bytes a language file may hold(Code 75)";
    EXPECT_EQ(dialogs->messages(), (QStringList{box, box, fatal()}));
    restart(valid + QByteArray(3 * 1024 * 1024, ' ') + "\r\n"); // large, but still a language file
    EXPECT_EQ(LOC_RTString(1), "One");
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

} // namespace
