#include "localisation/LeadingNumber.h"

#include <QString>

#include <gtest/gtest.h>

#include <cmath>

using namespace tarnvik;

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
