#pragma once

#include <QString>
#include <QStringList>

namespace tarnvik::test {

// A workbook read back from its .xlsx file by an independent reader
// (Python's openpyxl), for comparing what the sheet holds.
struct WorkbookContent {
    bool ok = false;
    QString error;
    int sheets = 0;
    // One text per filled row of the first sheet, in row order:
    // "4: A*N° d'employé : | B=1001 | E=d:2003-03-03 | F=t:08:00:00", where
    // "*" marks a bold cell and "=" a plain one; texts stand as they are,
    // other values carry their kind: n: number, b: boolean, d: date,
    // t: time, dt: date and time.
    QStringList rows;
};

WorkbookContent readWorkbook(const QString &path);

} // namespace tarnvik::test
