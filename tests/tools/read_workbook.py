#!/usr/bin/python3
"""Prints every cell of an .xlsx workbook, one line each, for the tests.

First line: "sheets<TAB>count". Then for each filled cell of the first sheet,
in row and column order: row<TAB>column letter<TAB>bold (0/1)<TAB>value, the
value tagged by its kind: "s:" text, "n:" number, "b:" boolean,
"d:" date (yyyy-mm-dd), "t:" time (hh:mm:ss), "dt:" date and time.
Line breaks and tabs inside texts are written as \\n and \\t.
"""
import datetime
import sys

import openpyxl


def tagged(value):
    if isinstance(value, bool):
        return "b:%s" % value
    if isinstance(value, datetime.datetime):
        if value.time() == datetime.time(0, 0):
            return "d:" + value.strftime("%Y-%m-%d")
        return "dt:" + value.strftime("%Y-%m-%d %H:%M:%S")
    if isinstance(value, datetime.date):
        return "d:" + value.strftime("%Y-%m-%d")
    if isinstance(value, datetime.time):
        return "t:" + value.strftime("%H:%M:%S")
    if isinstance(value, (int, float)):
        return "n:%g" % value
    text = str(value).replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")
    return "s:" + text


def main():
    book = openpyxl.load_workbook(sys.argv[1])
    out = sys.stdout
    out.write("sheets\t%d\n" % len(book.worksheets))
    sheet = book.worksheets[0]
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            bold = 1 if cell.font is not None and cell.font.b else 0
            out.write("%d\t%s\t%d\t%s\n" % (cell.row, cell.column_letter, bold, tagged(cell.value)))


if __name__ == "__main__":
    main()
