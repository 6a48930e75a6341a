#!/usr/bin/env python3
# Crafts store files for the limit tests: a store at the 2 GiB limit (sparse), and zlib bombs.
import struct
import sys
import zlib

MAGIC = b"pldb1" + b"x" * 32 + b"\n"


def record(kind, payload, compressed=False, uncompressed=None, positions=()):
    flags = kind | (1 << 24 if compressed else 0)
    body = struct.pack("<iii", flags, len(payload), len(payload) if uncompressed is None else uncompressed)
    body += payload + b"".join(struct.pack("<i", p) for p in positions)
    return body


def write_store(path, records, filler_end=None, tail=0):
    """records: (name, body) data records after the root block, then the root
    index listing them; with filler_end, an empty record "filler" after the
    root index whose block reaches to filler_end (sparse)."""
    names = [n for n, _ in records] + (["filler"] if filler_end else [])
    at = 54
    placed = []
    positions = {}
    for name, body in records:
        positions[name] = at + 4
        placed.append((at, 4 + len(body), body))
        at += 4 + len(body)
    text = b"".join(n.encode("latin-1") + b"\r\n" for n in names) + b"\0"
    root_pos = at + 4
    root_len = 4 + 12 + len(text) + 4 * len(names)
    if filler_end:
        positions["filler"] = at + root_len + 4
    root = record(1, text, positions=[positions[n] for n in names])
    placed.append((at, 4 + len(root), root))
    at += 4 + len(root)
    if filler_end:
        length = filler_end - at
        length -= (length - 16) % 4  # the room past an empty payload is whole positions
        placed.append((at, length, record(2, b"")))
        at += length
    with open(path, "wb") as f:
        f.write(MAGIC + struct.pack("<ii", 50, at))
        f.write(struct.pack("<ii", 8, root_pos))
        for start, length, body in placed:
            f.seek(start)
            f.write(struct.pack("<i", length) + body)
        f.seek(at)
        f.write(struct.pack("<i", 0))
        if tail:
            f.truncate(at + 4 + tail)


def bomb(size):
    """A zlib stream of size line feeds, made in well under a second: one
    16 MiB chunk deflated once and repeated (each ends in a full flush, so the
    copies are alike), the Adler-32 of the whole worked out arithmetically."""
    chunk = 1 << 24
    z = zlib.compressobj(9, zlib.DEFLATED, -15)
    first = z.compress(b"\n" * chunk) + z.flush(zlib.Z_FULL_FLUSH)
    again = z.compress(b"\n" * chunk) + z.flush(zlib.Z_FULL_FLUSH)
    count, rest = divmod(size, chunk)
    body = [first] + [again] * (count - 1) if count else []
    if rest:
        body.append(z.compress(b"\n" * rest) + z.flush(zlib.Z_FULL_FLUSH))
    body.append(z.flush(zlib.Z_FINISH))
    a = (1 + size * 10) % 65521
    b = (size + 10 * size * (size + 1) // 2) % 65521
    return b"\x78\xda" + b"".join(body) + struct.pack(">I", (b << 16) | a)


def main():
    kind, path = sys.argv[1], sys.argv[2]
    if kind == "at-limit":
        # "A" small and raw; the root index last, stretched to 400 bytes short of 2 GiB.
        a = record(2, b"old text of A, sixty bytes or so, raw and uncompressed....\r\n")
        write_store(path, [("A", a)], filler_end=0x7FFFFFFF - 400)
    elif kind == "tail":
        a = record(2, b"Version=1\r\n")
        write_store(path, [("Initialization", a)], tail=int(sys.argv[3]))
    elif kind == "data-bomb":
        a = record(2, b"Version=1\r\n")
        b = record(2, bomb(int(sys.argv[3])), compressed=True, uncompressed=0x7FFFFFFF)
        write_store(path, [("Initialization", a), ("bomb", b)])
    elif kind == "settings-bomb":
        b = record(2, bomb(int(sys.argv[3])), compressed=True, uncompressed=0x7FFFFFFF)
        write_store(path, [("Initialization", b)])
    else:
        sys.exit("unknown kind " + kind)


main()
