#pragma once

#include <QStringView>

#include <optional>

namespace tarnvik {

// Numbers written in the language file are read the way the station has
// always read them: the leading number of a text, blanks anywhere ignored,
// then taken as the nearest whole number.

// The number at the start of a text. Spaces, tabs and line feeds are skipped
// wherever they stand; then an optional sign, digits with at most one decimal
// point and an optional exponent ("E" or "D"), or "&H" / "&O" followed by hex
// or octal digits (up to four digits read as a 16-bit, up to eight as a 32-bit
// two's complement value). Reading stops at the first character that does not
// belong to the number; a text without one gives 0. A number too large for a
// double gives an infinity.
double leadingNumber(QStringView text);

// The nearest whole number, halves to the even neighbour; std::nullopt when
// the value does not fit (an overflow) or is not finite.
std::optional<qint16> toInt16(double value);
std::optional<qint32> toInt32(double value);

} // namespace tarnvik
