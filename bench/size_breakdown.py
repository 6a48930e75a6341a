#!/usr/bin/env python3
"""Where the bytes of an exe go, from the GNU ld link map of its link.

    size_breakdown.py MAP [--objects N]

Sums the input sections of each output section by the library they came
from (our own static libraries, libstdc++, zlib, the mingw runtime, ...) and
prints one row a library: code, read-only data, unwind tables (.pdata and
.xdata), data, and the total. With --objects, the N largest object files
follow, so a growth can be traced to the file that brought it.
"""
import os
import re
import sys
from collections import defaultdict

COLUMNS = ["code", "rodata", "unwind", "data", "total"]

# Output section -> column; sections not listed (import tables, .CRT, .tls,
# relocations, debug) count in the total only. The table entries the build
# drops after the link (leaf functions') still count here.
SECTION_COLUMN = {
    ".text": "code",
    ".rdata": "rodata",
    ".pdata": "unwind",
    ".xdata": "unwind",
    ".data": "data",
    ".bss": "data",
}

OWN_LIBRARIES = re.compile(r"lib(pel_[a-z0-9_]+)\.a\(")


def library_of(path):
    """The row an input file counts under."""
    if path.endswith(".res)") or path.endswith(".res"):
        return "resources"
    if "CMakeFiles/" in path and ".dir/objects.a(" in path:
        return "own: " + path.split("CMakeFiles/")[1].split(".dir/")[0]
    own = OWN_LIBRARIES.search(path)
    if own:
        return "own: " + own.group(1)
    base = os.path.basename(path.split("(")[0])
    # Whole-program optimisation compiles the program's own code and zlib as
    # one object, named anew by every link.
    if base.endswith(".ltrans.o"):
        return "own code and zlib, optimised as one"
    if base in ("libz.a", "libpel_zlib.a"):
        return "zlib"
    if base.startswith("lib") and base.endswith(".a"):
        name = base[3:-2]
        # Import libraries of system DLLs: thunks and name tables only.
        if name in ("kernel32", "user32", "gdi32", "comctl32", "comdlg32", "ole32", "oleaut32",
                    "shell32", "advapi32", "uuid", "msvcrt", "ucrt", "ucrtbase", "shlwapi",
                    "version", "mpr"):
            return "imports: " + name
        return name
    if base.endswith(".o") or base.endswith(".obj"):
        return "crt startup"
    return base or "linker"


def parse(map_path):
    rows = defaultdict(lambda: defaultdict(int))
    objects = defaultdict(int)
    in_memory_map = False
    output_section = None
    pending = None  # an input section name whose address and size wrap to the next line
    entry = re.compile(r"^\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)\s+(\S.*)$")
    with open(map_path, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if not in_memory_map:
                in_memory_map = line.startswith("Linker script and memory map")
                continue
            top = re.match(r"^(\.[A-Za-z0-9_$.]+)\s", line)
            if top or re.match(r"^\.[A-Za-z0-9_$.]+$", line):
                output_section = line.split()[0]
                pending = None
                continue
            if output_section is None:
                continue
            head = re.match(r"^ (\.[^\s]+|COMMON)(.*)$", line)
            rest = None
            if head:
                rest = head.group(2)
                input_section = head.group(1)
                if not rest.strip():
                    pending = head.group(1)
                    continue
            elif pending is not None:
                rest = line
                input_section = pending
            pending = None
            if rest is None:
                continue
            m = entry.match(rest)
            if not m:
                continue
            size = int(m.group(2), 16)
            path = m.group(3).strip()
            if size == 0 or path in ("dll stuff", "linker stubs"):
                if path == "dll stuff":
                    rows["linker"]["total"] += size
                continue
            lib = library_of(path)
            # Unwind data shares .rdata with the read-only data; its input
            # sections keep their names.
            column = "unwind" if input_section.startswith((".pdata", ".xdata")) else \
                SECTION_COLUMN.get(output_section)
            if column:
                rows[lib][column] += size
            rows[lib]["total"] += size
            objects[path] += size
    return rows, objects


def main():
    args = sys.argv[1:]
    if not args:
        sys.exit(__doc__)
    objects_wanted = 0
    if "--objects" in args:
        i = args.index("--objects")
        objects_wanted = int(args[i + 1])
        del args[i:i + 2]
    rows, objects = parse(args[0])
    width = max(len(k) for k in rows) if rows else 10
    print(f"{'library':<{width}} " + " ".join(f"{c:>8}" for c in COLUMNS))
    sums = defaultdict(int)
    for lib, cols in sorted(rows.items(), key=lambda kv: -kv[1]["total"]):
        print(f"{lib:<{width}} " + " ".join(f"{cols[c]:>8}" for c in COLUMNS))
        for c in COLUMNS:
            sums[c] += cols[c]
    print(f"{'all':<{width}} " + " ".join(f"{sums[c]:>8}" for c in COLUMNS))
    if objects_wanted:
        print()
        for path, size in sorted(objects.items(), key=lambda kv: -kv[1])[:objects_wanted]:
            print(f"{size:>8} {path.split('/')[-1]}")


if __name__ == "__main__":
    main()
