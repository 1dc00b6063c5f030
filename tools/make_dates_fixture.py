#!/usr/bin/env python3
"""Writes the same dates twice for the spreadsheet engine's tests: serial.xlsx stores them as day
numbers with date formats, iso.xlsx as ISO 8601 date cells.

Usage: make_dates_fixture.py OUTPUT_FOLDER
"""
import datetime
import os
import sys

import openpyxl


def write(path, iso):
    wb = openpyxl.Workbook()
    wb.iso_dates = iso
    ws = wb.active
    ws.title = "Dates"
    ws["A1"] = datetime.datetime(2024, 1, 15, 13, 30)
    ws["A2"] = datetime.date(2024, 1, 15)
    ws["A3"] = datetime.time(13, 30)
    ws["A4"] = datetime.datetime(1900, 1, 15)
    ws["B1"] = "2024-01-15"
    wb.save(path)


def main(folder):
    write(os.path.join(folder, "serial.xlsx"), False)
    write(os.path.join(folder, "iso.xlsx"), True)


if __name__ == "__main__":
    main(sys.argv[1])
