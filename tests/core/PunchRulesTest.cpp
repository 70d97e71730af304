#include "station/PunchRules.h"

#include <gtest/gtest.h>

using namespace tarnvik;
using PunchRules::Refusal;

namespace {

// The direction of a punch, read from the top: the first row that matches applies.
TEST(PunchRulesTest, DirectionTable)
{
    struct Case {
        const char *given;
        int in, out;
        bool numberEmpty;
        Refusal refusal;
        const char *direction;
        bool ask;
    };
    const Case cases[] = {
        {"In", 2, 1, false, Refusal::AlreadyIn, "", false},
        {"In", 1, 0, true, Refusal::AlreadyIn, "", false},
        {"In", 1, 1, false, Refusal::None, "In", false},
        {"In", 0, 2, false, Refusal::None, "In", false}, // more Out than In: goes on
        {"Out", 0, 0, false, Refusal::NoOpenIn, "", false},
        {"Out", 1, 3, false, Refusal::NoOpenIn, "", false},
        {"Out", 2, 1, false, Refusal::None, "Out", false},
        // worked out from the history, and confirmed with the employee
        {"", 3, 2, false, Refusal::None, "Out", true},
        {"", 0, 0, false, Refusal::None, "In", true},
        {"", 4, 4, false, Refusal::None, "In", true},
        {"", 1, 2, false, Refusal::MoreOutsThanIns, "", false},
        {"", 1, 0, true, Refusal::None, "", false},      // an empty number box: nothing worked out or asked
        {"in", 1, 0, false, Refusal::None, "in", false}, // any other direction goes on unchanged
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "'" << c.given << "' " << c.in << "/" << c.out << " " << c.numberEmpty);
        const PunchRules::Decision d = PunchRules::decide(QLatin1String(c.given), c.in, c.out, c.numberEmpty);
        EXPECT_EQ(d.refusal, c.refusal);
        EXPECT_EQ(d.ask, c.ask);
        EXPECT_TRUE(c.refusal != Refusal::None || d.direction == QLatin1String(c.direction));
    }
}

} // namespace
