#pragma once

#include <QString>

namespace tarnvik {

// The user guide: an HTML document in the program's folder whose file name
// is a string of the language file, so that each language has its own.
QString helpDocumentPath();
// Hands the user guide to the desktop, which opens it with the program that
// shows such documents. When nothing opens it, the user is told where the
// guide is, to open it himself.
void openHelpDocument();

} // namespace tarnvik
