#include "station/Scramble.h"

#include "common/Windows1252.h"

#include <QList>

namespace tarnvik {

namespace {

constexpr int kUnmappable = '?';

int codeOf(QChar c)
{
    const int code = Windows1252::codeOf(c);
    return code < 0 ? kUnmappable : code;
}

// The key's codes after upper-casing it character by character. A capital
// that the code page cannot hold (the Greek capital of the micro sign) leaves
// the character as it was, and the key keeps its length.
QList<int> keyCodes(const QString &key)
{
    QList<int> codes;
    codes.reserve(key.size());
    for (const QChar c : key) {
        const QChar upper = c.toUpper();
        codes << (Windows1252::codeOf(upper) >= 0 ? codeOf(upper) : codeOf(c));
    }
    return codes;
}

QString scramble(const QString &text, const QString &key, int direction)
{
    const QList<int> k = keyCodes(key);
    const qsizetype length = k.size();
    if (length == 0)
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // 1-based position p pairs with key position (p mod L) + 1.
        const int keyCode = k.at((i + 1) % length);
        const int code = (codeOf(text.at(i)) + direction * keyCode) & 255;
        result.append(Windows1252::decodeByte(static_cast<unsigned char>(code)));
    }
    return result;
}

} // namespace

QString Brouiller(const QString &Text, const QString &Key)
{
    return scramble(Text, Key, +1);
}

QString Debrouiller(const QString &Text, const QString &Key)
{
    return scramble(Text, Key, -1);
}

bool fitsScrambleCodePage(const QString &text)
{
    for (const QChar c : text) {
        if (Windows1252::codeOf(c) < 0)
            return false;
    }
    return true;
}

} // namespace tarnvik
