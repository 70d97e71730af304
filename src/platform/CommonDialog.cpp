#include "platform/CommonDialog.h"

#include "common/Dialogs.h"

#include <QStringList>

namespace tarnvik {

QString CommonDialog::toDialogFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns)
            p = p.trimmed();
        entries << parts[i] + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QLatin1String(";;"));
}

bool CommonDialog::ShowOpen()
{
    const QString chosen = Dialogs().openFileName(DialogTitle, InitDir, toDialogFilter(Filter));
    if (chosen.isEmpty())
        return false;
    FileName = chosen;
    return true;
}

bool CommonDialog::ShowSave()
{
    const QString chosen = Dialogs().saveFileName(DialogTitle, InitDir, toDialogFilter(Filter));
    if (chosen.isEmpty())
        return false;
    FileName = chosen;
    return true;
}

} // namespace tarnvik
