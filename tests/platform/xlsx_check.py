#!/usr/bin/python3
"""Reads .xlsx files with openpyxl for the workbook-layer tests, and writes
workbooks with it for the reader's tests.

    xlsx_check.py dump FILE   one line per sheet, cell, merge, column and picture
    xlsx_check.py count FILE  per sheet its cells with a value and their texts'
                              length, its first and last cell; the cell formats
    xlsx_check.py make FILE   writes a workbook of several sheets

Pictures are read from the drawing parts directly, so no imaging package is
needed.
"""
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl
from openpyxl.utils import get_column_letter

XDR = "{http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing}"


def colour(c):
    if c is None or c.type != "rgb" or not isinstance(c.rgb, str):
        return "-"
    return c.rgb[-6:]


def dump(path):
    wb = openpyxl.load_workbook(path)
    for si, ws in enumerate(wb.worksheets, 1):
        print(f"sheet {si} {ws.title}")
        for row in ws.iter_rows():
            for c in row:
                if c.value is None and not c.has_style:
                    continue
                f = c.font
                fill = colour(c.fill.fgColor) if c.fill.fill_type == "solid" else "-"
                print(f"cell {si} {c.coordinate} {c.data_type} {c.value!r} bold={int(bool(f.b))} "
                      f"italic={int(bool(f.i))} size={f.sz:g} colour={colour(f.color)} fill={fill} "
                      f"numfmt={c.number_format} halign={c.alignment.horizontal} "
                      f"valign={c.alignment.vertical}")
        for m in sorted(str(r) for r in ws.merged_cells.ranges):
            print(f"merge {si} {m}")
        for letter, d in sorted(ws.column_dimensions.items()):
            if d.customWidth or d.has_style:
                print(f"col {si} {letter} width={d.width:g} numfmt={d.number_format}")
    with zipfile.ZipFile(path) as z:
        for name in sorted(n for n in z.namelist() if n.startswith("xl/drawings/drawing")):
            root = ET.fromstring(z.read(name))
            for anchor in root:
                fr, to = anchor.find(XDR + "from"), anchor.find(XDR + "to")
                ext = anchor.find(f"{XDR}pic/{XDR}spPr/{{http://schemas.openxmlformats.org/drawingml/2006/main}}xfrm/"
                                  "{http://schemas.openxmlformats.org/drawingml/2006/main}ext")
                pr = anchor.find(f"{XDR}pic/{XDR}nvPicPr/{XDR}cNvPr")

                def corner(e):
                    return ",".join(e.find(XDR + k).text for k in ("col", "colOff", "row", "rowOff"))
                print(f"image {name} edit={anchor.get('editAs')} from={corner(fr)} to={corner(to)} "
                      f"ext={ext.get('cx')},{ext.get('cy')} descr={pr.get('descr')!r}")
        for name in sorted(n for n in z.namelist() if n.startswith("xl/media/")):
            print(f"media {name} {len(z.read(name))}")


def count(path):
    """A quick look at a large workbook: read-only, no line per cell."""
    wb = openpyxl.load_workbook(path, read_only=True)
    for si, ws in enumerate(wb.worksheets, 1):
        cells = chars = 0
        first = last = None
        for row in ws.iter_rows():
            for c in row:
                if c.value is None:
                    continue
                cells += 1
                chars += len(str(c.value))
                if first is None:
                    first = (c.coordinate, c.value)
                last = (c.coordinate, c.value)
        print(f"sheet {si} cells={cells} chars={chars} first={first!r} last={last!r}")
    print(f"formats {len(wb._cell_styles)}")
    wb.close()


def make(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Words"
    ws.append(["word", "freq", "share"])
    ws.append(["the", 6187267, 0.0617])
    ws.append(["of", 2941444, 0.0293])
    ws.append(["the", 12, -1.5])  # a repeated text is one shared string
    ws2 = wb.create_sheet("Zweite Seite")
    ws2["A1"] = "Gr\u00fc\u00dfe \u65e5\u672c"
    ws2["C2"] = 1e20
    ws2["B3"] = True
    ws2["A4"] = "tab\there"
    wb.create_sheet("Empty")
    wb.save(path)


def make_dates(path, epoch1904):
    import datetime as dt
    wb = openpyxl.Workbook()
    if epoch1904:
        wb.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904
    ws = wb.active
    ws.append([dt.date(2024, 1, 15), dt.time(13, 45, 30), dt.datetime(2024, 1, 15, 13, 45, 30), 45306, 0.5])
    ws.append([dt.date(1900, 2, 27), dt.date(2024, 2, 29), dt.date(1999, 12, 31), dt.timedelta(hours=30), 1.25])
    for cell, fmt in zip(ws[2], ["dd/mm/yyyy;@", "[$-409]mmmm d, yyyy", "m/d/yy h:mm", "[h]:mm:ss", '[Red]0.00" days"']):
        cell.number_format = fmt
    wb.save(path)


if __name__ == "__main__":
    {"dump": dump, "count": count, "make": make,
     "dates1900": lambda p: make_dates(p, False),
     "dates1904": lambda p: make_dates(p, True)}[sys.argv[1]](sys.argv[2])
