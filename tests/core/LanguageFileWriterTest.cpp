#include "localisation/LanguageFileWriter.h"
#include "common/Windows1252.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using tarnvik::LanguageFileWriter;

namespace {

// A language file read back strictly: CR LF line ends, a header up to the first empty line, each section line
// exactly at its "Language" i "Start" byte, then NumStrings lines ' N="text"'. Texts by (language, number).
struct ReadBack {
    QMap<std::pair<int, int>, QString> texts;
    QString error;
};

ReadBack readBack(const QByteArray &file)
{
    if (!file.endsWith("\r\n") || file.count('\r') != file.count("\r\n") ||
        file.count('\n') != file.count('\r'))
        return {{}, "not every line ends with CR LF"};
    ReadBack back;
    QMap<QByteArray, QByteArray> header;
    const QList<QByteArray> lines = QByteArray(file).replace("\r\n", "\n").split('\n');
    for (int i = 1; i < lines.size() && !lines[i].isEmpty(); ++i)
        header[lines[i].left(lines[i].indexOf('='))] = lines[i].mid(lines[i].indexOf('=') + 1);
    for (int language = 1; language <= header["NumLanguages"].toInt(); ++language) {
        const QByteArray key = "Language" + QByteArray::number(language);
        const qsizetype start = header[key + "Start"].toLongLong() - 1;
        if (start < 1 || file[start - 1] != '\n' || !file.mid(start).startsWith("[" + header[key] + "]\r\n"))
            return {{}, key + "Start does not point at the section line"};
        for (int n = 1, section = int(file.left(start).count('\n')); n <= header["NumStrings"].toInt(); ++n) {
            const QByteArray line = lines.value(section + n);
            const qsizetype equals = line.indexOf("=\"");
            back.texts[{language, line.mid(1, equals - 1).toInt()}] =
                tarnvik::Windows1252::decode(line.mid(equals + 2, line.size() - equals - 3));
        }
    }
    return back;
}

ReadBack build(const QByteArray &table)
{
    LanguageFileWriter writer;
    const QByteArray file = writer.addTable(table, "t.tsv") ? writer.build() : QByteArray();
    return file.isEmpty() ? ReadBack{{}, writer.error()} : readBack(file);
}

} // namespace

TEST(LanguageFileWriter, SectionPositionsPointAtTheSectionLinesAndTextsAreKeptInWindows1252)
{
    // The sizes take the positions across 3, 4 and 5 digits, which changes the length of the header.
    for (int highest : {1026, 1400, 9000, 30000}) {
        const ReadBack back = build(QByteArray::number(highest) + "\tdernier\tlast\n1024\tpremier\tfirst\n");
        ASSERT_TRUE(back.error.isEmpty()) << highest << back.error.toStdString();
        EXPECT_EQ(back.texts.size(), 2 * ((highest - 1024) / 2 + 1)); // numbers without text: empty lines
        EXPECT_EQ(back.texts.value({1, highest}) + back.texts.value({2, 1024}), "dernierfirst") << highest;
    }
    const ReadBack back = build("# comment\n\n1026\t Heures\t Hours\r\n1024\tdit \"oui\"~~été \tit’s 5 €\n");
    EXPECT_EQ(back.texts.value({1, 1024}) + '|' + back.texts.value({2, 1024}) + '|' +
                  back.texts.value({2, 1026}),
              "dit \"oui\"~~été |it’s 5 €| Hours");
    // What the code page cannot hold, odd numbers, a missing column and an empty table are refused.
    for (const QByteArray refused :
         {"1024\tok\t\xF0\x9F\x98\x80\n|U+1F600", "1024\t\xC2\x81\tok\n|U+0081",
          "1024\ta\tb\n1025\ta\tb\n|t.tsv:2", "1024\tseulement\n|t.tsv:1", "# comment\n|"}) {
        const QString error = build(refused.left(refused.lastIndexOf('|'))).error; // table|named in the error
        EXPECT_TRUE(!error.isEmpty() &&
                    error.contains(QString::fromUtf8(refused.mid(refused.lastIndexOf('|') + 1))))
            << refused.toStdString() << error.toStdString();
    }
}

TEST(LanguageFileWriter, LaterTablesCannotRedefineANumberAndWritingReportsFailure)
{
    QTemporaryDir dir;
    for (const char *name : {"strings.tsv", "strings-zeta.tsv", "strings-alpha.tsv", "notes.tsv"})
        ASSERT_TRUE(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
    EXPECT_EQ(LanguageFileWriter::tableFiles(dir.filePath("strings.tsv")),
              QStringList({dir.filePath("strings.tsv"), dir.filePath("strings-alpha.tsv"),
                           dir.filePath("strings-zeta.tsv")}));
    LanguageFileWriter writer;
    ASSERT_TRUE(writer.addTable("1024\ta\tb\n", "strings.tsv"));
    EXPECT_FALSE(writer.addTable("1026\tx\ty\n1024\te\tf\n", "strings-zeta.tsv"));
    EXPECT_TRUE(writer.error().contains("strings-zeta.tsv:2")) << writer.error().toStdString();
    EXPECT_EQ(writer.texts().count(1026), 0u); // nothing of the refused table is kept
    QString error;
    EXPECT_FALSE(LanguageFileWriter::writeFile(dir.filePath("missing/LANGUAGE.DAT"), "x", &error));
    EXPECT_TRUE(error.contains("missing/LANGUAGE.DAT")) << error.toStdString();
}

TEST(LanguageFileWriter, EveryNumberLookedUpInTheSourcesHasTextInBothLanguagesInTheBuiltFile)
{
    const QDir source(TARNVIK_SOURCE_DIR);
    LanguageFileWriter writer;
    for (const QString &table : writer.tableFiles(source.filePath("resources/language/strings.tsv")))
        ASSERT_TRUE(writer.addFile(table)) << writer.error().toStdString();
    const QByteArray bytes = writer.build();
    QFile built(QDir(TARNVIK_BUILD_PROGRAM_DIR).filePath("LANGUAGE.DAT")); // the file the build generates
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    EXPECT_EQ(built.readAll(), bytes);
    const ReadBack back = readBack(bytes);
    ASSERT_TRUE(back.error.isEmpty()) << back.error.toStdString();
    static const QRegularExpression call(R"(LOC_RTString\s*\(\s*(\d+)\s*\))");
    int files = 0;
    for (QDirIterator it(source.filePath("src"), {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext(); ++files) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        for (const QRegularExpressionMatch &match : call.globalMatch(QString::fromUtf8(file.readAll())))
            for (int language : {1, 2})
                EXPECT_FALSE(back.texts.value({language, match.captured(1).toInt()}).isEmpty())
                    << match.captured(0).toStdString() << " in " << file.fileName().toStdString()
                    << " has no text in language " << language;
    }
    EXPECT_GT(files, 20);
}
