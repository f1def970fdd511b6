#!/usr/bin/env python3
"""Writes a version-information block in the old 16-bit layout, whose keys
and values are single-byte text: the company name holds an "é" in the
Western legacy code page (byte 0xE9).

Each entry: total length and value length (16 bits each), the key and its
NUL, zero bytes up to a 4-byte boundary, the value, then its children, each
starting on a 4-byte boundary.

Usage: legacy_version.py <output file>"""
import struct
import sys


def pad(data):
    return data + b"\0" * (-len(data) % 4)


def entry(key, value=b"", children=(), value_length=None):
    body = pad(struct.pack("<HH", 0, 0) + key + b"\0") + value
    for child in children:
        body = pad(body) + child
    length = len(value) if value_length is None else value_length
    return struct.pack("<HH", len(body), length) + body[4:]


def string(key, text):
    return entry(key, text + b"\0")


FIXED = struct.pack("<13I", 0xFEEF04BD, 0x00010000, 0x00010006, 0, 0x00010006, 0, 0x3F, 0, 0x4, 0x2, 0, 0, 0)
BLOCK = entry(b"VS_VERSION_INFO", FIXED, [
    entry(b"StringFileInfo", children=[
        entry(b"040904E4", children=[
            string(b"CompanyName", "Société Kalvex".encode("cp1252")),
            string(b"ProductVersion", b"1.6.0.0"),
        ]),
    ]),
])

with open(sys.argv[1], "wb") as out:
    out.write(BLOCK)
