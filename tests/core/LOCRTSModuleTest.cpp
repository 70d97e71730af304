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

// A language file in Windows-1252 with CR LF line ends: the header for the languages named and the keys
// given, then the body. Each "Language" i "Start" holds the byte position of the line "[Name]" (blanks around
// it allowed), or 1, a stale position, when there is none; in ten digits, so that writing them moves nothing.
QByteArray languageFile(const QStringList &names, const QStringList &keys, const QStringList &body)
{
    QStringList lines{"[LOC]", u"NumLanguages=%1"_s.arg(names.size())};
    for (int i = 0; i < names.size(); ++i)
        lines << u"Language%1=%2"_s.arg(i + 1).arg(names[i]) << u"Language%1Start=0000000001"_s.arg(i + 1);
    lines += keys + QStringList{QString()} + body;
    for (int i = 0; i < names.size(); ++i) {
        qsizetype at = 1, j = 0;
        for (; j < lines.size() && lines[j].trimmed() != u'[' + names[i].left(63) + u']'; ++j)
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
        QFile file(QDir(folder()).filePath("LANGUAGE.DAT"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    void setLang(const QVariant &value) { execSql("UPDATE Acces SET Lang = ?", {value}); }
    QVariant storedLang() const { return scalar("SELECT Lang FROM Acces"); }
    // Loads and expects the program to end after one critical box ending in `what`.
    void expectFatal(const char *what = " is missing critical information.")
    {
        EXPECT_THROW(LOC_RTString(-1), ProgramTerminated);
        ASSERT_EQ(dialogs->shown().size(), 1);
        const Shown &box = dialogs->shown()[0];
        EXPECT_EQ(box.text, "Fatal Error: Language database file " +
                                QDir::toNativeSeparators(QDir(folder()).filePath("LANGUAGE.DAT")) + what);
        EXPECT_EQ(std::pair(box.style, box.title), std::pair(int(MsgStyle::Critical), QString(ProgramTitle)));
    }
};

TEST_F(Localisation, LooksUpTheStoredLanguageAndReloadsOnlyOnMinusOne)
{
    restart(languageFile({"Français", "English"}, {"NumStrings=3", "StringIndexBase=10", "StringIndexStep=2"},
                         {"[Français]", " 10=dix", " 14=quatorze", " 16=seize", QString(), "[English]",
                          " 10=ten", " 14=fourteen", " 16=sixteen"}));
    setLang(1);
    EXPECT_EQ(LOC_RTString(14), "quatorze");
    EXPECT_EQ(LOCRTSModule::StringTable.size(), 17); // subscripts 0 to 10 + 3 x 2
    EXPECT_TRUE(LOC_RTString(12).isEmpty());
    for (qint32 outside : {17, -2, std::numeric_limits<qint32>::min()})
        EXPECT_EQ(LOC_RTString(outside), "Invalid Index") << outside;
    setLang(2);
    EXPECT_EQ(LOC_RTString(16), "seize"); // still loaded in French
    EXPECT_TRUE(LOC_RTString(-1).isEmpty());
    EXPECT_EQ(LOC_RTString(16), "sixteen");
}

TEST_F(Localisation, StringLinesKeepTheirTextBetweenOneQuoteAtEachEndAndOnlyNumStringsAreRead)
{
    restart(languageFile({"Only"}, {"NumStrings=16"},
                         {"[Only]", "=no number", " 1=\"~~~\"", " 2=\"\"quoted\"\"", " 3=a=b=c",
                          " 4=", " 5=\"", " 6=tail\"", " 7=\"  blanks  ", " 8=first", " 8=second",
                          "x1 0=spaced", "711=first not read", " 12.5=even", " 13=\"~~~~\"", " 14=€ é",
                          " 9=last", " 15=beyond NumStrings"}));
    const QStringList expected{"no number", "\r\n~",      "\"quoted\"", "a=b=c", {},       {},
                               "tail",      "  blanks  ", "second",     "last",  "spaced", "first not read",
                               "even",      "\r\n\r\n",   "€ é",        {}};
    for (int number = 0; number < expected.size(); ++number)
        EXPECT_EQ(LOC_RTString(number), expected[number]) << number;
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(Localisation, SectionLineIsSearchedFromTheTopWhenStaleButMustMatchTheCutNameInCaseAndNotBeLast)
{
    // An empty line before the section makes its stored position stale.
    restart(twoLanguages().replace("\r\n[English]", "\r\n\r\n   [English]  "));
    setLang(2);
    EXPECT_EQ(LOC_RTString(2), "Two");
    EXPECT_TRUE(dialogs->shown().isEmpty());
    restart(twoLanguages().replace("[English]", "[ENGLISH]"));
    expectFatal();
    const QByteArray last =
        languageFile({"Français", "English"}, {"NumStrings=0"}, {"[Français]", "", "[English]"});
    restart(last); // read at its stored position, the last line is found
    EXPECT_TRUE(LOC_RTString(0).isEmpty());
    EXPECT_TRUE(dialogs->shown().isEmpty());
    const QByteArray stale = QByteArray(last).replace("\r\n[English]", "\r\n\r\n[English]");
    for (const QByteArray &bytes : {stale, stale.chopped(2)}) { // with or without a line end
        restart(bytes);
        expectFatal();
    }
    // Header values are cut to 63 characters; the section line is compared with the cut name.
    const QString name = QString(63, u'L') + "ongName";
    restart(languageFile({name}, {"NumStrings=1"}, {'[' + name.left(63) + ']', " 0=cut"}));
    EXPECT_EQ(LOC_RTString(0), "cut");
    restart(languageFile({name}, {"NumStrings=1"}, {'[' + name + ']', " 0=cut"}));
    expectFatal();
}

TEST_F(Localisation, LineWithoutEqualsSignEndsTheProgramOnlyUnderPlainNumbering)
{
    const char *numberings[] = {"", "StringIndexBase=0\r\nStringIndexStep=1", "StringIndexStep=2",
                                "StringIndexBase=5"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(numberings[i]);
        restart(languageFile({"Only"}, {"NumStrings=3", numberings[i]},
                             {"[Only]", " 0=zero", " no sign", " 2=two", " 3=three"}));
        if (i < 2) { // base 0 and step 1, written out or not
            expectFatal();
        } else { // skipped, but counted as one of the three lines read
            EXPECT_EQ(QStringList({LOC_RTString(2), LOC_RTString(3)}), QStringList({"two", ""}));
            EXPECT_TRUE(dialogs->shown().isEmpty());
        }
    }
}

TEST_F(Localisation, CommandLineStoredNumberOrChooserSettleTheLanguageAndOneLanguageIsAlwaysUsed)
{
    restart(languageFile({"English", "Eng"}, {"NumStrings=1"},
                         {"[English]", " 0=long", QString(), "[Eng]", " 0=short"}));
    LOCRTSModule::setCommandLine("-x /l=ENGLISH -y"); // matches both names: the latest wins
    EXPECT_EQ(LOC_RTString(0), "short");
    EXPECT_TRUE(storedLang().isNull());
    setLang(1); // a stored number overrides the switch
    LOC_RTString(-1);
    EXPECT_EQ(LOC_RTString(0), "long");
    restart(languageFile({"Only"}, {"NumStrings=1"}, {"[Only]", " 0=single"}));
    setLang(2);
    EXPECT_EQ(LOC_RTString(0), "single");
    EXPECT_EQ(ProgramState::CurrentLang, 1);
    EXPECT_EQ(storedLang(), QVariant(2)); // only the chooser writes it
    EXPECT_TRUE(dialogs->shown().isEmpty());
    // Two languages and nothing stored: the chooser asks and its choice is stored.
    for (const QVariant &stored : {QVariant(), QVariant(0)}) {
        SCOPED_TRACE(stored.toString().toStdString());
        restart(twoLanguages());
        LOCRTSModule::setCommandLine(stored.isNull() ? "" : "/L=English"); // a stored 0 asks all the same
        setLang(stored);
        ProgramState::CurrentLang = 0;
        dialogs->then(Answer::choose(0));
        EXPECT_EQ(LOC_RTString(0), "Zéro");
        ASSERT_EQ(dialogs->shown().size(), 1);
        EXPECT_EQ(dialogs->shown()[0].items, (QStringList{"Français", "English"}));
        EXPECT_EQ(storedLang(), QVariant(1));
    }
}

TEST_F(Localisation, MissingFileOrRequiredHeaderKeysEndTheProgram)
{
    QFile::remove(QDir(folder()).filePath("LANGUAGE.DAT"));
    expectFatal(" not found.");
    setLang(2);
    const std::pair<const char *, const char *> changes[] = {{"NumLanguages=2", "NumLanguages=???"},
                                                             {"NumLanguages=2", "NumLanguages=3"},
                                                             {"Language1Start=", "Language1Start"},
                                                             {"NumStrings=3", "NumString=3"}};
    for (const auto &[from, to] : changes) {
        SCOPED_TRACE(to);
        restart(twoLanguages().replace(from, to));
        expectFatal();
    }
}

TEST_F(Localisation, OtherLoadErrorsOfferAbortRetryAndIgnore)
{
    restart(languageFile({"Only"}, {"NumStrings=3"}, {"[Only]", " 0=zero", " 7=outside", " 2=two"}));
    dialogs->then(Answer::retry()).then(Answer::ignore()); // Retry runs the step again, Ignore goes on
    EXPECT_EQ(LOC_RTString(2), "two");
    const QString box = "Subscript out of range: string number 7 is not between 0 and 3(Code 9)";
    EXPECT_EQ(dialogs->messages(), (QStringList{box, box}));
    EXPECT_EQ(std::pair(dialogs->shown()[0].style, dialogs->shown()[0].title),
              std::pair(int(MsgStyle::AbortRetryIgnore | MsgStyle::Exclamation), QString("LOC_RTString()")));
    dialogs->clear();
    dialogs->then(Answer::abort());
    EXPECT_THROW(LOC_RTString(-1), ProgramTerminated);
    EXPECT_EQ(dialogs->messages(), QStringList{box});
    // A settings row that cannot be read or written is reported, not passed over.
    restart(twoLanguages());
    execSql("DELETE FROM Acces");
    ProgramState::CurrentLang = 0;
    dialogs->then(Answer::ignore()).then(Answer::choose(1)).then(Answer::ignore());
    EXPECT_EQ(LOC_RTString(1), "One");
    const QString noRow = "the table Acces holds no row(Code 3021)";
    EXPECT_EQ(dialogs->messages(), (QStringList{"The settings row cannot be read: " + noRow,
                                                "The language choice cannot be stored: " + noRow}));
}

// A stored language that the file does not offer: one box, then the chooser, whose choice replaces it.
TEST_F(Localisation, StoredLanguageOutsideTheFileIsToldOnceThenTheChooserAsks)
{
    for (const QVariant &stored : {QVariant(5), QVariant(-3)}) {
        SCOPED_TRACE(stored.toString().toStdString());
        restart(twoLanguages());
        setLang(stored);
        dialogs->then(Answer::retry()).then(Answer::ignore()).then(Answer::choose(1));
        EXPECT_EQ(LOC_RTString(1), "One");
        const QString box =
            "Subscript out of range: language " + stored.toString() + " is not between 1 and 2(Code 9)";
        EXPECT_EQ(dialogs->messages(), (QStringList{box, box})) << "Retry shows it again";
        ASSERT_EQ(dialogs->shown().size(), 3);
        EXPECT_EQ(dialogs->shown()[2].items, (QStringList{"Français", "English"}));
        EXPECT_EQ(storedLang(), QVariant(2));
        restart(twoLanguages()); // the next start asks nothing
        EXPECT_EQ(LOC_RTString(2), "Two");
        EXPECT_TRUE(dialogs->shown().isEmpty());
    }
}

// A header asking for a table far too large: one box, and Ignore ends the load there (no box per line).
TEST_F(Localisation, TableTooLargeIsOneBoxWhateverTheLinesThatFollow)
{
    QStringList body{"[Only]"};
    for (int i = 0; i < 400; ++i)
        body << u" %1=text %1"_s.arg(i);
    restart(languageFile({"Only"}, {"NumStrings=2000000000"}, body));
    dialogs->then(Answer::ignore());
    EXPECT_EQ(LOC_RTString(3), "Invalid Index");
    EXPECT_EQ(dialogs->messages(),
              QStringList{"Out of memory: a table of 2000000001 strings is too large(Code 7)"});
}

// A file of several megabytes is refused before it is read: the box of a file that cannot be read.
TEST_F(Localisation, OversizedFileIsRefusedAsUnreadable)
{
    const QByteArray valid = twoLanguages();
    restart(valid + QByteArray(int(5 * 1024 * 1024), ' ') + "\r\n");
    setLang(2);
    dialogs->then(Answer::retry()).then(Answer::ignore());
    EXPECT_THROW(LOC_RTString(1), ProgramTerminated) << "ignored, the file reads as one without a header";
    const QString path = QDir::toNativeSeparators(QDir(folder()).filePath("LANGUAGE.DAT"));
    const QString box = "The language file " + path + " cannot be read: it holds " +
                        QString::number(valid.size() + 5 * 1024 * 1024 + 2) +
                        " bytes, more than the 4194304 bytes a language file may hold(Code 75)";
    EXPECT_EQ(dialogs->messages(), (QStringList{box, box,
                                                "Fatal Error: Language database file " + path +
                                                    " is missing critical information."}));
    EXPECT_EQ(dialogs->shown().value(0).style, int(MsgStyle::AbortRetryIgnore | MsgStyle::Exclamation));
    restart(valid + QByteArray(int(3 * 1024 * 1024), ' ') + "\r\n"); // large, but still a language file
    EXPECT_EQ(LOC_RTString(1), "One");
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

} // namespace
