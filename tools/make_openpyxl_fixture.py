#!/usr/bin/env python3
"""Writes the openpyxl-made workbook the spreadsheet engine's interoperability tests read.

Usage: make_openpyxl_fixture.py OUTPUT.xlsx
"""
import sys

import openpyxl
from openpyxl.workbook.defined_name import DefinedName


def main(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Data"
    ws["A1"] = "品種名称"
    ws["B1"] = "工程名称"
    ws["A2"] = "P-100"
    ws["B2"] = 10.5
    ws["C2"] = "0012"
    ws["D2"] = True
    ws["E2"] = -3.25e-7
    ws["F2"] = "=SUM(B2,1)"
    ws["G2"] = "  spaced  "
    ws["H2"] = "line1\nline2"
    ws["A3"] = 123456789012345678
    ws["B3"] = 0.1 + 0.2
    ws["C3"] = "＝全角"
    ws["A4"] = "ﾛｯﾄ№"
    ws["B4"] = 3
    ws.column_dimensions["A"].width = 24
    ws.merge_cells("A10:B11")
    ws["A10"] = "merged"
    second = wb.create_sheet("Second")
    second["A1"] = "x"
    second["B5"] = 42
    wb.defined_names.append(DefinedName("Values", attr_text="Data!$B$2:$B$4"))
    wb.save(path)


if __name__ == "__main__":
    main(sys.argv[1])
