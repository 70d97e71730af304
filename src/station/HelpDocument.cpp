#include "station/HelpDocument.h"

#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "localisation/LOCRTSModule.h"

#include <QDir>
#include <QUrl>

namespace tarnvik {

QString helpDocumentPath()
{
    // Resolved against the program's folder, not the current folder, so the
    // guide is found whatever folder the program was started from.
    return ProgramFolder::file(LOC_RTString(1102));
}

void openHelpDocument()
{
    const QString path = helpDocumentPath();
    if (!Dialogs().openUrl(QUrl::fromLocalFile(path)))
        MsgBox(LOC_RTString(1942).arg(QDir::toNativeSeparators(path)), MsgStyle::Information);
}

} // namespace tarnvik
