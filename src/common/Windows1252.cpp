#include "common/Windows1252.h"

#include <array>

namespace tarnvik::Windows1252 {

namespace {

// Unicode code points of the bytes 0x80..0x9F; the rest equal their byte.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QChar decodeByte(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(kHighTable[byte - 0x80]);
    return QChar(static_cast<char16_t>(byte));
}

QString decode(const QByteArray &bytes)
{
    QString text;
    text.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = decodeByte(static_cast<unsigned char>(bytes.at(i)));
    return text;
}

int codeOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i) {
        if (kHighTable[i] == u)
            return 0x80 + i;
    }
    return -1;
}

QByteArray encode(const QString &text)
{
    QByteArray bytes;
    bytes.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int code = codeOf(text.at(i));
        bytes[i] = static_cast<char>(code < 0 ? '?' : code);
    }
    return bytes;
}

} // namespace tarnvik::Windows1252
