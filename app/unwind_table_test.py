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
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cmake"))
from pe_image import EXCEPTION_DIRECTORY, IMAGE_SCN_MEM_EXECUTE, PeImage, is_leaf_unwind  # noqa: E402


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def main(path):
    with open(path, "rb") as f:
        image = f.read()
    try:
        pe = PeImage(image)
    except ValueError as e:
        fail("%s: %s" % (path, e))
    image_size = pe.image_size
    exception_rva, exception_size = pe.directory(EXCEPTION_DIRECTORY)
    pdata = next((s for s in pe.sections if s["name"] == ".pdata"), None)
    if pdata is None:
        fail("no .pdata section")
    rva, size, raw_at = pdata["rva"], pdata["virtual_size"], pdata["raw_at"]
    if exception_rva != rva or exception_size == 0 or exception_size > size or exception_size % 12:
        fail("the exception directory (%#x, %d) is not the .pdata section (%#x, %d)"
             % (exception_rva, exception_size, rva, size))
    code = [(s["rva"], s["rva"] + s["virtual_size"]) for s in pe.sections if s["flags"] & IMAGE_SCN_MEM_EXECUTE]

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
        at = pe.file_offset(unwind, 4)
        if at is not None and is_leaf_unwind(image[at:at + 4]):
            fail(where + " is a leaf function's, which needs none")
        previous_end = end
    if entries < 500:
        fail("only %d functions have a table entry" % entries)
    print("%d function table entries, sorted, all inside the code" % entries)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        fail("usage: unwind_table_test.py EXE")
    main(sys.argv[1])
