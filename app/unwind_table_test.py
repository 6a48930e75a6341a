#!/usr/bin/env python3
"""The shipped exe's function table (the exception directory) is whole.

    unwind_table_test.py EXE

Its build prunes the tables of functions nothing calls; a table entry left for
code that is gone, or a function left without its entry, would break the
unwinding of every exception thrown through it. Checks that the directory is
the .pdata section, that its entries are sorted and do not overlap, that each
covers code inside an executable section and names unwind data inside the
image, that no entry is a leaf function's (the build drops those), and that
what is left is still most of the program's functions.
"""
import struct
import sys

IMAGE_SCN_MEM_EXECUTE = 0x20000000


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def unwind_header(image, sections, rva):
    """Version, flags, prologue size and code count, frame register and offset."""
    for name, start, size, raw_at, _ in sections:
        if start <= rva < start + size:
            b0, prolog, codes, frame = image[raw_at + rva - start:raw_at + rva - start + 4]
            return (b0 & 7, b0 >> 3, prolog + codes, frame)
    return None


def main(path):
    with open(path, "rb") as f:
        image = f.read()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        fail(path + " is not a PE file")
    sections_count, = struct.unpack_from("<H", image, pe + 6)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    optional = pe + 24
    if struct.unpack_from("<H", image, optional)[0] != 0x20B:
        fail("not a 64-bit image")
    image_size, = struct.unpack_from("<I", image, optional + 56)
    exception_rva, exception_size = struct.unpack_from("<II", image, optional + 112 + 3 * 8)
    sections = []
    for i in range(sections_count):
        at = optional + optional_size + 40 * i
        name = image[at:at + 8].rstrip(b"\0").decode()
        virtual_size, rva, raw_size, raw_at = struct.unpack_from("<IIII", image, at + 8)
        flags, = struct.unpack_from("<I", image, at + 36)
        sections.append((name, rva, virtual_size, raw_at, flags))

    pdata = [s for s in sections if s[0] == ".pdata"]
    if not pdata:
        fail("no .pdata section")
    name, rva, size, raw_at, _ = pdata[0]
    if exception_rva != rva or exception_size == 0 or exception_size > size or exception_size % 12:
        fail("the exception directory (%#x, %d) is not the .pdata section (%#x, %d)"
             % (exception_rva, exception_size, rva, size))
    code = [(s[1], s[1] + s[2]) for s in sections if s[4] & IMAGE_SCN_MEM_EXECUTE]

    entries = exception_size // 12
    previous_end = 0
    for i in range(entries):
        begin, end, unwind = struct.unpack_from("<III", image, raw_at + 12 * i)
        where = "entry %d (%#x-%#x)" % (i, begin, end)
        if begin >= end:
            fail(where + " is empty or reversed")
        if begin < previous_end:
            fail(where + " is out of order or overlaps the one before")
        if not any(lo <= begin and end <= hi for lo, hi in code):
            fail(where + " is not inside the code")
        if not 0 < (unwind & ~1) < image_size:
            fail(where + " names unwind data outside the image")
        if unwind_header(image, sections, unwind) == (1, 0, 0, 0):
            fail(where + " is a leaf function's, which needs none")
        previous_end = end
    if entries < 500:
        fail("only %d functions have a table entry" % entries)
    print("%d function table entries, sorted, all inside the code" % entries)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        fail("usage: unwind_table_test.py EXE")
    main(sys.argv[1])
