#!/usr/bin/env python3
"""Version blocks and resources that a careless reader trips over.

  hostile_version.py block <output file> <kind>
      writes a version block in the 32-bit layout (UTF-16 keys and values)
      of one kind:
        lines      a company name whose line breaks forge a product version line
        lines2     a product version whose line break adds a company line
        bidi       a company name that a right-to-left override turns round
        open       the company name last in the block, without its NUL; the
                   lengths end with its last character
        long       a company name of 100,000 wide letters; each length, which
                   has 16 bits, ends no further than the block's 64 KiB
  hostile_version.py size <PE file> <size>
      sets, in place, the size that the file's first version resource's
      directory entry gives it (the resource itself stays as it is)."""
import struct
import sys


def pad(data):
    return data + b"\0" * (-len(data) % 4)


def build(node, at):
    """The bytes of `node` (key, value, value length, type, children) placed
    at offset `at` of the block; no length reaches past its 64 KiB."""
    key, value, value_length, kind, children = node
    data = pad(bytearray(6) + key.encode("utf-16-le") + b"\0\0") + value
    for child in children:
        data = pad(data)
        data += build(child, at + len(data))
    struct.pack_into("<HHH", data, 0, min(len(data), 0xFFFF - at), min(value_length, 0xFFFF), kind)
    return data


def string(key, text, terminated=True):
    value = text.encode("utf-16-le") + (b"\0\0" if terminated else b"")
    return (key, value, len(text) + (1 if terminated else 0), 1, [])


FIXED = struct.pack("<13I", 0xFEEF04BD, 0x00010000, 0x00010000, 0, 0x00010000, 0, 0x3F, 0, 0x40004, 0x2, 0, 0, 0)


def block(strings):
    table = ("040904B0", b"", 0, 1, strings)
    return build(("VS_VERSION_INFO", FIXED, len(FIXED), 0, [("StringFileInfo", b"", 0, 1, [table])]), 0)


FORGED_LINES = "Microsoft Corporation\r\nProduct Version: 10.0.19041.1\r\n\r\n\r\n\r\nEvil"
KINDS = {
    "lines": [string("CompanyName", FORGED_LINES), string("ProductVersion", "5.6.7.8")],
    "lines2": [string("CompanyName", "Kalvex Test Components"),
               string("ProductVersion", "6.1.7601.17514\r\nCompany Name: Microsoft Corporation")],
    "bidi": [string("CompanyName", "\u202Enoitaroproc tfosorciM"), string("ProductVersion", "1.0.0.2")],
    "open": [string("ProductVersion", "1.0.0.3"), string("CompanyName", "Kalvex", terminated=False)],
    "long": [string("ProductVersion", "1.0.0.4"),
             string("CompanyName", "W" * 100000)],
}


def version_entry_offset(data):
    """File offset of the first version resource's data entry."""
    u16 = lambda at: struct.unpack_from("<H", data, at)[0]
    u32 = lambda at: struct.unpack_from("<I", data, at)[0]
    optional = u32(0x3C) + 24
    directories = optional + (96 if u16(optional) == 0x10B else 112)
    rva = u32(directories + 2 * 8)
    sections = optional + u16(u32(0x3C) + 20)
    for i in range(u16(u32(0x3C) + 6)):
        at = sections + 40 * i
        address, raw_size, raw_offset = u32(at + 12), u32(at + 16), u32(at + 20)
        if address <= rva < address + raw_size:
            root = raw_offset + rva - address
            break
    else:
        sys.exit("no section holds the resources")
    node, wanted = 0, 16  # RT_VERSION, then the first name and language
    for level in range(3):
        count = u16(root + node + 12) + u16(root + node + 14)
        entries = [(u32(root + node + 16 + 8 * i), u32(root + node + 20 + 8 * i)) for i in range(count)]
        target = next(t for name, t in entries if wanted is None or name == wanted)
        node, wanted = target & 0x7FFFFFFF, None
    return root + node


def main(argv):
    if argv[1] == "block":
        with open(argv[2], "wb") as out:
            out.write(block(KINDS[argv[3]]))
    elif argv[1] == "size":
        data = bytearray(open(argv[2], "rb").read())
        struct.pack_into("<I", data, version_entry_offset(data) + 4, int(argv[3], 0))
        with open(argv[2], "wb") as out:
            out.write(data)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
