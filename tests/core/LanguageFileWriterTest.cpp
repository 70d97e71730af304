#include "localisation/LanguageFileWriter.h"
#include "common/Windows1252.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace Qt::StringLiterals;

using tarnvik::LanguageFileWriter;

namespace {

// A language file read back the way the station's loader reads it: header keys,
// then for each language the section found at its stated byte position and the
// NumStrings lines that follow it.
struct ReadBack {
    std::map<QByteArray, QByteArray> header;
    std::vector<QString> languageNames;
    // Texts by language (1-based) and number, quotes removed, "~~" kept.
    std::map<int, std::map<int, QString>> texts;
    QString error;
};

QByteArray lineAt(const QByteArray &file, qsizetype offset)
{
    const qsizetype end = file.indexOf("\r\n", offset);
    return end < 0 ? file.mid(offset) : file.mid(offset, end - offset);
}

ReadBack readBack(const QByteArray &file)
{
    ReadBack result;
    qsizetype offset = 0;
    for (;;) {
        const QByteArray line = lineAt(file, offset);
        offset += line.size() + 2;
        if (line.isEmpty() || offset > file.size())
            break;
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            result.header[line.left(equals)] = line.mid(equals + 1);
    }
    const int languages = result.header["NumLanguages"].toInt();
    const int lineCount = result.header["NumStrings"].toInt();
    for (int i = 1; i <= languages; ++i) {
        const QByteArray key = "Language" + QByteArray::number(i);
        const QByteArray name = result.header[key];
        const qsizetype start = result.header[key + "Start"].toLongLong();
        result.languageNames.push_back(tarnvik::Windows1252::decode(name));
        if (start < 1 || start > file.size()) {
            result.error = u"%1Start is outside the file"_s.arg(QString::fromLatin1(key));
            return result;
        }
        qsizetype at = start - 1;
        const QByteArray section = lineAt(file, at);
        if (section != "[" + name + "]") {
            result.error = u"the line at %1Start reads \"%2\""_s.arg(QString::fromLatin1(key),
                                                                     tarnvik::Windows1252::decode(section));
            return result;
        }
        at += section.size() + 2;
        for (int n = 0; n < lineCount; ++n) {
            if (at >= file.size()) {
                result.error = u"language %1 has fewer than NumStrings lines"_s.arg(i);
                return result;
            }
            const QByteArray line = lineAt(file, at);
            at += line.size() + 2;
            const qsizetype equals = line.indexOf('=');
            QByteArray text = line.mid(equals + 1);
            if (text.startsWith('"'))
                text.remove(0, 1);
            if (!text.isEmpty() && text.endsWith('"'))
                text.chop(1);
            result.texts[i][line.mid(1, equals - 1).trimmed().toInt()] = tarnvik::Windows1252::decode(text);
        }
    }
    return result;
}

// Numbers used as LOC_RTString(<digits>) in C++ text.
std::set<int> lookedUpNumbers(const QString &code)
{
    static const QRegularExpression call(QStringLiteral(R"(LOC_RTString\s*\(\s*(\d+)\s*\))"));
    std::set<int> numbers;
    for (const QRegularExpressionMatch &match : call.globalMatch(code))
        numbers.insert(match.captured(1).toInt());
    return numbers;
}

QString sourcePath(const char *relative)
{
    return QDir(QStringLiteral(TARNVIK_SOURCE_DIR)).filePath(QString::fromLatin1(relative));
}

} // namespace

