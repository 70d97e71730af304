#include "station/Scramble.h"
#include "common/Windows1252.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tarnvik;

static QString text(std::initializer_list<int> codes) // of Windows-1252 codes
{
    QString t;
    for (int c : codes)
        t.append(Windows1252::decodeByte(static_cast<unsigned char>(c)));
    return t;
}

TEST(Scramble, PairsEachPositionWithTheNextCharacterOfTheUpperCasedKeyModulo256)
{
    EXPECT_EQ(Brouiller(text({0, 0, 0, 0, 0}), u"ABC"_s), u"BCABC"_s);
    EXPECT_EQ(Brouiller(text({255, 130}), text({1})), text({0, 131}));
    EXPECT_EQ(Brouiller(u"€"_s, u"€"_s), text({0})) << "code 128 twice";
    EXPECT_EQ(Brouiller(text({0, 0}), u"xé"_s), u"ÉX"_s);
    EXPECT_EQ(Brouiller(text({0, 0}), u"šÿ"_s), u"ŸŠ"_s); // capitals inside the 0x80..0x9F block
    EXPECT_EQ(Brouiller(text({0, 0}), u"µß"_s), u"ßµ"_s); // no capital in the code page: kept
}

TEST(Scramble, EmptyKeyOrTextChangesNothingAndEveryCodeRoundTrips)
{
    EXPECT_EQ(Brouiller(u"Même accentué"_s, QString()), u"Même accentué"_s);
    EXPECT_EQ(Debrouiller(u"Même accentué"_s, u""_s), u"Même accentué"_s);
    EXPECT_TRUE(Brouiller(QString(), u"key"_s).isEmpty() && Debrouiller(u""_s, u"key"_s).isEmpty());
    QString all;
    for (int c = 0; c <= 255; ++c)
        all += text({c});
    for (int k = 0; k <= 255; ++k) { // keys of 256 - k characters starting with code k
        ASSERT_EQ(Debrouiller(Brouiller(all, all.mid(k)), all.mid(k)), all) << k;
        ASSERT_EQ(Brouiller(Debrouiller(all, all.mid(k)), all.mid(k)), all) << k;
    }
    EXPECT_TRUE(fitsScrambleCodePage(all));
    EXPECT_FALSE(fitsScrambleCodePage(u"abcΩ"_s) || fitsScrambleCodePage(u"😀"_s));
    EXPECT_EQ(Brouiller(u"Ω"_s, u"A"_s), Brouiller(u"?"_s, u"A"_s))
        << "outside the code page counts as \"?\"";
}
