#include "localisation/LOCRTSModule.h"
#include "common/ProgramState.h"
#include "common/Windows1252.h"
#include "localisation/LanguageFileWriter.h"
#include "support/ProgramFixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace tarnvik;
using namespace tarnvik::test;

namespace {

const QString kAri = QStringLiteral("LOC_RTString()");
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
    static const QRegularExpression placeholder(QStringLiteral("<<([^>]*)>>"));
    const QString templ = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
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
                qsizetype end = out.indexOf(QStringLiteral("\r\n"), lineStart);
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
    QStringList lines{QStringLiteral("[LOC]"), QStringLiteral("NumLanguages=%1").arg(names.size())};
    for (int i = 0; i < names.size(); ++i) {
        lines << QStringLiteral("Language%1=%2").arg(i + 1).arg(names[i]);
        lines << QStringLiteral("Language%1Start=<<%2>>").arg(i + 1).arg(names[i]);
    }
    return lines + keys + QStringList{QString()};
}

// French and English, three strings numbered 0, 1 and 2.
QStringList twoLanguages()
{
    return header({QStringLiteral("Français"), QStringLiteral("English")}, {QStringLiteral("NumStrings=3")}) +
           QStringList{QStringLiteral("[Français]"),
                       QStringLiteral(" 0=\"Zéro\""),
                       QStringLiteral(" 1=\"Un\""),
                       QStringLiteral(" 2=\"Deux\""),
                       QString(),
                       QStringLiteral("[English]"),
                       QStringLiteral(" 0=\"Zero\""),
                       QStringLiteral(" 1=\"One\""),
                       QStringLiteral(" 2=\"Two\""),
                       QString()};
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
        QFile file(QDir(folder()).filePath(QStringLiteral("LANGUAGE.DAT")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    void writeFile(const QStringList &lines) { writeFile(languageFile(lines)); }

    void setLang(const QVariant &value) { execSql(QStringLiteral("UPDATE Acces SET Lang = ?"), {value}); }
    QVariant storedLang() const { return scalar(QStringLiteral("SELECT Lang FROM Acces")); }

    QString filePath() const { return QDir::toNativeSeparators(QDir(folder()).filePath("LANGUAGE.DAT")); }
    QString missingInformation() const
    {
        return QStringLiteral("Fatal Error: Language database file ") + filePath() +
               QStringLiteral(" is missing critical information.");
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
    writeFile(header({QStringLiteral("Français"), QStringLiteral("English")},
                     {QStringLiteral("NumStrings=3"), QStringLiteral("StringIndexBase=10"),
                      QStringLiteral("StringIndexStep=2")}) +
              QStringList{QStringLiteral("[Français]"), QStringLiteral(" 10=dix"),
                          QStringLiteral(" 14=quatorze"), QStringLiteral(" 16=seize"), QString(),
                          QStringLiteral("[English]"), QStringLiteral(" 10=ten"),
                          QStringLiteral(" 14=fourteen"), QStringLiteral(" 16=sixteen"), QString()});
    setLang(2);
    EXPECT_EQ(LOCRTSModule::FileNum, 0);
    EXPECT_EQ(text(14), QStringLiteral("fourteen"));
    EXPECT_NE(LOCRTSModule::FileNum, 0);
    EXPECT_EQ(ProgramState::CurrentLang, 2);
    // Subscripts 0 to 10 + 3 x 2.
    EXPECT_EQ(LOCRTSModule::StringTable.size(), 17);
    EXPECT_EQ(text(16), QStringLiteral("sixteen"));
    EXPECT_TRUE(text(12).isEmpty());
    EXPECT_TRUE(text(0).isEmpty());
    EXPECT_EQ(text(17), QStringLiteral("Invalid Index"));
    EXPECT_EQ(text(-2), QStringLiteral("Invalid Index"));
    EXPECT_EQ(text(std::numeric_limits<qint32>::min()), QStringLiteral("Invalid Index"));
    EXPECT_TRUE(dialogs->shown().isEmpty());
    EXPECT_EQ(storedLang(), QVariant(2));
}

TEST_F(Localisation, ReloadsOnlyOnMinusOneAndThenFollowsTheStoredLanguage)
{
    writeFile(twoLanguages());
    setLang(1);
    EXPECT_EQ(text(1), QStringLiteral("Un"));
    setLang(2);
    // The table stays loaded until it is asked to reload.
    EXPECT_EQ(text(1), QStringLiteral("Un"));
    const QString reloaded = LOC_RTString(-1);
    EXPECT_TRUE(reloaded.isEmpty());
    EXPECT_EQ(text(1), QStringLiteral("One"));
    EXPECT_EQ(ProgramState::CurrentLang, 2);
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(Localisation, ReloadKeepsTheLanguageInForceWhenNothingElseSettlesIt)
{
    writeFile(twoLanguages());
    dialogs->then(Answer::choose(1));
    EXPECT_EQ(text(0), QStringLiteral("Zero"));
    // The file changes under the program; the stored choice decides again.
    writeFile(QStringList(twoLanguages()).replaceInStrings(QStringLiteral("Zero"), QStringLiteral("Nought")));
    LOC_RTString(-1);
    EXPECT_EQ(text(0), QStringLiteral("Nought"));
    EXPECT_EQ(choosersShown(), 1);
    // Without a database the language in force is kept.
    ProgramState::ConnString.clear();
    LOC_RTString(-1);
    EXPECT_EQ(text(0), QStringLiteral("Nought"));
    EXPECT_EQ(choosersShown(), 1);
}

TEST_F(Localisation, StringLinesKeepTheirTextBetweenOneQuoteAtEachEnd)
{
    writeFile(header({QStringLiteral("Only")}, {QStringLiteral("NumStrings=15")}) +
              QStringList{QStringLiteral("[Only]"), QStringLiteral("=no number at all"),
                          QStringLiteral(" 1=\"~~~\""), QStringLiteral(" 2=\"\"quoted\"\""),
                          QStringLiteral(" 3=a=b=c"), QStringLiteral(" 4="), QStringLiteral(" 5=\""),
                          QStringLiteral(" 6=\"\""), QStringLiteral(" 7=tail\""),
                          QStringLiteral(" 8=\"  blanks kept  "), QStringLiteral(" 9=first"),
                          QStringLiteral(" 9=second"), QStringLiteral("x1 0=spaced number"),
                          QStringLiteral("711=first character not read"),
                          QStringLiteral(" 12.5=halves to even"), QStringLiteral(" 13=\"~~~~\""), QString()});
    EXPECT_EQ(text(0), QStringLiteral("no number at all"));
    EXPECT_EQ(text(13), QStringLiteral("\r\n\r\n"));
    EXPECT_EQ(text(1), QStringLiteral("\r\n~"));
    EXPECT_EQ(text(2), QStringLiteral("\"quoted\""));
    EXPECT_EQ(text(3), QStringLiteral("a=b=c"));
    EXPECT_TRUE(text(4).isEmpty());
    EXPECT_TRUE(text(5).isEmpty());
    EXPECT_TRUE(text(6).isEmpty());
    EXPECT_EQ(text(7), QStringLiteral("tail"));
    EXPECT_EQ(text(8), QStringLiteral("  blanks kept  "));
    EXPECT_EQ(text(9), QStringLiteral("second"));
    EXPECT_EQ(text(10), QStringLiteral("spaced number"));
    EXPECT_EQ(text(11), QStringLiteral("first character not read"));
    EXPECT_EQ(text(12), QStringLiteral("halves to even"));
    EXPECT_TRUE(text(14).isEmpty());
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(Localisation, ReadsExactlyNumStringsLines)
{
    writeFile(header({QStringLiteral("Only")}, {QStringLiteral("NumStrings=2")}) +
              QStringList{QStringLiteral("[Only]"), QStringLiteral(" 0=zero"), QStringLiteral(" 1=one"),
                          QStringLiteral(" 2=two"), QString()});
    EXPECT_EQ(text(1), QStringLiteral("one"));
    // The table has room for 0 to 2, but the third line is not read.
    EXPECT_TRUE(text(2).isEmpty());
}

TEST_F(Localisation, DecodesTheFileFromWindows1252)
{
    QByteArray bytes =
        languageFile(header({QStringLiteral("Only")}, {QStringLiteral("NumStrings=1")}) +
                     QStringList{QStringLiteral("[Only]"), QStringLiteral(" 0=XX"), QString()});
    bytes.replace("XX", QByteArray("\x80 \xe9\x9c\x81", 5));
    writeFile(bytes);
    EXPECT_EQ(text(0), QString::fromUtf8("€ éœ\u0081"));
}

TEST_F(Localisation, StalePositionFindsTheSectionFromTheTop)
{
    QStringList lines = twoLanguages();
    lines.replaceInStrings(QStringLiteral("Language2Start=<<English>>"), QStringLiteral("Language2Start=5"));
    writeFile(lines);
    setLang(2);
    EXPECT_EQ(text(2), QStringLiteral("Two"));
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(Localisation, SectionLinesMayHaveBlanksAroundThemButMustMatchInCase)
{
    QStringList lines = twoLanguages();
    lines.replaceInStrings(QStringLiteral("[English]"), QStringLiteral("   [English]  "));
    writeFile(lines);
    setLang(2);
    EXPECT_EQ(text(1), QStringLiteral("One"));

    lines.replaceInStrings(QStringLiteral("   [English]  "), QStringLiteral("[ENGLISH]"));
    writeFile(lines);
    expectFatal(missingInformation());
}

TEST_F(Localisation, SectionFoundOnlyAsTheFilesLastLineIsMissing)
{
    const QStringList lines =
        header({QStringLiteral("Français"), QStringLiteral("English")}, {QStringLiteral("NumStrings=0")}) +
        QStringList{QStringLiteral("[Français]"), QString(), QStringLiteral("[English]")};
    writeFile(lines);
    setLang(2);
    // At its stored position the section line is read directly; no string line follows it.
    EXPECT_TRUE(text(0).isEmpty());
    EXPECT_TRUE(dialogs->shown().isEmpty());

    // With a stale position the search meets the section on the last line,
    // with or without a line end after it.
    LOCRTSModule::reset();
    QByteArray bytes =
        languageFile(QStringList(lines).replaceInStrings(QStringLiteral("<<English>>"), QStringLiteral("1")));
    writeFile(bytes);
    expectFatal(missingInformation());
    LOCRTSModule::reset();
    bytes.chop(2);
    writeFile(bytes);
    expectFatal(missingInformation());
}

TEST_F(Localisation, LineWithoutEqualsSignEndsTheProgramUnderPlainNumbering)
{
    writeFile(header({QStringLiteral("Only")}, {QStringLiteral("NumStrings=3")}) +
              QStringList{QStringLiteral("[Only]"), QStringLiteral(" 0=zero"), QStringLiteral(" no sign"),
                          QStringLiteral(" 2=two"), QString()});
    expectFatal(missingInformation());
    // Base 0 and step 1 written out are the same numbering.
    LOCRTSModule::reset();
    writeFile(
        header({QStringLiteral("Only")}, {QStringLiteral("NumStrings=3"), QStringLiteral("StringIndexBase=0"),
                                          QStringLiteral("StringIndexStep=1")}) +
        QStringList{QStringLiteral("[Only]"), QStringLiteral(" 0=zero"), QString(), QStringLiteral(" 2=two"),
                    QString()});
    expectFatal(missingInformation());
}

TEST_F(Localisation, LineWithoutEqualsSignIsSkippedButCountedUnderOtherNumberings)
{
    const QStringList numberings[] = {
        {QStringLiteral("StringIndexStep=2")},
        {QStringLiteral("StringIndexBase=5")},
        {QStringLiteral("StringIndexBase=0"), QStringLiteral("StringIndexStep=3")}};
    for (const QStringList &numbering : numberings) {
        LOCRTSModule::reset();
        writeFile(header({QStringLiteral("Only")}, QStringList{QStringLiteral("NumStrings=3")} + numbering) +
                  QStringList{QStringLiteral("[Only]"), QStringLiteral(" 0=zero"), QStringLiteral(" no sign"),
                              QStringLiteral(" 2=two"), QStringLiteral(" 3=three"), QString()});
        EXPECT_EQ(text(0), QStringLiteral("zero")) << numbering.join(' ').toStdString();
        EXPECT_EQ(text(2), QStringLiteral("two"));
        // The line without "=" was the second of the three lines read.
        EXPECT_TRUE(text(3).isEmpty());
    }
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(Localisation, CommandLineSwitchChoosesTheLanguageWhenNothingIsStored)
{
    writeFile(twoLanguages());
    LOCRTSModule::setCommandLine(QStringLiteral("-x /l=ENGLISH -y"));
    EXPECT_EQ(text(1), QStringLiteral("One"));
    EXPECT_EQ(choosersShown(), 0);
    // The switch is not stored.
    EXPECT_TRUE(storedLang().isNull());

    // A stored number overrides the command line.
    setLang(1);
    LOC_RTString(-1);
    EXPECT_EQ(text(1), QStringLiteral("Un"));
    EXPECT_EQ(storedLang(), QVariant(1));
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(Localisation, CommandLineMatchingSeveralNamesTakesTheLatestInTheFile)
{
    writeFile(header({QStringLiteral("English"), QStringLiteral("Eng")}, {QStringLiteral("NumStrings=1")}) +
              QStringList{QStringLiteral("[English]"), QStringLiteral(" 0=long name"), QString(),
                          QStringLiteral("[Eng]"), QStringLiteral(" 0=short name"), QString()});
    // "/L=Eng" matches "Eng" only; "/L=English" matches both names.
    LOCRTSModule::setCommandLine(QStringLiteral("/L=English"));
    EXPECT_EQ(text(0), QStringLiteral("short name"));
    ProgramState::CurrentLang = 0;
    LOCRTSModule::setCommandLine(QStringLiteral("/L=Engl"));
    LOC_RTString(-1);
    EXPECT_EQ(text(0), QStringLiteral("short name"));
    EXPECT_EQ(ProgramState::CurrentLang, 2);
}

TEST_F(Localisation, StoredZeroOpensTheChooserDespiteTheSwitch)
{
    writeFile(twoLanguages());
    setLang(0);
    LOCRTSModule::setCommandLine(QStringLiteral("/L=English"));
    dialogs->then(Answer::choose(0));
    EXPECT_EQ(text(1), QStringLiteral("Un"));
    EXPECT_EQ(choosersShown(), 1);
    EXPECT_EQ(storedLang(), QVariant(1));
}

TEST_F(Localisation, OneLanguageNeverAsksAndAlwaysUsesLanguageOne)
{
    writeFile(header({QStringLiteral("Only")}, {QStringLiteral("NumStrings=1")}) +
              QStringList{QStringLiteral("[Only]"), QStringLiteral(" 0=single"), QString()});
    setLang(2);
    LOCRTSModule::setCommandLine(QStringLiteral("/L=Other"));
    EXPECT_EQ(text(0), QStringLiteral("single"));
    EXPECT_EQ(ProgramState::CurrentLang, 1);
    EXPECT_EQ(choosersShown(), 0);
    EXPECT_TRUE(dialogs->shown().isEmpty());
    // Only the chooser writes the stored number.
    EXPECT_EQ(storedLang(), QVariant(2));
}

TEST_F(Localisation, TwoLanguagesWithNothingStoredAskAndStoreTheChoice)
{
    writeFile(twoLanguages());
    dialogs->setBusyCursor(true);
    dialogs->then(Answer::choose(1));
    EXPECT_EQ(text(2), QStringLiteral("Two"));
    ASSERT_EQ(choosersShown(), 1);
    EXPECT_EQ(dialogs->shown().first().items,
              (QStringList{QStringLiteral("Français"), QStringLiteral("English")}));
    EXPECT_EQ(storedLang(), QVariant(2));
    EXPECT_EQ(ProgramState::CurrentLang, 2);
    // The pointer: normal for the chooser, busy while loading, then as it was.
    EXPECT_EQ(dialogs->busyHistory(), (QList<bool>{true, false, true, true}));
    EXPECT_TRUE(dialogs->busyCursor());
}

TEST_F(Localisation, StoredTextNumbersAreTakenAndOtherTextsAreATypeMismatch)
{
    writeFile(twoLanguages());
    setLang(QStringLiteral("2"));
    EXPECT_EQ(text(1), QStringLiteral("One"));
    setLang(QStringLiteral(""));
    ASSERT_EQ(scalar(QStringLiteral("SELECT typeof(Lang) FROM Acces")).toString(), QStringLiteral("text"));
    // An empty text counts as nothing stored.
    dialogs->then(Answer::choose(0));
    LOC_RTString(-1);
    EXPECT_EQ(choosersShown(), 0); // the language in force stays
    EXPECT_EQ(text(1), QStringLiteral("One"));

    setLang(QStringLiteral("two"));
    dialogs->clear();
    dialogs->then(Answer::ignore());
    LOC_RTString(-1);
    EXPECT_EQ(loadErrors(), QStringList{QStringLiteral(
                                "Type mismatch: the stored language \"two\" is not a number(Code 13)")});
    EXPECT_EQ(text(1), QStringLiteral("One"));
}

TEST_F(Localisation, HeaderValuesAreCutTo63CharactersAndTheSectionLineIsComparedWithTheCutName)
{
    const QString longName = QString(63, QLatin1Char('L')) + QStringLiteral("ongName");
    const QString cut = longName.left(63);
    QStringList lines{QStringLiteral("[LOC]"),
                      QStringLiteral("NumLanguages=1"),
                      QStringLiteral("Language1=") + longName,
                      QStringLiteral("Language1Start=<<") + cut + QStringLiteral(">>"),
                      QStringLiteral("NumStrings=1"),
                      QString(),
                      QStringLiteral("[") + cut + QStringLiteral("]"),
                      QStringLiteral(" 0=cut name"),
                      QString()};
    writeFile(lines);
    EXPECT_EQ(text(0), QStringLiteral("cut name"));

    LOCRTSModule::reset();
    lines[6] = QStringLiteral("[") + longName + QStringLiteral("]");
    writeFile(lines);
    expectFatal(missingInformation());
}

TEST_F(Localisation, AsManyLanguagesAsA16BitNumberHolds)
{
    // 32767 languages, all pointing at the one section of the last.
    QStringList lines{QStringLiteral("[LOC]"), QStringLiteral("NumLanguages=32767")};
    for (int i = 1; i <= 32767; ++i) {
        lines << QStringLiteral("Language%1=L%1").arg(i);
        lines << QStringLiteral("Language%1Start=1").arg(i);
    }
    lines << QStringLiteral("NumStrings=1") << QString() << QStringLiteral("[L32767]")
          << QStringLiteral(" 0=last") << QString();
    writeFile(lines);
    setLang(32767);
    EXPECT_EQ(text(0), QStringLiteral("last"));
    EXPECT_EQ(ProgramState::CurrentLang, 32767);
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

TEST_F(Localisation, MissingFileEndsTheProgram)
{
    QFile::remove(QDir(folder()).filePath(QStringLiteral("LANGUAGE.DAT")));
    expectFatal(QStringLiteral("Fatal Error: Language database file ") + filePath() +
                QStringLiteral(" not found."));
    EXPECT_EQ(dialogs->shown().size(), 1);
}

TEST_F(Localisation, MissingRequiredHeaderKeysEndTheProgram)
{
    const QList<QPair<QString, QString>> changes = {
        {QStringLiteral("NumLanguages=2"), QStringLiteral("Languages=2")},
        {QStringLiteral("NumLanguages=2"), QStringLiteral("NumLanguages=???")},
        {QStringLiteral("NumLanguages=2"), QStringLiteral("NumLanguages=0")},
        {QStringLiteral("NumLanguages=2"), QStringLiteral("NumLanguages=-1")},
        {QStringLiteral("NumLanguages=2"), QStringLiteral("NumLanguages=3")},
        {QStringLiteral("Language2=English"), QStringLiteral("Language02=English")},
        {QStringLiteral("Language1Start=<<Français>>"), QStringLiteral("Language1Start")},
        {QStringLiteral("NumStrings=3"), QStringLiteral("NumString=3")},
        {QStringLiteral("[LOC]"), QStringLiteral("[LOCALE]")},
    };
    for (const auto &change : changes) {
        LOCRTSModule::reset();
        dialogs->clear();
        writeFile(QStringList(twoLanguages()).replaceInStrings(change.first, change.second));
        setLang(2);
        SCOPED_TRACE(change.second.toStdString());
        expectFatal(missingInformation());
        EXPECT_EQ(dialogs->shown().size(), 1);
    }
}

TEST_F(Localisation, OtherLoadErrorsOfferAbortRetryAndIgnore)
{
    writeFile(header({QStringLiteral("Only")}, {QStringLiteral("NumStrings=3")}) +
              QStringList{QStringLiteral("[Only]"), QStringLiteral(" 0=zero"), QStringLiteral(" 7=outside"),
                          QStringLiteral(" 2=two"), QString()});
    // Retry runs the failed step again; Ignore goes on with the next line.
    dialogs->then(Answer::retry()).then(Answer::ignore());
    EXPECT_EQ(text(2), QStringLiteral("two"));
    const QString box =
        QStringLiteral("Subscript out of range: string number 7 is not between 0 and 3(Code 9)");
    EXPECT_EQ(loadErrors(), (QStringList{box, box}));
    EXPECT_EQ(text(0), QStringLiteral("zero"));

    dialogs->clear();
    dialogs->then(Answer::abort());
    EXPECT_THROW(LOC_RTString(-1), ProgramTerminated);
    EXPECT_EQ(loadErrors(), QStringList{box});
}

TEST_F(Localisation, OverflowAndOversizedTablesAreLoadErrors)
{
    const struct {
        QStringList keys;
        QString box;
        qsizetype tableSize; // after Ignore
    } cases[] = {
        {{QStringLiteral("NumStrings=3e9")},
         QStringLiteral("Overflow: NumStrings is out of range(Code 6)"),
         1},
        {{QStringLiteral("NumStrings=3"), QStringLiteral("StringIndexBase=-1e10")},
         QStringLiteral("Overflow: StringIndexBase is out of range(Code 6)"),
         4},
        {{QStringLiteral("NumStrings=2000000000"), QStringLiteral("StringIndexStep=2")},
         QStringLiteral("Overflow: the last string number is out of range(Code 6)"),
         0},
        {{QStringLiteral("NumStrings=3"), QStringLiteral("StringIndexBase=-10")},
         QStringLiteral("Subscript out of range: the last string number -7 is below 0(Code 9)"),
         0},
        {{QStringLiteral("NumStrings=2000000")},
         QStringLiteral("Out of memory: a table of 2000001 strings is too large(Code 7)"),
         0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keys.join(' ').toStdString());
        LOCRTSModule::reset();
        dialogs->clear();
        writeFile(header({QStringLiteral("Only")}, c.keys) +
                  QStringList{QStringLiteral("[Only]"), QStringLiteral(" 0=zero"), QStringLiteral(" 1=one"),
                              QStringLiteral(" 2=two")});
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

TEST_F(Localisation, StringNumberOverflowIsALoadErrorForThatLineOnly)
{
    writeFile(header({QStringLiteral("Only")}, {QStringLiteral("NumStrings=2")}) +
              QStringList{QStringLiteral("[Only]"), QStringLiteral(" 99999999999=huge"),
                          QStringLiteral(" 1=one"), QString()});
    dialogs->then(Answer::ignore());
    EXPECT_EQ(text(1), QStringLiteral("one"));
    EXPECT_EQ(loadErrors(),
              QStringList{QStringLiteral("Overflow: the string number 99999999999 is out of range(Code 6)")});
}

TEST_F(Localisation, BadSectionPositionsAreLoadErrorsAndIgnoreSearchesFromTheTop)
{
    const struct {
        QString start;
        QString box;
    } cases[] = {
        {QStringLiteral("0"),
         QStringLiteral("Bad record number: section [English] cannot start at byte 0(Code 63)")},
        {QStringLiteral("-5"),
         QStringLiteral("Bad record number: section [English] cannot start at byte -5(Code 63)")},
        {QStringLiteral("999999"),
         QStringLiteral("Input past end of file: section [English] would start at byte "
                        "999999, after the end of the file(Code 62)")},
        {QStringLiteral("1e12"),
         QStringLiteral("Overflow: the position of section [English] is out of range(Code 6)")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.start.toStdString());
        LOCRTSModule::reset();
        dialogs->clear();
        writeFile(QStringList(twoLanguages())
                      .replaceInStrings(QStringLiteral("Language2Start=<<English>>"),
                                        QStringLiteral("Language2Start=") + c.start));
        setLang(2);
        dialogs->then(Answer::ignore());
        EXPECT_EQ(text(0), QStringLiteral("Zero"));
        EXPECT_EQ(loadErrors(), QStringList{c.box});
    }
}

TEST_F(Localisation, FileEndingBeforeAllLinesAreReadGivesOneBox)
{
    writeFile(header({QStringLiteral("Only")},
                     {QStringLiteral("NumStrings=1000"), QStringLiteral("StringIndexStep=0")}) +
              QStringList{QStringLiteral("[Only]"), QStringLiteral(" 0=zero")});
    dialogs->then(Answer::retry()).then(Answer::ignore());
    EXPECT_EQ(text(0), QStringLiteral("zero"));
    const QString box =
        QStringLiteral("Input past end of file: the file ends after 1 of its 1000 string lines(Code 62)");
    EXPECT_EQ(loadErrors(), (QStringList{box, box}));
}

TEST_F(Localisation, StoredLanguageOutsideTheFileIsALoadError)
{
    writeFile(twoLanguages());
    setLang(5);
    dialogs->then(Answer::ignore());
    // No section to read: the table is made but stays empty.
    EXPECT_TRUE(text(1).isEmpty());
    EXPECT_EQ(loadErrors(), QStringList{QStringLiteral(
                                "Subscript out of range: language 5 is not between 1 and 2(Code 9)")});
    dialogs->clear();
    setLang(70000);
    dialogs->then(Answer::ignore()).then(Answer::ignore());
    LOC_RTString(-1);
    ASSERT_FALSE(loadErrors().isEmpty());
    EXPECT_EQ(loadErrors().first(),
              QStringLiteral("Overflow: the stored language number 70000 is out of range(Code 6)"));
}

TEST_F(Localisation, ChoiceThatCannotBeStoredIsALoadError)
{
    writeFile(twoLanguages());
    ProgramState::ConnString.clear();
    dialogs->then(Answer::choose(1)).then(Answer::ignore());
    EXPECT_EQ(text(1), QStringLiteral("One"));
    EXPECT_EQ(loadErrors(), QStringList{QStringLiteral("The language choice cannot be stored: no database is "
                                                       "connected(Code-2147467259)")});

    // A settings table without its row.
    LOCRTSModule::reset();
    ProgramState::CurrentLang = 0;
    ProgramState::ConnString = buildConnString(databasePath());
    execSql(QStringLiteral("DELETE FROM Acces"));
    dialogs->clear();
    dialogs->then(Answer::ignore()).then(Answer::choose(0)).then(Answer::ignore());
    EXPECT_EQ(text(1), QStringLiteral("Un"));
    const QStringList errors = loadErrors();
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors[0],
              QStringLiteral("The settings row cannot be read: the table Acces holds no row(Code 3021)"));
    EXPECT_EQ(
        errors[1],
        QStringLiteral("The language choice cannot be stored: the table Acces holds no row(Code 3021)"));
}

TEST_F(Localisation, LoadsTheBuiltLanguageFileInBothLanguages)
{
    // The fixture's folder holds the language file of the build.
    LanguageFileWriter tables;
    for (const QString &file : LanguageFileWriter::tableFiles(
             QStringLiteral(TARNVIK_SOURCE_DIR) + QStringLiteral("/resources/language/strings.tsv")))
        ASSERT_TRUE(tables.addFile(file)) << tables.error().toStdString();
    ASSERT_FALSE(tables.texts().empty());
    for (int lang = 1; lang <= 2; ++lang) {
        setLang(lang);
        LOC_RTString(-1);
        for (const auto &[number, texts] : tables.texts()) {
            QString expected = lang == 1 ? texts.french : texts.english;
            expected.replace(QStringLiteral("~~"), QStringLiteral("\r\n"));
            EXPECT_EQ(text(number), expected) << number;
        }
    }
    EXPECT_TRUE(dialogs->shown().isEmpty());
}

} // namespace
