#pragma once

#include <QByteArray>
#include <QString>

namespace tarnvik {

// The single-byte code page of the station's files (language file, scrambled
// password): every byte 0..255 decodes to exactly one character and back.
// The five codes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 control characters of the same value, so that any byte
// sequence survives a round trip.
namespace Windows1252 {

QString decode(const QByteArray &bytes);
QChar decodeByte(unsigned char byte);

// Characters that the code page cannot hold become '?'.
QByteArray encode(const QString &text);
// The code 0..255 of one character, or -1 when the code page cannot hold it.
int codeOf(QChar c);

} // namespace Windows1252
} // namespace tarnvik
