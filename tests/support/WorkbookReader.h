#pragma once

#include <QStringList>

namespace tarnvik::test {

// A workbook read back from its .xlsx file by an independent reader (Python's
// openpyxl). rows: one text per filled row of the first sheet, in row order:
// "4: A*N° d'employé : | B=1001 | E=d:2003-03-03 | F=t:08:00:00", "*" marking
// a bold cell and "=" a plain one; texts stand as they are, other values carry
// their kind: n: number, b: boolean, d: date, t: time, dt: date and time.
struct WorkbookContent {
    bool ok = false;
    QString error;
    int sheets = 0;
    QStringList rows;
};

WorkbookContent readWorkbook(const QString &path);

} // namespace tarnvik::test
