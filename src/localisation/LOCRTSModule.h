#pragma once

#include <QString>

namespace tarnvik {

// Returns the text of a string number in the current language, loading the
// language file on first use. -1 loads the file again (after a language
// change) and returns the empty text; a number outside the table gives
// "Invalid Index".
QString LOC_RTString(qint32 index);

} // namespace tarnvik
