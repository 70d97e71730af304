#pragma once

#include <QString>

namespace tarnvik {

// The keyed scramble of the administration password and its inverse.
//
// Both work on the characters as codes 0 to 255 of the Windows-1252 code page
// (a character the code page cannot hold counts as "?"), and their results
// have exactly as many characters as Text. The key is upper-cased first, so
// it is not case-sensitive, while the text keeps its case. Character i of the
// text (1-based) is paired with character (i mod L) + 1 of the key, L being
// the key's length: the first text character goes with the key's second one.
// An empty key leaves the text unchanged.
//
// Brouiller adds the key's code to each text code, Debrouiller subtracts it,
// both modulo 256, so Debrouiller(Brouiller(t, key), key) == t for any t
// made of code-page characters.
QString Brouiller(const QString &Text, const QString &Key);
QString Debrouiller(const QString &Text, const QString &Key);

// Whether every character of a text has a code in the Windows-1252 code page,
// that is, whether a password made of it survives the scramble unchanged.
bool fitsScrambleCodePage(const QString &text);

} // namespace tarnvik