TEST(LanguageFileWriter, SectionPositionsPointAtTheSectionLinesWhateverTheirDigitCount)
{
    // The sizes take the section positions across 3, 4 and 5 digits, which
    // changes the length of the header that holds them.
    for (int highest : {1024, 1060, 1400, 9000, 30000}) {
        SCOPED_TRACE(highest);
        LanguageFileWriter writer;
        QByteArray table = QByteArray::number(highest) + "\tdernier\tlast\n";
        if (highest != 1024)
            table += "1024\tpremier\tfirst\n";
        ASSERT_TRUE(writer.addTable(table, "t.tsv")) << writer.error().toStdString();
        const QByteArray file = writer.build();
        ASSERT_FALSE(file.isEmpty()) << writer.error().toStdString();

        const ReadBack back = readBack(file);
        ASSERT_TRUE(back.error.isEmpty()) << back.error.toStdString();
        EXPECT_EQ(back.header.at("NumLanguages"), "2");
        const int lines = (highest - 1024) / 2 + 1;
        EXPECT_EQ(back.header.at("NumStrings").toInt(), lines);
        EXPECT_EQ(back.header.at("StringIndexBase"), "1024");
        EXPECT_EQ(back.header.at("StringIndexStep"), "2");
        EXPECT_EQ(back.languageNames, (std::vector<QString>{u"Français"_s, u"English"_s}));
        EXPECT_EQ(back.texts.at(1).at(highest), u"dernier"_s);
        EXPECT_EQ(back.texts.at(2).at(highest), u"last"_s);
        if (highest != 1024) {
            EXPECT_EQ(back.texts.at(2).at(1024), u"first"_s);
        }
        // Numbers between without text get an empty line.
        for (int language : {1, 2}) {
            EXPECT_EQ(back.texts.at(language).size(), size_t(lines));
            EXPECT_TRUE(highest <= 1026 || back.texts.at(language).at(1026).isEmpty());
        }
    }
}

TEST(LanguageFileWriter, WritesOneLinePerEvenNumberWithCrLfAndQuotedTexts)
{
    LanguageFileWriter writer;
    const QByteArray table("# comment line\n"
                           "\n"
                           "1030\t Heures:Minutes\t Hours:Minutes\r\n"
                           "1024\tDernier pointage : \tLast punch: \n"
                           "1028\tdit \"oui\"\tsaid \"yes\"\n"
                           "1026\tligne~~suivante\tline~~next\n");
    ASSERT_TRUE(writer.addTable(table, "t.tsv")) << writer.error().toStdString();
    const QByteArray file = writer.build();
    ASSERT_FALSE(file.isEmpty());

    EXPECT_TRUE(file.endsWith("\r\n"));
    for (qsizetype i = 0; i < file.size(); ++i) {
        if (file.at(i) == '\n') {
            ASSERT_TRUE(i > 0 && file.at(i - 1) == '\r') << "bare LF at byte " << i;
        }
        if (file.at(i) == '\r') {
            ASSERT_TRUE(i + 1 < file.size() && file.at(i + 1) == '\n') << "bare CR at byte " << i;
        }
    }
    // The lines of one section, in number order, each led by one blank.
    EXPECT_TRUE(file.contains("[English]\r\n"
                              " 1024=\"Last punch: \"\r\n"
                              " 1026=\"line~~next\"\r\n"
                              " 1028=\"said \"yes\"\"\r\n"
                              " 1030=\" Hours:Minutes\"\r\n"));
    // An empty line separates the header from the first section and the sections.
    EXPECT_TRUE(file.contains("StringIndexStep=2\r\n\r\n[Fran\xE7"
                              "ais]\r\n"));
    EXPECT_TRUE(file.contains(" 1030=\" Heures:Minutes\"\r\n\r\n[English]\r\n"));
}

TEST(LanguageFileWriter, EncodesTextsInWindows1252)
{
    LanguageFileWriter writer;
    ASSERT_TRUE(writer.addTable("1024\tété à Noël\tit’s 5 €\n", "t.tsv"));
    const QByteArray file = writer.build();
    EXPECT_TRUE(file.contains(" 1024=\"\xE9t\xE9 \xE0 No\xEBl\"\r\n"));
    EXPECT_TRUE(file.contains(" 1024=\"it\x92s 5 \x80\"\r\n"));
    EXPECT_TRUE(file.contains("Language1=Fran\xE7"
                              "ais\r\n"));
    EXPECT_FALSE(file.contains("\xC3")) << "UTF-8 bytes leaked into the file";
}

