#!/usr/bin/env python3
"""Prints the cell values of workbooks as openpyxl reads them, as JSON, for the engine's tests.

Usage: openpyxl_dump.py FILE.xlsx... > values.json
Output: {file: {sheet: {cell: [type, text]}}} with type "n" (number, text = repr), "s", "b".
"""
import json
import sys

import openpyxl


def dump(path):
    wb = openpyxl.load_workbook(path)
    sheets = {}
    for ws in wb.worksheets:
        cells = {}
        for row in ws.iter_rows():
            for c in row:
                v = c.value
                if v is None:
                    continue
                if isinstance(v, bool):
                    cells[c.coordinate] = ["b", "TRUE" if v else "FALSE"]
                elif isinstance(v, (int, float)):
                    cells[c.coordinate] = ["n", repr(float(v))]
                else:
                    cells[c.coordinate] = ["s", str(v)]
        sheets[ws.title] = cells
    return sheets


if __name__ == "__main__":
    json.dump({p: dump(p) for p in sys.argv[1:]}, sys.stdout, ensure_ascii=False)
