#pragma once

#include <QString>

namespace tarnvik {

// The longest texts the station stores, in UTF-16 code units (the unit of a
// text field's size in the database's original form, where a text field
// holds at most 255).
namespace FieldLength {
inline constexpr int Description = 255; // the note of a punch
} // namespace FieldLength

// Fits a text into maxLength UTF-16 code units after an edit that left the
// cursor at cursor (right after what was typed or pasted): the excess comes
// off just before the cursor, so that the text already there stays and what
// was added is cut at its end, and only whole characters come off (a
// surrogate pair, a letter with its accents). When the cursor lies too near
// the start for that, the excess comes off the end. cursor is moved with the
// cut. A text that fits is returned as it is.
QString fitLength(const QString &text, int maxLength, int *cursor);

} // namespace tarnvik