TEST(LanguageFileWriter, RefusesCharactersTheCodePageCannotHold)
{
    struct Case {
        const char *table;
        const char *character;
    };
    const Case cases[] = {
        {"1024\tok\tsmile \xF0\x9F\x98\x80\n", "U+1F600"}, // emoji
        {"1024\t\xD0\x96\tok\n", "U+0416"},                // Cyrillic
        {"1024\tok\tcontrol \xC2\x81\n", "U+0081"},        // undefined byte of the code page
        {"1024\tbell \x07\tok\n", "U+0007"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.character);
        LanguageFileWriter writer;
        ASSERT_TRUE(writer.addTable(c.table, "bad.tsv"));
        EXPECT_TRUE(writer.build().isEmpty());
        EXPECT_TRUE(writer.error().contains(QLatin1String(c.character))) << writer.error().toStdString();
        EXPECT_TRUE(writer.error().contains(QLatin1String("bad.tsv:1"))) << writer.error().toStdString();
    }
}

TEST(LanguageFileWriter, RefusesANumberDefinedTwice)
{
    LanguageFileWriter sameTable;
    EXPECT_FALSE(sameTable.addTable("1024\ta\tb\n1026\tc\td\n1024\te\tf\n", "one.tsv"));
    EXPECT_TRUE(sameTable.error().contains(QLatin1String("one.tsv:3")));
    EXPECT_TRUE(sameTable.error().contains(QLatin1String("one.tsv:1")));

    LanguageFileWriter twoTables;
    ASSERT_TRUE(twoTables.addTable("1024\ta\tb\n1800\tc\td\n", "strings.tsv"));
    EXPECT_FALSE(twoTables.addTable("1802\tx\ty\n1800\te\tf\n", "strings-other.tsv"));
    EXPECT_TRUE(twoTables.error().contains(QLatin1String("strings-other.tsv:2")))
        << twoTables.error().toStdString();
    EXPECT_TRUE(twoTables.error().contains(QLatin1String("strings.tsv:2")))
        << twoTables.error().toStdString();
    // Nothing of the refused table was kept.
    EXPECT_EQ(twoTables.texts().count(1802), 0u);
    EXPECT_EQ(twoTables.texts().at(1800).french, u"c"_s);
}

TEST(LanguageFileWriter, RefusesMalformedLines)
{
    const char *tables[] = {
        "1024\tseulement le français\n", // two fields
        "1024\ta\tb\tc\n",               // four fields
        "1025\ta\tb\n",                  // odd number
        "1022\ta\tb\n",                  // below the base
        "40000\ta\tb\n",                 // above the highest number
        "10x4\ta\tb\n",                  // not a number
        " 1024\ta\tb\n",                 // blank before the number
        "\xFF\xFE\ta\tb\n",              // not UTF-8
    };
    for (const char *table : tables) {
        SCOPED_TRACE(table);
        LanguageFileWriter writer;
        EXPECT_FALSE(writer.addTable(table, "t.tsv"));
        EXPECT_TRUE(writer.error().startsWith(QLatin1String("t.tsv"))) << writer.error().toStdString();
        EXPECT_TRUE(writer.texts().empty());
    }
    LanguageFileWriter empty;
    ASSERT_TRUE(empty.addTable("# only a comment\n", "t.tsv"));
    EXPECT_TRUE(empty.build().isEmpty());
    EXPECT_FALSE(empty.error().isEmpty());
}

