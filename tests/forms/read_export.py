#!/usr/bin/env python3
"""Reads a user-form export with Python's own CSV reader (";" separated) and
prints its rows as JSON, each field stripped of the blanks that right-align
it, so a test can compare what a spreadsheet would see."""
import csv
import json
import sys

with open(sys.argv[1], newline="", encoding="utf-8") as f:
    rows = [[field.strip() for field in row] for row in csv.reader(f, delimiter=";")]
print(json.dumps(rows))
