#!/usr/bin/env python3
"""Writes the table names are compared by: for every UTF-16 unit, its upper
case as the file system has it. That is Unicode's simple uppercase mapping
(field 12 of UnicodeData.txt), kept only where the upper case lies in the BMP
and has the unit as its own simple lowercase (field 13): Windows' upcase
table holds case pairs only, so final sigma, dotless i, long s, micro sign,
titlecase letters and the like stay as they are (measured against
CompareStringOrdinal by the Windows unit tests). The table is two-level: an
index of 256 pages, and the pages that hold a mapping, as differences from
the unit (modulo 2^16).

The table is committed (platform/upper_case_table.inc), so building needs
neither Python nor the database; the output is byte for byte the same on
every run, and a test regenerates it where the database is installed.

    make_case_table.py UnicodeData.txt platform/upper_case_table.inc
    make_case_table.py --check UnicodeData.txt platform/upper_case_table.inc
        exit 0 when the committed table is what the database gives, 1 when
        it differs, 77 (a skip to CTest) when there is no UnicodeData.txt
"""
import io
import os
import sys

SKIPPED = 77


def read_upper(path):
    upper = {}
    lower = {}
    with open(path, encoding="utf-8") as data:
        for line in data:
            fields = line.rstrip("\n").split(";")
            if len(fields) < 14:
                continue
            unit = int(fields[0], 16)
            if fields[12]:
                upper[unit] = int(fields[12], 16)
            if fields[13]:
                lower[unit] = int(fields[13], 16)
    return {unit: mapped for unit, mapped in upper.items()
            if unit <= 0xFFFF and mapped <= 0xFFFF and lower.get(mapped) == unit}


def write_table(upper, out):
    pages = []
    index = []
    for page in range(256):
        deltas = [(upper.get(page * 256 + low, page * 256 + low) - (page * 256 + low)) & 0xFFFF
                  for low in range(256)]
        if not any(deltas):
            index.append(0)
            continue
        if deltas in pages:
            index.append(pages.index(deltas) + 1)
        else:
            pages.append(deltas)
            index.append(len(pages))
    out.write("// Made by tools/make_case_table.py from the Unicode Character Database's\n")
    out.write("// UnicodeData.txt; do not edit (a test regenerates and compares it).\n")
    out.write(f"// {len(upper)} units of the BMP have an upper case of their own.\n")
    out.write("constexpr unsigned char kUpperPageOf[256] = {\n")
    for row in range(0, 256, 16):
        out.write("    " + ", ".join(str(i) for i in index[row:row + 16]) + ",\n")
    out.write("};\n")
    out.write(f"constexpr char16_t kUpperDelta[{len(pages) + 1}][256] = {{\n    {{}},\n")
    for deltas in pages:
        out.write("    {\n")
        for row in range(0, 256, 8):
            out.write("        " + ", ".join(f"0x{d:04X}" for d in deltas[row:row + 8]) + ",\n")
        out.write("    },\n")
    out.write("};\n")


def table_text(unicode_data):
    text = io.StringIO(newline="\n")
    write_table(read_upper(unicode_data), text)
    return text.getvalue()


def check(unicode_data, committed):
    if not os.path.isfile(unicode_data):
        print(f"skipped: no UnicodeData.txt at {unicode_data} (Debian: unicode-data); "
              f"the committed {committed} is built as it is")
        return SKIPPED
    with open(committed, encoding="utf-8", newline="") as table:
        if table.read() == table_text(unicode_data):
            print(f"{committed} is what {unicode_data} gives")
            return 0
    print(f"{committed} differs from what {unicode_data} gives: run\n"
          f"    python3 tools/make_case_table.py {unicode_data} {committed}\n"
          f"if the new Unicode version is meant, and commit the table")
    return 1


def main():
    args = sys.argv[1:]
    if len(args) == 3 and args[0] == "--check":
        sys.exit(check(args[1], args[2]))
    if len(args) != 2:
        sys.exit(__doc__)
    text = table_text(args[0])
    with open(args[1], "w", encoding="utf-8", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    main()