TEST(LanguageFileWriter, FindsTheOtherTablesBesideTheMainOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char *name :
         {"strings.tsv", "strings-zeta.tsv", "strings-alpha.tsv", "notes.tsv", "strings-x.txt"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QStringList files = LanguageFileWriter::tableFiles(dir.filePath(u"strings.tsv"_s));
    const QStringList expected{dir.filePath(u"strings.tsv"_s), dir.filePath(u"strings-alpha.tsv"_s),
                               dir.filePath(u"strings-zeta.tsv"_s)};
    EXPECT_EQ(files, expected);
}

TEST(LanguageFileWriter, WriteFileReplacesTheTargetAndReportsFailure)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"LANGUAGE.DAT"_s);
    QString error;
    ASSERT_TRUE(LanguageFileWriter::writeFile(path, "old contents, longer than the new ones", &error));
    ASSERT_TRUE(LanguageFileWriter::writeFile(path, "new\r\n", &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("new\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"LANGUAGE.DAT"_s});

    EXPECT_FALSE(LanguageFileWriter::writeFile(dir.filePath(u"missing/LANGUAGE.DAT"_s), "x", &error));
    EXPECT_TRUE(error.contains(QLatin1String("missing/LANGUAGE.DAT"))) << error.toStdString();
}

TEST(LanguageFileWriter, SourceScannerFindsLiteralLookUpsOnly)
{
    const std::set<int> found =
        lookedUpNumbers(u"a = LOC_RTString(1152); b = LOC_RTString( 1698 ) + LOC_RTString(index);\n"
                        "LOC_RTString(-1); // reload\nMsgBox(LOC_RTString(1256) + name);"_s);
    EXPECT_EQ(found, (std::set<int>{1152, 1256, 1698}));
}

class RealLanguageTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QStringList tables =
            LanguageFileWriter::tableFiles(sourcePath("resources/language/strings.tsv"));
        for (const QString &table : tables)
            ASSERT_TRUE(writer.addFile(table)) << writer.error().toStdString();
        bytes = writer.build();
        ASSERT_FALSE(bytes.isEmpty()) << writer.error().toStdString();
        back = readBack(bytes);
        ASSERT_TRUE(back.error.isEmpty()) << back.error.toStdString();
    }

    LanguageFileWriter writer;
    QByteArray bytes;
    ReadBack back;
};

TEST_F(RealLanguageTables, EveryNumberLookedUpInTheSourcesHasTextInBothLanguages)
{
    std::map<int, QString> usedIn;
    QDirIterator it(sourcePath("src"), {u"*.cpp"_s, u"*.h"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        for (int number : lookedUpNumbers(QString::fromUtf8(file.readAll())))
            usedIn.emplace(number, path);
    }
    for (const auto &[number, path] : usedIn) {
        SCOPED_TRACE(path.toStdString());
        for (int language : {1, 2}) {
            const auto &texts = back.texts.at(language);
            const auto found = texts.find(number);
            ASSERT_NE(found, texts.end()) << "string " << number << " is outside the language file";
            EXPECT_FALSE(found->second.isEmpty())
                << "string " << number << " has no text in language " << language;
        }
    }
}

TEST_F(RealLanguageTables, NoDefinedTextIsEmpty)
{
    ASSERT_FALSE(writer.texts().empty());
    for (const auto &[number, text] : writer.texts()) {
        EXPECT_FALSE(text.french.isEmpty())
            << "French text of " << number << " at " << text.origin.toStdString();
        EXPECT_FALSE(text.english.isEmpty())
            << "English text of " << number << " at " << text.origin.toStdString();
    }
}

TEST_F(RealLanguageTables, TextsOtherCodeReliesOn)
{
    const auto &french = back.texts.at(1);
    const auto &english = back.texts.at(2);
    EXPECT_EQ(back.languageNames.at(0), u"Français"_s);
    EXPECT_EQ(french.at(1032), u" Heures:Minutes"_s);
    EXPECT_EQ(english.at(1032), u" Hours:Minutes"_s);
    EXPECT_EQ(french.at(1698), u"Aucun"_s);
    EXPECT_EQ(english.at(1698), u"None"_s);
    EXPECT_EQ(french.at(1102), u"aide-fr.html"_s);
    EXPECT_EQ(english.at(1102), u"help-en.html"_s);
}

TEST_F(RealLanguageTables, ProgramFolderHoldsTheFileTheTablesGive)
{
    QFile file(QDir(QStringLiteral(TARNVIK_BUILD_PROGRAM_DIR)).filePath(u"LANGUAGE.DAT"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the build did not generate LANGUAGE.DAT";
    EXPECT_EQ(file.readAll(), bytes);
}
