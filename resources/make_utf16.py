#!/usr/bin/env python3
"""Writes a UTF-8 text file as UTF-16LE with a byte-order mark and CR LF line ends, the form
the Windows profile functions read whatever the system's code page.

    make_utf16.py IN OUT

Standard library only."""

import sys


def convert(source, target):
    with open(source, encoding="utf-8-sig", newline="") as file:
        text = file.read()
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    with open(target, "wb") as file:
        file.write(b"\xff\xfe" + text.encode("utf-16-le"))


def main():
    convert(sys.argv[1], sys.argv[2])


if __name__ == "__main__":
    main()
