#!/usr/bin/env python3
"""Writes the workbook the spreadsheet engine's legacy-format tests convert to .xls with LibreOffice:
formulas with number, text, boolean and error results, boolean and error values, dates and
number formats.

Usage: make_legacy_fixture.py OUTPUT.xlsx
"""
import datetime
import sys

import openpyxl


def main(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "計算"
    ws["A1"] = 2
    ws["B1"] = "=A1*2"
    ws["C1"] = True
    ws["D1"] = False
    ws["E1"] = '=IF(A1>1,"大","小")'
    ws["F1"] = "=1/0"
    ws["G1"] = '=""'
    ws["H1"] = "=SUM(A1:B1)/3"
    ws["A2"] = 10.5
    ws["A2"].number_format = "0.000"
    ws["B2"] = 0.25
    ws["B2"].number_format = "0.00%"
    ws["C2"] = datetime.datetime(2024, 1, 15, 13, 30)
    ws["C2"].number_format = "yyyy-mm-dd hh:mm:ss"
    ws["D2"] = datetime.date(2024, 1, 15)
    ws["D2"].number_format = "yyyy/m/d"
    ws["E2"] = 1234.5
    ws["E2"].number_format = "#,##0.00"
    ws["F2"] = "=A2*2"
    ws["F2"].number_format = "0.0"
    ws["G2"].number_format = "0.000"  # formatted, no value
    ws["A3"] = "ﾛｯﾄ№"
    ws["B3"] = "=A3&\"-1\""
    second = wb.create_sheet("Second")
    second["A1"] = "=計算!A1+40"
    second["B1"] = -3.25e-7
    wb.save(path)


if __name__ == "__main__":
    main(sys.argv[1])
