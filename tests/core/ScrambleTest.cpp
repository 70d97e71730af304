#include "station/Scramble.h"
#include "common/Windows1252.h"

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

using namespace tarnvik;

namespace {

QString fromCodes(std::initializer_list<int> codes)
{
    QString text;
    for (int c : codes)
        text.append(Windows1252::decodeByte(static_cast<unsigned char>(c)));
    return text;
}

QString allCodes(int from = 0)
{
    QString text;
    for (int c = from; c <= 255; ++c)
        text.append(Windows1252::decodeByte(static_cast<unsigned char>(c)));
    return text;
}

QList<int> codesOf(const QString &text)
{
    QList<int> codes;
    for (const QChar c : text)
        codes << Windows1252::codeOf(c);
    return codes;
}

} // namespace

TEST(Scramble, PairsEachPositionWithTheNextKeyCharacter)
{
    // Position 1 goes with the key's second character, position 2 with the
    // first (2 mod 2 = 0), and the pairing repeats.
    EXPECT_EQ(codesOf(Brouiller(fromCodes({0, 0, 0, 0, 0}), QStringLiteral("ABC"))),
              (QList<int>{'B', 'C', 'A', 'B', 'C'}));
    EXPECT_EQ(codesOf(Brouiller(QStringLiteral("AB"), QStringLiteral("AB"))), (QList<int>{65 + 66, 66 + 65}));
    // A key of one character serves every position.
    EXPECT_EQ(Brouiller(QStringLiteral("abc"), QStringLiteral("X")), fromCodes({97 + 88, 98 + 88, 99 + 88}));
}

TEST(Scramble, SumsAndDifferencesWrapModulo256)
{
    EXPECT_EQ(Brouiller(fromCodes({255}), fromCodes({1})), fromCodes({0}));
    EXPECT_EQ(Debrouiller(fromCodes({0}), fromCodes({1})), fromCodes({255}));
    EXPECT_EQ(Brouiller(fromCodes({200, 200}), fromCodes({200, 200})), fromCodes({144, 144}));
    // "€" is code 128: scrambled with itself it gives the NUL character.
    EXPECT_EQ(Brouiller(QStringLiteral("€"), QStringLiteral("€")), fromCodes({0}));
}

TEST(Scramble, KeyIsUpperCasedWithinTheCodePageButTextKeepsItsCase)
{
    const QString text = QStringLiteral("Mot de Passe");
    EXPECT_EQ(Brouiller(text, QStringLiteral("clé")), Brouiller(text, QStringLiteral("CLÉ")));
    EXPECT_EQ(Debrouiller(Brouiller(text, QStringLiteral("clé")), QStringLiteral("CLÉ")), text);
    const QString zeros = fromCodes({0, 0});
    EXPECT_EQ(Brouiller(zeros, QStringLiteral("xé")), QStringLiteral("ÉX"));
    // Letters of the 0x80..0x9F block have capitals in the same block.
    EXPECT_EQ(Brouiller(zeros, QStringLiteral("šÿ")), QStringLiteral("ŸŠ"));
    // No capital in the code page (micro sign) or none at all (sharp s): the
    // character stays, and the key keeps its length.
    EXPECT_EQ(Brouiller(zeros, QStringLiteral("µß")), QStringLiteral("ßµ"));
}

TEST(Scramble, EmptyKeyOrEmptyTextChangesNothing)
{
    const QString text = QStringLiteral("Any text, Même accentué");
    EXPECT_EQ(Brouiller(text, QString()), text);
    EXPECT_EQ(Debrouiller(text, QString()), text);
    EXPECT_EQ(Brouiller(text, QStringLiteral("")), text);
    EXPECT_TRUE(Brouiller(QString(), QStringLiteral("key")).isEmpty());
    EXPECT_TRUE(Debrouiller(QStringLiteral(""), QStringLiteral("key")).isEmpty());
}

TEST(Scramble, RoundTripsEveryCodeWithEveryKeyCode)
{
    const QString text = allCodes();
    for (int k = 0; k <= 255; ++k) {
        const QString key = fromCodes({k});
        const QString scrambled = Brouiller(text, key);
        ASSERT_EQ(scrambled.size(), text.size());
        ASSERT_EQ(Debrouiller(scrambled, key), text) << "key code " << k;
        // Inverse in the other order too.
        ASSERT_EQ(Brouiller(Debrouiller(text, key), key), text) << "key code " << k;
    }
}

TEST(Scramble, RoundTripsWithLongMixedKeys)
{
    const QString text = allCodes() + allCodes();
    const QStringList keys = {allCodes(),          allCodes(1),           QStringLiteral("Secret"),
                              QStringLiteral("a"), QStringLiteral("€œŸ"), text};
    for (const QString &key : keys) {
        const QString scrambled = Brouiller(text, key);
        EXPECT_EQ(scrambled.size(), text.size());
        EXPECT_NE(scrambled, text);
        EXPECT_EQ(Debrouiller(scrambled, key), text);
        EXPECT_TRUE(fitsScrambleCodePage(scrambled));
    }
}

TEST(Scramble, CharactersOutsideTheCodePageCountAsQuestionMarks)
{
    EXPECT_EQ(Brouiller(QStringLiteral("Ω"), QStringLiteral("A")),
              Brouiller(QStringLiteral("?"), QStringLiteral("A")));
    EXPECT_FALSE(fitsScrambleCodePage(QStringLiteral("abcΩ")));
    EXPECT_FALSE(fitsScrambleCodePage(QStringLiteral("😀")));
    EXPECT_TRUE(fitsScrambleCodePage(allCodes()));
}
