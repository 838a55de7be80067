#!/usr/bin/env python3
"""Writes a UTF-8 text file as UTF-16LE with CRLF line ends and, unless
--no-bom is given, a byte-order mark: the form in which the library stores
its dialog documents.
Usage: to-utf16.py [--no-bom] IN OUT"""
import sys

args = sys.argv[1:]
mark = b"\xff\xfe"
if args[0] == "--no-bom":
    mark = b""
    args = args[1:]
with open(args[0], encoding="utf-8") as source:
    text = source.read()
with open(args[1], "wb") as target:
    target.write(mark + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-16-le"))
