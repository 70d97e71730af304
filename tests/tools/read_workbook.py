#!/usr/bin/python3
"""Prints an .xlsx workbook for the tests: "sheets<TAB>count", then for each
filled cell of the first sheet: row, column letter, bold (0/1) and value tagged
by its kind (s: n: b: d: t: dt:), tab-separated; texts escape \\n and \\t."""
import datetime
import sys

import openpyxl


def tagged(value):
    if isinstance(value, bool):
        return "b:%s" % value
    if isinstance(value, datetime.datetime) and value.time() != datetime.time(0, 0):
        return "dt:" + value.strftime("%Y-%m-%d %H:%M:%S")
    if isinstance(value, datetime.date):
        return "d:" + value.strftime("%Y-%m-%d")
    if isinstance(value, datetime.time):
        return "t:" + value.strftime("%H:%M:%S")
    if isinstance(value, (int, float)):
        return "n:%g" % value
    return "s:" + str(value).replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")


book = openpyxl.load_workbook(sys.argv[1])
print("sheets\t%d" % len(book.worksheets))
for row in book.worksheets[0].iter_rows():
    for cell in row:
        if cell.value is not None:
            bold = 1 if cell.font is not None and cell.font.b else 0
            print("%d\t%s\t%d\t%s" % (cell.row, cell.column_letter, bold, tagged(cell.value)))
