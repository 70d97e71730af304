#include "support/WorkbookReader.h"

#include <QMap>
#include <QProcess>

namespace tarnvik::test {

WorkbookContent readWorkbook(const QString &path)
{
    WorkbookContent content;
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TARNVIK_SOURCE_DIR "/tests/tools/read_workbook.py"), path});
    if (!reader.waitForFinished(120000) || reader.exitStatus() != QProcess::NormalExit || reader.exitCode()) {
        content.error = QStringLiteral("the reader failed: %1 %2")
                            .arg(reader.errorString(), QString::fromUtf8(reader.readAllStandardError()));
        return content;
    }
    QMap<int, QStringList> cells;
    for (const QString &line : QString::fromUtf8(reader.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        if (parts.size() == 2 && parts[0] == QLatin1String("sheets"))
            content.sheets = parts[1].toInt();
        else if (parts.size() == 4) // texts lose their "s:" tag
            cells[parts[0].toInt()] << parts[1] + (parts[2] == QLatin1String("1") ? u'*' : u'=') +
                                           (parts[3].startsWith(QLatin1String("s:")) ? parts[3].mid(2)
                                                                                     : parts[3]);
    }
    for (auto it = cells.cbegin(); it != cells.cend(); ++it)
        content.rows << QStringLiteral("%1: %2").arg(it.key()).arg(it.value().join(QLatin1String(" | ")));
    content.ok = true;
    return content;
}

} // namespace tarnvik::test
