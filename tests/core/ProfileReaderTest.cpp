#include "localisation/ProfileReader.h"
#include "localisation/LeadingNumber.h"

#include <gtest/gtest.h>

#include <cmath>

using tarnvik::leadingNumber;
using tarnvik::ProfileReader;
using tarnvik::toInt16;
using tarnvik::toInt32;

namespace {

QString read(const QString &text, const QString &key, const QString &section = QStringLiteral("LOC"),
             int buffer = 64)
{
    return ProfileReader(text).value(section, key, QStringLiteral("???"), buffer);
}

} // namespace

TEST(ProfileReader, FindsKeysOfTheNamedSectionOnly)
{
    const QString text = QStringLiteral("Before=x\r\n"
                                        "[Other]\r\nNumStrings=1\r\n"
                                        "[loc]\r\n  numStrings  =  12  \r\n"
                                        "[Français]\r\n 1024=\"Bonjour\"\r\n");
    EXPECT_EQ(read(text, QStringLiteral("NumStrings")), QStringLiteral("12"));
    EXPECT_EQ(read(text, QStringLiteral("NUMSTRINGS")), QStringLiteral("12"));
    EXPECT_EQ(read(text, QStringLiteral("Before")), QStringLiteral("???"));
    EXPECT_EQ(read(text, QStringLiteral("1024"), QStringLiteral("français")), QStringLiteral("Bonjour"));
    EXPECT_EQ(read(text, QStringLiteral("NumStrings"), QStringLiteral("Missing")), QStringLiteral("???"));
}

TEST(ProfileReader, FirstSectionAndFirstKeyWin)
{
    const QString text = QStringLiteral("[LOC]\nA=1\nA=2\n[Next]\nB=0\n[LOC]\nA=3\nB=4\n");
    EXPECT_EQ(read(text, QStringLiteral("A")), QStringLiteral("1"));
    // The repeated section is not read at all.
    EXPECT_EQ(read(text, QStringLiteral("B")), QStringLiteral("???"));
}

TEST(ProfileReader, ValuesAreTrimmedUnquotedCutAndEndAtNul)
{
    QString text = QStringLiteral("[LOC]\r\nQuoted=\"  padded  \"\r\nSingle='x'\r\nOdd=\"x'\r\nLone=\"\r\n"
                                  "Empty=\r\nTab=\tv\t\r\nNul=ab");
    text += QChar(0);
    text += QStringLiteral("cd\r\nLong=") + QString(70, QLatin1Char('x')) + QStringLiteral("\r\n");
    EXPECT_EQ(read(text, QStringLiteral("Quoted")), QStringLiteral("  padded  "));
    EXPECT_EQ(read(text, QStringLiteral("Single")), QStringLiteral("x"));
    EXPECT_EQ(read(text, QStringLiteral("Odd")), QStringLiteral("\"x'"));
    EXPECT_EQ(read(text, QStringLiteral("Lone")), QStringLiteral("\""));
    const QString empty = read(text, QStringLiteral("Empty"));
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(read(text, QStringLiteral("Tab")), QStringLiteral("v"));
    EXPECT_EQ(read(text, QStringLiteral("Nul")), QStringLiteral("ab"));
    EXPECT_EQ(read(text, QStringLiteral("Long")), QString(63, QLatin1Char('x')));
    EXPECT_EQ(read(text, QStringLiteral("Long"), QStringLiteral("LOC"), 10), QString(9, QLatin1Char('x')));
}

TEST(ProfileReader, KeyWithoutEqualsSignReadsAsMissing)
{
    const QString text = QStringLiteral("[LOC]\nNumLanguages\nNumLanguages=2\n");
    EXPECT_EQ(read(text, QStringLiteral("NumLanguages")), QStringLiteral("???"));
}

TEST(ProfileReader, SectionNameRunsToTheLastBracketAndUnclosedLinesAreNoSection)
{
    const QString text = QStringLiteral("[LOC]\nA=1\n[B]x]\nC=2\n[LOC\nD=3\n");
    EXPECT_EQ(read(text, QStringLiteral("C"), QStringLiteral("B]x")), QStringLiteral("2"));
    // "[LOC" opens nothing: D stays in section "B]x".
    EXPECT_EQ(read(text, QStringLiteral("D"), QStringLiteral("B]x")), QStringLiteral("3"));
    EXPECT_EQ(read(text, QStringLiteral("D")), QStringLiteral("???"));
}

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfAText)
{
    const struct {
        const char *text;
        double value;
    } cases[] = {
        {"12", 12},         {"  12abc", 12}, {"1 2 3", 123}, {"\t-4\n2", -42},
        {"+7", 7},          {"", 0},         {"abc", 0},     {"-", 0},
        {"2.5", 2.5},       {".5", 0.5},     {"1.2.3", 1.2}, {"1e3", 1000},
        {"1D2", 100},       {"1e", 1},       {"1e+", 1},     {"2E-1x", 0.2},
        {"&H10", 16},       {"&h1f", 31},    {"&HFFFF", -1}, {"&H10000", 65536},
        {"&HFFFFFFFF", -1}, {"&O17", 15},    {"&17", 15},    {"&H", 0},
        {"&Hg", 0},         {"1,5", 1},      {"1e-400", 0},  {"0.0001e-320", 0},
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromUtf8(c.text)), c.value) << c.text;
    EXPECT_TRUE(std::isinf(leadingNumber(u"1e400")));
    EXPECT_TRUE(std::isinf(leadingNumber(u"-1e400")));
    EXPECT_TRUE(std::isinf(leadingNumber(QString(400, QLatin1Char('9')))));
    EXPECT_TRUE(std::isinf(leadingNumber(u"&H100000000")));
}

TEST(LeadingNumber, WholeNumbersRoundHalvesToEvenAndReportOverflow)
{
    EXPECT_EQ(toInt32(2.5), 2);
    EXPECT_EQ(toInt32(3.5), 4);
    EXPECT_EQ(toInt32(-2.5), -2);
    EXPECT_EQ(toInt32(2.49), 2);
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_FALSE(toInt32(2147483648.0).has_value());
    EXPECT_EQ(toInt32(-2147483648.0), -2147483647 - 1);
    EXPECT_FALSE(toInt32(-2147483649.0).has_value());
    EXPECT_FALSE(toInt32(INFINITY).has_value());
    EXPECT_FALSE(toInt32(NAN).has_value());
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_FALSE(toInt16(32767.6).has_value());
    EXPECT_EQ(toInt16(-32768), -32768);
    EXPECT_FALSE(toInt16(-32769).has_value());
}
