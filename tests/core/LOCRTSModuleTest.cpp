#include "localisation/LOCRTSModule.h"
#include "common/ProgramState.h"
#include "common/Windows1252.h"
#include "localisation/LanguageFileWriter.h"
#include "support/ProgramFixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

const QString kAri = u"LOC_RTString()"_s;
constexpr int kAriStyle = MsgStyle::AbortRetryIgnore | MsgStyle::Exclamation;

// Looks a number up the way every caller does.
QString text(qint32 number)
{
    return LOC_RTString(number);
}

// Lines joined with CR LF, in Windows-1252. A value "<<Name>>" becomes the
// byte position (1-based) of the line "[Name]" (blanks around it allowed);
// 1, a stale position, when there is none.
QByteArray languageFile(const QStringList &lines)
{
    static const QRegularExpression placeholder(u"<<([^>]*)>>"_s);
    const QString templ = lines.join(u"\r\n"_s) + u"\r\n"_s;
    QHash<QString, qsizetype> positions;
    // The positions depend on the length of the numbers written before them:
    // write them until they no longer change.
    for (;;) {
        QString out;
        qsizetype last = 0;
        auto it = placeholder.globalMatch(templ);
        while (it.hasNext()) {
            const auto m = it.next();
            out += templ.mid(last, m.capturedStart() - last);
            out += QString::number(positions.value(m.captured(1), 0));
            last = m.capturedEnd();
        }
        out += templ.mid(last);
        QHash<QString, qsizetype> found;
        it = placeholder.globalMatch(templ);
        while (it.hasNext()) {
            const QString name = it.next().captured(1);
            qsizetype lineStart = 0;
            qsizetype at = -1;
            while (lineStart < out.size()) {
                qsizetype end = out.indexOf(u"\r\n"_s, lineStart);
                if (end < 0)
                    end = out.size();
                if (out.mid(lineStart, end - lineStart).trimmed() ==
                    QLatin1Char('[') + name + QLatin1Char(']')) {
                    at = lineStart;
                    break;
                }
                lineStart = end + 2;
            }
            found.insert(name, at < 0 ? 1 : at + 1);
        }
        if (found == positions)
            return Windows1252::encode(out);
        positions = found;
    }
}

// A header for the languages named, with the other keys given as lines.
QStringList header(const QStringList &names, const QStringList &keys)
{
    QStringList lines{u"[LOC]"_s, u"NumLanguages=%1"_s.arg(names.size())};
    for (int i = 0; i < names.size(); ++i) {
        lines << u"Language%1=%2"_s.arg(i + 1).arg(names[i]);
        lines << u"Language%1Start=<<%2>>"_s.arg(i + 1).arg(names[i]);
    }
    return lines + keys + QStringList{QString()};
}

// French and English, three strings numbered 0, 1 and 2.
QStringList twoLanguages()
{
    return header({u"Français"_s, u"English"_s}, {u"NumStrings=3"_s}) +
           QStringList{u"[Français]"_s, u" 0=\"Zéro\""_s, u" 1=\"Un\""_s,  u" 2=\"Deux\""_s, QString(),
                       u"[English]"_s,  u" 0=\"Zero\""_s, u" 1=\"One\""_s, u" 2=\"Two\""_s,  QString()};
}

// One language "Only" with the header keys and string lines given.
QStringList oneLanguage(const QStringList &keys, const QStringList &strings, bool lastLineEnd = true)
{
    return header({u"Only"_s}, keys) + QStringList{u"[Only]"_s} + strings +
           (lastLineEnd ? QStringList{QString()} : QStringList{});
}

