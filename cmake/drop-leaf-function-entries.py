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


def fail(message):
    print("drop-leaf-function-entries: " + message, file=sys.stderr)
    sys.exit(1)


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def pe_checksum(image, checksum_at):
    total = 0
    data = image + (b"\0" if len(image) % 2 else b"")
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    # The checksum field itself counts as zero.
    for (word,) in struct.iter_unpack("<H", image[checksum_at:checksum_at + 4]):
        total -= word
        if total < 0:
            total += 0xFFFF
    total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def main(path):
    with open(path, "rb") as f:
        image = bytearray(f.read())
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        fail(path + " is not a PE file")
    sections_count, = struct.unpack_from("<H", image, pe + 6)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    optional = pe + 24
    if struct.unpack_from("<H", image, optional)[0] != 0x20B:
        fail("not a 64-bit image")
    file_alignment, = struct.unpack_from("<I", image, optional + 36)
    directories = optional + 112
    exception_rva, exception_size = struct.unpack_from("<II", image, directories + 3 * 8)
    # File offsets that would have to move with the sections: none in a stripped exe.
    if struct.unpack_from("<II", image, directories + 4 * 8) != (0, 0):
        fail("the image is signed")
    if struct.unpack_from("<II", image, directories + 6 * 8) != (0, 0):
        fail("the image has a debug directory")

    headers = optional + optional_size
    sections = []
    for i in range(sections_count):
        at = headers + 40 * i
        virtual_size, rva, raw_size, raw_at = struct.unpack_from("<IIII", image, at + 8)
        sections.append({"at": at, "name": image[at:at + 8].rstrip(b"\0").decode(),
                         "virtual_size": virtual_size, "rva": rva, "raw_size": raw_size, "raw_at": raw_at})
    table = next((s for s in sections if s["rva"] == exception_rva), None)
    if table is None or table["name"] != ".pdata" or exception_size % 12:
        fail("the exception directory is not a .pdata section")
    last_raw_end = max(s["raw_at"] + s["raw_size"] for s in sections)
    if last_raw_end != len(image):
        fail("data follows the last section")

    def file_offset(rva):
        for s in sections:
            if s["rva"] <= rva < s["rva"] + max(s["virtual_size"], s["raw_size"]):
                if rva - s["rva"] + 4 > s["raw_size"]:
                    fail("unwind data at %#x is not in the file" % rva)
                return s["raw_at"] + rva - s["rva"]
        fail("unwind data at %#x is outside every section" % rva)

    kept = []
    for i in range(exception_size // 12):
        entry = bytes(image[table["raw_at"] + 12 * i:table["raw_at"] + 12 * i + 12])
        unwind, = struct.unpack_from("<I", entry, 8)
        version_flags, prolog, codes, frame = image[file_offset(unwind):file_offset(unwind) + 4]
        if version_flags & 7 != 1:
            fail("unwind data at %#x has version %d" % (unwind, version_flags & 7))
        leaf = version_flags >> 3 == 0 and prolog == 0 and codes == 0 and frame == 0
        if not leaf:
            kept.append(entry)
    dropped = exception_size // 12 - len(kept)

    new_size = 12 * len(kept)
    new_raw_size = align(new_size, file_alignment)
    cut = table["raw_size"] - new_raw_size
    start = table["raw_at"]
    image[start:start + table["raw_size"]] = b"".join(kept) + b"\0" * (new_raw_size - new_size)
    struct.pack_into("<II", image, table["at"] + 8, new_size, table["rva"])
    struct.pack_into("<I", image, table["at"] + 16, new_raw_size)
    for s in sections:
        if s["raw_at"] > table["raw_at"]:
            struct.pack_into("<I", image, s["at"] + 20, s["raw_at"] - cut)
    struct.pack_into("<II", image, directories + 3 * 8, exception_rva, new_size)
    initialized, = struct.unpack_from("<I", image, optional + 8)
    struct.pack_into("<I", image, optional + 8, initialized - cut)
    checksum_at = optional + 64
    if struct.unpack_from("<I", image, checksum_at)[0]:
        struct.pack_into("<I", image, checksum_at, 0)
        struct.pack_into("<I", image, checksum_at, pe_checksum(bytes(image), checksum_at))
    with open(path, "wb") as f:
        f.write(image)
    print("function table: %d leaf entries dropped, %d kept, %d bytes less" % (dropped, len(kept), cut))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        fail("usage: drop-leaf-function-entries.py EXE")
    main(sys.argv[1])
