#!/usr/bin/env python3
"""Writes a workbook in the exchanged sheet layout with openpyxl, as a measuring station's
script would, for the exchange tests.

Usage: make_layout_workbook.py OUTPUT.xlsx [--formulas]
Worksheet "Line1": header fields in row 2 (digits and limits as numbers), headings in row 4,
lots from row 5: "0012" (a text), K002 and K003 with three measurements each, K002's second
one blank. With --formulas the third measurement of each lot is a formula on the first
(=B5*2, ...), whose value only a program that calculates (LibreOffice) stores.
Worksheet "Line2": a second sheet with an empty item name and one lot.
"""
import sys

import openpyxl

LABELS = ["品種名称", "工程名称", "装置名称", "項目名称", "測定単位", "規格種別", "小数点桁", "規格上限", "規格下限"]


def main(path, formulas):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Line1"
    ws.append(LABELS)
    ws.append(["P-100", "Press", "M1", "外径", "mm", "公差規格", 3, 10.5, 9.5])
    ws.append([])
    ws.append(["ﾛｯﾄ№", "N1", "N2", "N3"])
    lots = [("0012", 5.125, 10.25), ("K002", 5.0, None), ("K003", 4.875, 9.75)]
    for i, (lot, first, second) in enumerate(lots):
        row = 5 + i
        ws.cell(row=row, column=1, value=lot)
        ws.cell(row=row, column=2, value=first)
        if second is not None:
            ws.cell(row=row, column=3, value=second)
        ws.cell(row=row, column=4, value=f"=B{row}*2" if formulas else first * 2)
    second = wb.create_sheet("Line2")
    second.append(LABELS)
    second.append(["P-200", "Cut", "M2", None, "mm", "上限規格", 1, 3, None])
    second.append([])
    second.append(["ﾛｯﾄ№", "N1"])
    second.append(["L1", 2.5])
    wb.save(path)


if __name__ == "__main__":
    main(sys.argv[1], "--formulas" in sys.argv[2:])
