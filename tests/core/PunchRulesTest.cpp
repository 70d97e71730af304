#include "station/PunchRules.h"
#include "station/AnalogClock.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace tarnvik;
using PunchRules::Refusal;

namespace {

struct DirectionCase {
    const char *given;
    int in;
    int out;
    bool numberEmpty;
    Refusal refusal;
    const char *direction;
    bool ask;
};

// The direction table, read from the top: the first row that matches applies.
const DirectionCase kDirectionCases[] = {
    // "In" forced
    {"In", 2, 1, false, Refusal::AlreadyIn, "In", false},
    {"In", 1, 1, false, Refusal::None, "In", false},
    {"In", 0, 0, false, Refusal::None, "In", false},
    {"In", 0, 2, false, Refusal::None, "In", false}, // more Out than In: goes on unchanged
    {"In", 1, 0, true, Refusal::AlreadyIn, "In", false},
    // "Out" forced
    {"Out", 0, 0, false, Refusal::NoOpenIn, "Out", false},
    {"Out", 1, 1, false, Refusal::NoOpenIn, "Out", false},
    {"Out", 1, 3, false, Refusal::NoOpenIn, "Out", false},
    {"Out", 2, 1, false, Refusal::None, "Out", false},
    // worked out from the history
    {"", 1, 0, false, Refusal::None, "Out", true},
    {"", 3, 2, false, Refusal::None, "Out", true},
    {"", 0, 0, false, Refusal::None, "In", true},
    {"", 4, 4, false, Refusal::None, "In", true},
    {"", 1, 2, false, Refusal::MoreOutsThanIns, "", false},
    // an empty number box: nothing is worked out and nothing asked
    {"", 0, 0, true, Refusal::None, "", false},
    {"", 1, 0, true, Refusal::None, "", false},
    // any other direction goes on unchanged
    {"in", 1, 0, false, Refusal::None, "in", false},
};

TEST(PunchRulesTest, DirectionTableRowByRow)
{
    for (const DirectionCase &c : kDirectionCases) {
        SCOPED_TRACE(testing::Message() << "given '" << c.given << "' In " << c.in << " Out " << c.out
                                        << (c.numberEmpty ? " number empty" : ""));
        const PunchRules::Decision d = PunchRules::decide(QLatin1String(c.given), c.in, c.out, c.numberEmpty);
        EXPECT_EQ(d.refusal, c.refusal);
        if (c.refusal == Refusal::None) {
            EXPECT_EQ(d.direction, QLatin1String(c.direction));
            EXPECT_EQ(d.ask, c.ask);
        } else {
            EXPECT_FALSE(d.ask);
        }
    }
}

TEST(PunchRulesTest, TargetWithAndWithoutAKnownProject)
{
    const QString none = QStringLiteral("None");
    const QString noNote = QStringLiteral("No note");

    PunchRules::Target t =
        PunchRules::target(QStringLiteral("Chantier"), QStringLiteral("Peinture"), QString(), none, noNote);
    EXPECT_EQ(t.project, QStringLiteral("Chantier"));
    EXPECT_EQ(t.subProject, QStringLiteral("Peinture"));
    EXPECT_EQ(t.description, QVariant(noNote));

    t = PunchRules::target(QStringLiteral("Chantier"), QString(), QStringLiteral("rush"), none, noNote);
    EXPECT_EQ(t.subProject, QString());
    EXPECT_EQ(t.description, QVariant(QStringLiteral("rush")));

    // No project known: the no-project text on both, the sub-project list's
    // text ignored, and an empty note stays Null.
    t = PunchRules::target(none, QStringLiteral("Peinture"), QString(), none, noNote);
    EXPECT_EQ(t.project, none);
    EXPECT_EQ(t.subProject, none);
    EXPECT_TRUE(t.description.isNull());

    t = PunchRules::target(none, QString(), QStringLiteral("visite"), none, noNote);
    EXPECT_EQ(t.description, QVariant(QStringLiteral("visite")));
}

TEST(PunchRulesTest, StatusLineFieldsInRegionalFormats)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(PunchRules::shownTime(QStringLiteral("17:05:09")), QStringLiteral("5:05:09 PM"));
    EXPECT_EQ(PunchRules::shownDate(QStringLiteral("2003-02-28")), QStringLiteral("2/28/03"));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(PunchRules::shownTime(QStringLiteral("17:05:09")), QStringLiteral("17:05:09"));
    EXPECT_EQ(PunchRules::shownDate(QStringLiteral("2003-02-28")), QStringLiteral("28/02/2003"));
    // Null shows as nothing; a value not in the stored form as it stands.
    EXPECT_EQ(PunchRules::shownTime(QVariant()), QString());
    EXPECT_EQ(PunchRules::shownDate(QVariant()), QString());
    EXPECT_EQ(PunchRules::shownDate(QStringLiteral("demain")), QStringLiteral("demain"));
    QLocale::setDefault(before);
}

TEST(AnalogClockTest, HandsAtHalfPastThree)
{
    const QPointF centre(159, 93);
    const QTime t(15, 30, 45);
    EXPECT_DOUBLE_EQ(AnalogClock::hourDegrees(t), 375.0);
    EXPECT_DOUBLE_EQ(AnalogClock::minuteDegrees(t), 90.0);
    EXPECT_DOUBLE_EQ(AnalogClock::secondDegrees(t), 180.0);
    const AnalogClock::Hands h = AnalogClock::hands(centre, t);
    EXPECT_NEAR(h.hour.x(), 187.98, 0.005);
    EXPECT_NEAR(h.hour.y(), 100.76, 0.005);
    EXPECT_NEAR(h.minute.x(), 159, 0.001);
    EXPECT_NEAR(h.minute.y(), 133, 0.001);
    EXPECT_NEAR(h.second.x(), 109, 0.001);
    EXPECT_NEAR(h.second.y(), 93, 0.001);
}

TEST(AnalogClockTest, HandsPointWhereAClockFaceSays)
{
    const QPointF centre(100, 100);
    // Midnight: all three straight up, with their own lengths.
    AnalogClock::Hands h = AnalogClock::hands(centre, QTime(0, 0, 0));
    EXPECT_NEAR(h.hour.x(), 100, 0.001);
    EXPECT_NEAR(h.hour.y(), 70, 0.001);
    EXPECT_NEAR(h.minute.y(), 60, 0.001);
    EXPECT_NEAR(h.second.y(), 50, 0.001);
    // 18:00 and 6:00 put the hour hand straight down; 21:15:15 points the hour
    // hand past 9 o'clock and the minute and second hands to 3 o'clock.
    EXPECT_NEAR(AnalogClock::hands(centre, QTime(18, 0)).hour.y(), 130, 0.001);
    EXPECT_NEAR(AnalogClock::hands(centre, QTime(6, 0)).hour.y(), 130, 0.001);
    h = AnalogClock::hands(centre, QTime(21, 15, 15));
    EXPECT_DOUBLE_EQ(AnalogClock::hourDegrees(QTime(21, 15, 15)), 547.5);
    EXPECT_LT(h.hour.x(), 100 - 29);
    EXPECT_LT(h.hour.y(), 100);
    EXPECT_NEAR(h.minute.x(), 140, 0.001);
    EXPECT_NEAR(h.second.x(), 150, 0.001);
}

} // namespace