class Localisation : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        LOCRTSModule::setCommandLine(QString(""));
    }

    void writeFile(const QByteArray &bytes)
    {
        QFile file(QDir(folder()).filePath(u"LANGUAGE.DAT"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    void writeFile(const QStringList &lines) { writeFile(languageFile(lines)); }
    // Starts over as a fresh program would, with a new file.
    void restart(const QStringList &lines)
    {
        LOCRTSModule::reset();
        dialogs->clear();
        writeFile(lines);
    }

    void setLang(const QVariant &value) { execSql(u"UPDATE Acces SET Lang = ?"_s, {value}); }
    QVariant storedLang() const { return scalar(u"SELECT Lang FROM Acces"_s); }

    QString filePath() const { return QDir::toNativeSeparators(QDir(folder()).filePath("LANGUAGE.DAT")); }
    QString missingInformation() const
    {
        return u"Fatal Error: Language database file "_s + filePath() +
               u" is missing critical information."_s;
    }

    // Loads and expects the program to end with the fatal box text.
    void expectFatal(const QString &message)
    {
        EXPECT_THROW(LOC_RTString(-1), ProgramTerminated);
        ASSERT_FALSE(dialogs->shown().isEmpty());
        const Shown &last = dialogs->shown().last();
        EXPECT_EQ(last.text.toStdString(), message.toStdString());
        EXPECT_EQ(last.style, MsgStyle::Critical);
        EXPECT_EQ(last.title, QString::fromLatin1(ProgramTitle));
    }

    // The Abort, Retry and Ignore boxes shown so far, as their texts.
    QStringList loadErrors() const
    {
        QStringList texts;
        for (const Shown &s : dialogs->shown()) {
            if (s.kind == Shown::Message) {
                EXPECT_EQ(s.style, kAriStyle) << s.text.toStdString();
                EXPECT_EQ(s.title, kAri);
                texts << s.text;
            }
        }
        return texts;
    }

    int choosersShown() const
    {
        int n = 0;
        for (const Shown &s : dialogs->shown())
            n += s.kind == Shown::Language ? 1 : 0;
        return n;
    }
};

TEST_F(Localisation, LooksUpTheStoredLanguageAndAnswersOutsideTheTableWithInvalidIndex)
{
    writeFile(header({u"Français"_s, u"English"_s},
                     {u"NumStrings=3"_s, u"StringIndexBase=10"_s, u"StringIndexStep=2"_s}) +
              QStringList{u"[Français]"_s, u" 10=dix"_s, u" 14=quatorze"_s, u" 16=seize"_s, QString(),
                          u"[English]"_s, u" 10=ten"_s, u" 14=fourteen"_s, u" 16=sixteen"_s, QString()});
    setLang(2);
    EXPECT_EQ(LOCRTSModule::FileNum, 0);
    EXPECT_EQ(text(14), u"fourteen"_s);
    EXPECT_NE(LOCRTSModule::FileNum, 0);
    EXPECT_EQ(ProgramState::CurrentLang, 2);
    // Subscripts 0 to 10 + 3 x 2.
    EXPECT_EQ(LOCRTSModule::StringTable.size(), 17);
    EXPECT_EQ(text(16), u"sixteen"_s);
    EXPECT_TRUE(text(12).isEmpty());
    EXPECT_TRUE(text(0).isEmpty());
    for (qint32 outside : {17, -2, std::numeric_limits<qint32>::min()})
        EXPECT_EQ(text(outside), u"Invalid Index"_s) << outside;
    EXPECT_TRUE(dialogs->shown().isEmpty());
    EXPECT_EQ(storedLang(), QVariant(2));
}

TEST_F(Localisation, ReloadsOnlyOnMinusOneAndThenFollowsTheStoredLanguageOrKeepsTheOneInForce)
{
    writeFile(twoLanguages());
    setLang(1);
    EXPECT_EQ(text(1), u"Un"_s);
    setLang(2);
    // The table stays loaded until it is asked to reload.
    EXPECT_EQ(text(1), u"Un"_s);
    EXPECT_TRUE(LOC_RTString(-1).isEmpty());
    EXPECT_EQ(text(1), u"One"_s);
    EXPECT_EQ(ProgramState::CurrentLang, 2);
    EXPECT_TRUE(dialogs->shown().isEmpty());

    // Chosen once; the file changes under the program and the stored choice decides again.
    restart(twoLanguages());
    setLang(QVariant());
    ProgramState::CurrentLang = 0;
    dialogs->then(Answer::choose(1));
    EXPECT_EQ(text(0), u"Zero"_s);
    writeFile(QStringList(twoLanguages()).replaceInStrings(u"Zero"_s, u"Nought"_s));
    LOC_RTString(-1);
    EXPECT_EQ(text(0), u"Nought"_s);
    EXPECT_EQ(choosersShown(), 1);
    // Without a database the language in force is kept.
    ProgramState::ConnString.clear();
    LOC_RTString(-1);
    EXPECT_EQ(text(0), u"Nought"_s);
    EXPECT_EQ(choosersShown(), 1);
}

TEST_F(Localisation, StringLinesKeepTheirTextBetweenOneQuoteAtEachEndAndOnlyNumStringsAreRead)
{
    writeFile(
        oneLanguage({u"NumStrings=15"_s},
                    {u"=no number at all"_s, u" 1=\"~~~\""_s, u" 2=\"\"quoted\"\""_s, u" 3=a=b=c"_s, u" 4="_s,
                     u" 5=\""_s, u" 6=\"\""_s, u" 7=tail\""_s, u" 8=\"  blanks kept  "_s, u" 9=first"_s,
                     u" 9=second"_s, u"x1 0=spaced number"_s, u"711=first character not read"_s,
                     u" 12.5=halves to even"_s, u" 13=\"~~~~\""_s, u" 14=beyond NumStrings"_s}));
    const QList<QPair<int, QString>> expected = {
        {0, u"no number at all"_s},
        {1, u"\r\n~"_s},
        {2, u"\"quoted\""_s},
        {3, u"a=b=c"_s},
        {4, QString()},
        {5, QString()},
        {6, QString()},
        {7, u"tail"_s},
        {8, u"  blanks kept  "_s},
        {9, u"second"_s},
        {10, u"spaced number"_s},
        {11, u"first character not read"_s},
        {12, u"halves to even"_s},
        {13, u"\r\n\r\n"_s},
        {14, QString()}, // the 16th line is not read
    };
    for (const auto &[number, value] : expected)
        EXPECT_EQ(text(number), value) << number;
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(Localisation, DecodesTheFileFromWindows1252)
{
    QByteArray bytes = languageFile(oneLanguage({u"NumStrings=1"_s}, {u" 0=XX"_s}));
    bytes.replace("XX", QByteArray("\x80 \xe9\x9c\x81", 5));
    writeFile(bytes);
    EXPECT_EQ(text(0), QString::fromUtf8("€ éœ\u0081"));
}

TEST_F(Localisation, SectionLineIsFoundFromTheTopWithBlanksAroundItButMustMatchInCase)
{
    QStringList lines = twoLanguages();
    // A stale position: the search starts from the top.
    lines.replaceInStrings(u"Language2Start=<<English>>"_s, u"Language2Start=5"_s);
    writeFile(lines);
    setLang(2);
    EXPECT_EQ(text(2), u"Two"_s);

    lines = twoLanguages().replaceInStrings(u"[English]"_s, u"   [English]  "_s);
    restart(lines);
    EXPECT_EQ(text(1), u"One"_s);
    EXPECT_TRUE(dialogs->shown().isEmpty());

    writeFile(lines.replaceInStrings(u"   [English]  "_s, u"[ENGLISH]"_s));
    expectFatal(missingInformation());
}

TEST_F(Localisation, SectionFoundOnlyAsTheFilesLastLineIsMissing)
{
    const QStringList lines = header({u"Français"_s, u"English"_s}, {u"NumStrings=0"_s}) +
                              QStringList{u"[Français]"_s, QString(), u"[English]"_s};
    writeFile(lines);
    setLang(2);
    // At its stored position the section line is read directly; no string line follows it.
    EXPECT_TRUE(text(0).isEmpty());
    EXPECT_TRUE(dialogs->shown().isEmpty());

    // With a stale position the search meets the section on the last line,
    // with or without a line end after it.
    LOCRTSModule::reset();
    QByteArray bytes = languageFile(QStringList(lines).replaceInStrings(u"<<English>>"_s, u"1"_s));
    writeFile(bytes);
    expectFatal(missingInformation());
    LOCRTSModule::reset();
    bytes.chop(2);
    writeFile(bytes);
    expectFatal(missingInformation());
}

TEST_F(Localisation, LineWithoutEqualsSignEndsTheProgramOnlyUnderPlainNumbering)
{
    const struct {
        QStringList numbering;
        bool fatal;
    } cases[] = {
        {{}, true},
        // Base 0 and step 1 written out are the same numbering.
        {{u"StringIndexBase=0"_s, u"StringIndexStep=1"_s}, true},
        {{u"StringIndexStep=2"_s}, false},
        {{u"StringIndexBase=5"_s}, false},
        {{u"StringIndexBase=0"_s, u"StringIndexStep=3"_s}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.numbering.join(' ').toStdString());
        restart(oneLanguage(QStringList{u"NumStrings=3"_s} + c.numbering,
                            {u" 0=zero"_s, u" no sign"_s, u" 2=two"_s, u" 3=three"_s}));
        if (c.fatal) {
            expectFatal(missingInformation());
            continue;
        }
        EXPECT_EQ(text(0), u"zero"_s);
        EXPECT_EQ(text(2), u"two"_s);
        // Skipped, but the line without "=" was the second of the three lines read.
        EXPECT_TRUE(text(3).isEmpty());
        EXPECT_TRUE(dialogs->shown().isEmpty());
    }
}

TEST_F(Localisation, CommandLineSwitchChoosesTheLanguageWhenNothingIsStored)
{
    writeFile(twoLanguages());
    LOCRTSModule::setCommandLine(u"-x /l=ENGLISH -y"_s);
    EXPECT_EQ(text(1), u"One"_s);
    EXPECT_EQ(choosersShown(), 0);
    // The switch is not stored.
    EXPECT_TRUE(storedLang().isNull());

    // A stored number overrides the command line.
    setLang(1);
    LOC_RTString(-1);
    EXPECT_EQ(text(1), u"Un"_s);
    EXPECT_EQ(storedLang(), QVariant(1));
    EXPECT_TRUE(dialogs->shown().isEmpty());

    // A stored zero opens the chooser despite the switch.
    setLang(0);
    dialogs->then(Answer::choose(0));
    LOC_RTString(-1);
    EXPECT_EQ(text(1), u"Un"_s);
    EXPECT_EQ(choosersShown(), 1);
    EXPECT_EQ(storedLang(), QVariant(1));
}

TEST_F(Localisation, CommandLineMatchingSeveralNamesTakesTheLatestInTheFile)
{
    writeFile(
        header({u"English"_s, u"Eng"_s}, {u"NumStrings=1"_s}) +
        QStringList{u"[English]"_s, u" 0=long name"_s, QString(), u"[Eng]"_s, u" 0=short name"_s, QString()});
    // "/L=Eng" matches "Eng" only; "/L=English" matches both names.
    LOCRTSModule::setCommandLine(u"/L=English"_s);
    EXPECT_EQ(text(0), u"short name"_s);
    ProgramState::CurrentLang = 0;
    LOCRTSModule::setCommandLine(u"/L=Engl"_s);
    LOC_RTString(-1);
    EXPECT_EQ(text(0), u"short name"_s);
    EXPECT_EQ(ProgramState::CurrentLang, 2);
}

TEST_F(Localisation, OneLanguageNeverAsksAndAlwaysUsesLanguageOne)
{
    writeFile(oneLanguage({u"NumStrings=1"_s}, {u" 0=single"_s}));
    setLang(2);
    LOCRTSModule::setCommandLine(u"/L=Other"_s);
    EXPECT_EQ(text(0), u"single"_s);
    EXPECT_EQ(ProgramState::CurrentLang, 1);
    EXPECT_TRUE(dialogs->shown().isEmpty());
    // Only the chooser writes the stored number.
    EXPECT_EQ(storedLang(), QVariant(2));
}

TEST_F(Localisation, TwoLanguagesWithNothingStoredAskAndStoreTheChoice)
{
    writeFile(twoLanguages());
    dialogs->setBusyCursor(true);
    dialogs->then(Answer::choose(1));
    EXPECT_EQ(text(2), u"Two"_s);
    ASSERT_EQ(choosersShown(), 1);
    EXPECT_EQ(dialogs->shown().first().items, (QStringList{u"Français"_s, u"English"_s}));
    EXPECT_EQ(storedLang(), QVariant(2));
    EXPECT_EQ(ProgramState::CurrentLang, 2);
    // The pointer: normal for the chooser, busy while loading, then as it was.
    EXPECT_EQ(dialogs->busyHistory(), (QList<bool>{true, false, true, true}));
    EXPECT_TRUE(dialogs->busyCursor());
}

TEST_F(Localisation, StoredTextNumbersAreTakenAndOtherTextsAreATypeMismatch)
{
    writeFile(twoLanguages());
    setLang(u"2"_s);
    EXPECT_EQ(text(1), u"One"_s);
    setLang(u""_s);
    ASSERT_EQ(scalar(u"SELECT typeof(Lang) FROM Acces"_s).toString(), u"text"_s);
    // An empty text counts as nothing stored.
    dialogs->then(Answer::choose(0));
    LOC_RTString(-1);
    EXPECT_EQ(choosersShown(), 0); // the language in force stays
    EXPECT_EQ(text(1), u"One"_s);

    setLang(u"two"_s);
    dialogs->clear();
    dialogs->then(Answer::ignore());
    LOC_RTString(-1);
    EXPECT_EQ(loadErrors(),
              QStringList{u"Type mismatch: the stored language \"two\" is not a number(Code 13)"_s});
    EXPECT_EQ(text(1), u"One"_s);
}

TEST_F(Localisation, HeaderValuesAreCutTo63CharactersAndTheSectionLineIsComparedWithTheCutName)
{
    const QString longName = QString(63, QLatin1Char('L')) + u"ongName"_s;
    const QString cut = longName.left(63);
    QStringList lines{u"[LOC]"_s,
                      u"NumLanguages=1"_s,
                      u"Language1="_s + longName,
                      u"Language1Start=<<"_s + cut + u">>"_s,
                      u"NumStrings=1"_s,
                      QString(),
                      u"["_s + cut + u"]"_s,
                      u" 0=cut name"_s,
                      QString()};
    writeFile(lines);
    EXPECT_EQ(text(0), u"cut name"_s);

    lines[6] = u"["_s + longName + u"]"_s;
    restart(lines);
    expectFatal(missingInformation());
}

TEST_F(Localisation, AsManyLanguagesAsA16BitNumberHolds)
{
    // 32767 languages, all pointing at the one section of the last.
    QStringList lines{u"[LOC]"_s, u"NumLanguages=32767"_s};
    for (int i = 1; i <= 32767; ++i)
        lines << u"Language%1=L%1"_s.arg(i) << u"Language%1Start=1"_s.arg(i);
    lines << u"NumStrings=1"_s << QString() << u"[L32767]"_s << u" 0=last"_s << QString();
    writeFile(lines);
    setLang(32767);
    EXPECT_EQ(text(0), u"last"_s);
    EXPECT_EQ(ProgramState::CurrentLang, 32767);
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(Localisation, MissingFileOrRequiredHeaderKeysEndTheProgram)
{
    QFile::remove(QDir(folder()).filePath(u"LANGUAGE.DAT"_s));
    expectFatal(u"Fatal Error: Language database file "_s + filePath() + u" not found."_s);
    EXPECT_EQ(dialogs->shown().size(), 1);

    const QList<QPair<QString, QString>> changes = {
        {u"NumLanguages=2"_s, u"Languages=2"_s},
        {u"NumLanguages=2"_s, u"NumLanguages=???"_s},
        {u"NumLanguages=2"_s, u"NumLanguages=0"_s},
        {u"NumLanguages=2"_s, u"NumLanguages=-1"_s},
        {u"NumLanguages=2"_s, u"NumLanguages=3"_s},
        {u"Language2=English"_s, u"Language02=English"_s},
        {u"Language1Start=<<Français>>"_s, u"Language1Start"_s},
        {u"NumStrings=3"_s, u"NumString=3"_s},
        {u"[LOC]"_s, u"[LOCALE]"_s},
    };
    setLang(2);
    for (const auto &change : changes) {
        SCOPED_TRACE(change.second.toStdString());
        restart(QStringList(twoLanguages()).replaceInStrings(change.first, change.second));
        expectFatal(missingInformation());
        EXPECT_EQ(dialogs->shown().size(), 1);
    }
}

TEST_F(Localisation, OtherLoadErrorsOfferAbortRetryAndIgnore)
{
    writeFile(oneLanguage({u"NumStrings=3"_s}, {u" 0=zero"_s, u" 7=outside"_s, u" 2=two"_s}));
    // Retry runs the failed step again; Ignore goes on with the next line.
    dialogs->then(Answer::retry()).then(Answer::ignore());
    EXPECT_EQ(text(2), u"two"_s);
    const QString box = u"Subscript out of range: string number 7 is not between 0 and 3(Code 9)"_s;
    EXPECT_EQ(loadErrors(), (QStringList{box, box}));
    EXPECT_EQ(text(0), u"zero"_s);

    dialogs->clear();
    dialogs->then(Answer::abort());
    EXPECT_THROW(LOC_RTString(-1), ProgramTerminated);
    EXPECT_EQ(loadErrors(), QStringList{box});

    // A string number that overflows spoils that line only.
    restart(oneLanguage({u"NumStrings=2"_s}, {u" 99999999999=huge"_s, u" 1=one"_s}));
    dialogs->then(Answer::ignore());
    LOC_RTString(-1);
    EXPECT_EQ(text(1), u"one"_s);
    EXPECT_EQ(loadErrors(),
              QStringList{u"Overflow: the string number 99999999999 is out of range(Code 6)"_s});

    // A file ending before all its lines are read gives one box per try.
    restart(oneLanguage({u"NumStrings=1000"_s, u"StringIndexStep=0"_s}, {u" 0=zero"_s}, false));
    dialogs->then(Answer::retry()).then(Answer::ignore());
    LOC_RTString(-1);
    EXPECT_EQ(text(0), u"zero"_s);
    const QString ended =
        u"Input past end of file: the file ends after 1 of its 1000 string lines(Code 62)"_s;
    EXPECT_EQ(loadErrors(), (QStringList{ended, ended}));
}

TEST_F(Localisation, OverflowAndOversizedTablesAreLoadErrors)
{
    const struct {
        QStringList keys;
        QString box;
        qsizetype tableSize; // after Ignore
    } cases[] = {
        {{u"NumStrings=3e9"_s}, u"Overflow: NumStrings is out of range(Code 6)"_s, 1},
        {{u"NumStrings=3"_s, u"StringIndexBase=-1e10"_s},
         u"Overflow: StringIndexBase is out of range(Code 6)"_s,
         4},
        {{u"NumStrings=2000000000"_s, u"StringIndexStep=2"_s},
         u"Overflow: the last string number is out of range(Code 6)"_s,
         0},
        {{u"NumStrings=3"_s, u"StringIndexBase=-10"_s},
         u"Subscript out of range: the last string number -7 is below 0(Code 9)"_s,
         0},
        {{u"NumStrings=2000000"_s}, u"Out of memory: a table of 2000001 strings is too large(Code 7)"_s, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keys.join(' ').toStdString());
        restart(oneLanguage(c.keys, {u" 0=zero"_s, u" 1=one"_s, u" 2=two"_s}, false));
        // Every later error of the same file is ignored too.
        for (int i = 0; i < 10; ++i)
            dialogs->then(Answer::ignore());
        LOC_RTString(-1);
        const QStringList errors = loadErrors();
        ASSERT_FALSE(errors.isEmpty());
        EXPECT_EQ(errors.first(), c.box);
        EXPECT_EQ(LOCRTSModule::StringTable.size(), c.tableSize);
    }
}

TEST_F(Localisation, BadSectionPositionsAreLoadErrorsAndIgnoreSearchesFromTheTop)
{
    const QString badRecord = u"Bad record number: section [English] cannot start at byte %1(Code 63)"_s;
    const QPair<QString, QString> cases[] = {
        {u"0"_s, badRecord.arg(0)},
        {u"-5"_s, badRecord.arg(-5)},
        {u"999999"_s, u"Input past end of file: section [English] would start at byte "
                      "999999, after the end of the file(Code 62)"_s},
        {u"1e12"_s, u"Overflow: the position of section [English] is out of range(Code 6)"_s},
    };
    setLang(2);
    for (const auto &[start, box] : cases) {
        SCOPED_TRACE(start.toStdString());
        restart(QStringList(twoLanguages())
                    .replaceInStrings(u"Language2Start=<<English>>"_s, u"Language2Start="_s + start));
        dialogs->then(Answer::ignore());
        EXPECT_EQ(text(0), u"Zero"_s);
        EXPECT_EQ(loadErrors(), QStringList{box});
    }
}

TEST_F(Localisation, StoredLanguageOutsideTheFileIsALoadError)
{
    writeFile(twoLanguages());
    setLang(5);
    dialogs->then(Answer::ignore());
    // No section to read: the table is made but stays empty.
    EXPECT_TRUE(text(1).isEmpty());
    EXPECT_EQ(loadErrors(),
              QStringList{u"Subscript out of range: language 5 is not between 1 and 2(Code 9)"_s});
    dialogs->clear();
    setLang(70000);
    dialogs->then(Answer::ignore()).then(Answer::ignore());
    LOC_RTString(-1);
    ASSERT_FALSE(loadErrors().isEmpty());
    EXPECT_EQ(loadErrors().first(), u"Overflow: the stored language number 70000 is out of range(Code 6)"_s);
}

TEST_F(Localisation, ChoiceThatCannotBeStoredIsALoadError)
{
    writeFile(twoLanguages());
    ProgramState::ConnString.clear();
    dialogs->then(Answer::choose(1)).then(Answer::ignore());
    EXPECT_EQ(text(1), u"One"_s);
    EXPECT_EQ(loadErrors(), QStringList{u"The language choice cannot be stored: no database is "
                                        "connected(Code-2147467259)"_s});

    // A settings table without its row.
    LOCRTSModule::reset();
    ProgramState::CurrentLang = 0;
    ProgramState::ConnString = buildConnString(databasePath());
    execSql(u"DELETE FROM Acces"_s);
    dialogs->clear();
    dialogs->then(Answer::ignore()).then(Answer::choose(0)).then(Answer::ignore());
    EXPECT_EQ(text(1), u"Un"_s);
    const QString noRow = u"the table Acces holds no row(Code 3021)"_s;
    EXPECT_EQ(loadErrors(), (QStringList{u"The settings row cannot be read: "_s + noRow,
                                         u"The language choice cannot be stored: "_s + noRow}));
}

TEST_F(Localisation, LoadsTheBuiltLanguageFileInBothLanguages)
{
    // The fixture's folder holds the language file of the build.
    LanguageFileWriter tables;
    for (const QString &file : LanguageFileWriter::tableFiles(QStringLiteral(TARNVIK_SOURCE_DIR) +
                                                              u"/resources/language/strings.tsv"_s))
        ASSERT_TRUE(tables.addFile(file)) << tables.error().toStdString();
    ASSERT_FALSE(tables.texts().empty());
    for (int lang = 1; lang <= 2; ++lang) {
        setLang(lang);
        LOC_RTString(-1);
        for (const auto &[number, texts] : tables.texts()) {
            QString expected = lang == 1 ? texts.french : texts.english;
            expected.replace(u"~~"_s, u"\r\n"_s);
            EXPECT_EQ(text(number), expected) << number;
        }
    }
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

} // namespace
