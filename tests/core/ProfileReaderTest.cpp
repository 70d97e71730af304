#include "localisation/ProfileReader.h"
#include "localisation/LeadingNumber.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tarnvik;

static QString read(const QString &text, const char *key, const char *section = "LOC")
{
    return ProfileReader(text).value(section, key, "???", 64);
}

TEST(ProfileReader, FindsTrimmedUnquotedValuesOfTheFirstMatchingSectionAndKeyCutTo63Characters)
{
    const QString text =
        "A=0\r\n[Other]\r\nB=1\r\n[loc]\r\n  b  =  \"  12  \"  \r\nB=2\r\nC\r\nLong=" + QString(70, 'x') +
        "\r\n[LOC]\r\nD=3\r\n[Français]\r\n 1024=\"Bonjour\"";
    EXPECT_EQ(read(text, "B"), "  12  "); // the first key of the first section, case ignored
    EXPECT_EQ(read(text, "Long"), QString(63, 'x'));
    EXPECT_EQ(read(text, "1024", "français"), "Bonjour");
    for (const char *missing : {"A", "C", "D"}) // outside the section, without "=", in a repeated section
        EXPECT_EQ(read(text, missing), "???") << missing;
}

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfATextAndRoundsHalvesToEven)
{
    const std::pair<const char *, double> cases[] = {
        {"  12abc", 12}, {"1 2 3", 123},     {"\t-4\n2", -42}, {"", 0},      {"abc", 0},     {"2.5", 2.5},
        {"1.2.3", 1.2},  {"1e3", 1000},      {"1D2", 100},     {"&H10", 16}, {"&HFFFF", -1}, {"&O17", 15},
        {"1,5", 1},      {"0000000123", 123}};
    for (const auto &[text, value] : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromUtf8(text)), value) << text;
    EXPECT_TRUE(std::isinf(leadingNumber(u"1e400")));
    EXPECT_EQ(std::vector({toInt32(2.5), toInt32(3.5), toInt32(-2.5)}),
              std::vector<std::optional<qint32>>({2, 4, -2}));
    EXPECT_EQ(toInt32(-2147483648.0), std::numeric_limits<qint32>::min());
    for (double outside : {2147483648.0, -2147483649.0, double(INFINITY), double(NAN)})
        EXPECT_FALSE(toInt32(outside).has_value()) << outside;
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_FALSE(toInt16(32767.6).has_value());
}
