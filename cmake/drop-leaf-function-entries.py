#!/usr/bin/env python3
"""Drops the function table entries of a 64-bit exe's leaf functions, in place.

    drop-leaf-function-entries.py EXE

The compiler gives every function an entry in the exception directory (.pdata)
with its unwind data. A function that saves no register, moves no stack
pointer, sets no frame register and has no handler needs none: the system's
unwinder takes a function it finds no entry for as exactly that kind of leaf,
whose return address is at the stack pointer. Their entries are 12 bytes each
and a quarter of the table, so the table is compacted (still sorted), the
sections after it move up in the file by the blocks it no longer fills, and
the image's sizes and checksum follow. Addresses in memory do not change; the
unwind data the entries named stays where it is, unused.
"""
import struct
import sys

from pe_image import DEBUG_DIRECTORY, EXCEPTION_DIRECTORY, SECURITY_DIRECTORY, PeImage, is_leaf_unwind


def fail(message):
    print("drop-leaf-function-entries: " + message, file=sys.stderr)
    sys.exit(1)


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def pe_checksum(image):
    """The image's checksum, its own field being zero."""
    total = 0
    data = image + (b"\0" if len(image) % 2 else b"")
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def main(path):
    with open(path, "rb") as f:
        image = bytearray(f.read())
    try:
        pe = PeImage(image)
    except ValueError as e:
        fail("%s: %s" % (path, e))
    exception_rva, exception_size = pe.directory(EXCEPTION_DIRECTORY)
    # File offsets that would have to move with the sections: none in a stripped exe.
    if pe.directory(SECURITY_DIRECTORY) != (0, 0):
        fail("the image is signed")
    if pe.directory(DEBUG_DIRECTORY) != (0, 0):
        fail("the image has a debug directory")
    table = next((s for s in pe.sections if s["rva"] == exception_rva), None)
    if table is None or table["name"] != ".pdata" or exception_size % 12:
        fail("the exception directory is not a .pdata section")
    if max(s["raw_at"] + s["raw_size"] for s in pe.sections) != len(image):
        fail("data follows the last section")

    kept = []
    for i in range(exception_size // 12):
        entry = bytes(image[table["raw_at"] + 12 * i:table["raw_at"] + 12 * i + 12])
        unwind, = struct.unpack_from("<I", entry, 8)
        at = pe.file_offset(unwind, 4)
        if at is None:
            fail("unwind data at %#x is not in the file" % unwind)
        if image[at] & 7 != 1:
            fail("unwind data at %#x has version %d" % (unwind, image[at] & 7))
        if not is_leaf_unwind(image[at:at + 4]):
            kept.append(entry)
    dropped = exception_size // 12 - len(kept)

    new_size = 12 * len(kept)
    new_raw_size = align(new_size, pe.file_alignment)
    cut = table["raw_size"] - new_raw_size
    start = table["raw_at"]
    image[start:start + table["raw_size"]] = b"".join(kept) + b"\0" * (new_raw_size - new_size)
    struct.pack_into("<II", image, table["at"] + 8, new_size, table["rva"])
    struct.pack_into("<I", image, table["at"] + 16, new_raw_size)
    for s in pe.sections:
        if s["raw_at"] > table["raw_at"]:
            struct.pack_into("<I", image, s["at"] + 20, s["raw_at"] - cut)
    struct.pack_into("<II", image, pe.directories + 8 * EXCEPTION_DIRECTORY, exception_rva, new_size)
    initialized, = struct.unpack_from("<I", image, pe.optional + 8)
    struct.pack_into("<I", image, pe.optional + 8, initialized - cut)
    checksum_at = pe.optional + 64
    if struct.unpack_from("<I", image, checksum_at)[0]:
        struct.pack_into("<I", image, checksum_at, 0)
        struct.pack_into("<I", image, checksum_at, pe_checksum(bytes(image)))
    with open(path, "wb") as f:
        f.write(image)
    print("function table: %d leaf entries dropped, %d kept, %d bytes less" % (dropped, len(kept), cut))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        fail("usage: drop-leaf-function-entries.py EXE")
    main(sys.argv[1])
