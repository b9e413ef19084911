#!/usr/bin/python3
"""Reads an exported result file with Python's own readers and prints what it holds as JSON,
so that the tests compare what an independent reader sees with what was written.

usage: read_back.py FORMAT FILE
  csv, tsv     a list of blocks (parted by empty lines), each a list of rows
  json         the document as it is
  ndjson       a list of the lines' objects
  html         a list of tables, each a list of rows of [text, is-null] cells
  sql          the rows that the statements insert into a fresh SQLite table, NULL as null
  xlsx         {"sheets": names, "cells": {name: rows}} with an empty cell as null
"""
import csv
import html.parser
import json
import re
import sqlite3
import sys


def blocks(rows):
    out, block = [], []
    for row in rows:
        if row:
            block.append(row)
        elif block:
            out.append(block)
            block = []
    if block:
        out.append(block)
    return out


def read_csv(path, delimiter):
    with open(path, newline="", encoding="utf-8") as f:
        if delimiter == "\t":
            return blocks(csv.reader(f, delimiter="\t", quoting=csv.QUOTE_NONE))
        return blocks(csv.reader(f, strict=True))


class Tables(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tables, self.cell = [], None

    def handle_starttag(self, tag, attrs):
        if tag == "table":
            self.tables.append([])
        elif tag == "tr":
            self.tables[-1].append([])
        elif tag in ("td", "th"):
            self.cell = ["", ("class", "null") in attrs]
        elif tag == "br" and self.cell is not None:
            self.cell[0] += "\n"

    def handle_endtag(self, tag):
        if tag in ("td", "th"):
            self.tables[-1][-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell[0] += data


def read_sql(path):
    with open(path, newline="", encoding="utf-8") as f:
        script = f.read()
    db = sqlite3.connect(":memory:")
    first = script.split("(", 1)[1].split(")", 1)[0]
    table = script.split("INSERT INTO ", 1)[1].split(" ", 1)[0]
    db.execute("CREATE TABLE %s (%s)" % (table, first))
    db.executescript(script)
    return [list(row) for row in db.execute("SELECT * FROM %s ORDER BY rowid" % table)]


def unescape_xlsx(value):
    # Characters that XML cannot hold as they are stand in a cell as _xHHHH_, which the
    # spreadsheet reads back as the character.
    if not isinstance(value, str):
        return value
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)


def read_xlsx(path):
    import openpyxl
    book = openpyxl.load_workbook(path, read_only=True)
    cells = {}
    for sheet in book.worksheets:
        cells[sheet.title] = [[unescape_xlsx(c) for c in row]
                              for row in sheet.iter_rows(values_only=True)]
    return {"sheets": book.sheetnames, "cells": cells}


def main():
    kind, path = sys.argv[1], sys.argv[2]
    if kind in ("csv", "tsv"):
        result = read_csv(path, "," if kind == "csv" else "\t")
    elif kind == "json":
        with open(path, newline="", encoding="utf-8") as f:
            result = json.load(f)
    elif kind == "ndjson":
        with open(path, newline="", encoding="utf-8") as f:
            result = [json.loads(line) for line in f]
    elif kind == "html":
        parser = Tables()
        with open(path, newline="", encoding="utf-8") as f:
            parser.feed(f.read())
        result = parser.tables
    elif kind == "sql":
        result = read_sql(path)
    elif kind == "xlsx":
        result = read_xlsx(path)
    else:
        sys.exit("unknown format " + kind)
    json.dump(result, sys.stdout, ensure_ascii=True)


main()
