"""The headers of a 64-bit Windows image, as the build's steps and checks on the
shipped exe read them: sections, data directories and unwind data."""
import struct

IMAGE_SCN_MEM_EXECUTE = 0x20000000
EXCEPTION_DIRECTORY, SECURITY_DIRECTORY, DEBUG_DIRECTORY = 3, 4, 6


class PeImage:
    """Offsets into image (bytes or bytearray); raises ValueError on what is not a 64-bit PE."""

    def __init__(self, image):
        self.image = image
        self.pe, = struct.unpack_from("<I", image, 0x3C)
        if image[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections_count, = struct.unpack_from("<H", image, self.pe + 6)
        optional_size, = struct.unpack_from("<H", image, self.pe + 20)
        self.optional = self.pe + 24
        if struct.unpack_from("<H", image, self.optional)[0] != 0x20B:
            raise ValueError("not a 64-bit image")
        self.file_alignment, = struct.unpack_from("<I", image, self.optional + 36)
        self.image_size, = struct.unpack_from("<I", image, self.optional + 56)
        self.directories = self.optional + 112
        self.sections = []
        for i in range(sections_count):
            at = self.optional + optional_size + 40 * i
            virtual_size, rva, raw_size, raw_at = struct.unpack_from("<IIII", image, at + 8)
            flags, = struct.unpack_from("<I", image, at + 36)
            self.sections.append({"at": at, "name": image[at:at + 8].rstrip(b"\0").decode(),
                                  "virtual_size": virtual_size, "rva": rva, "raw_size": raw_size,
                                  "raw_at": raw_at, "flags": flags})

    def directory(self, index):
        """The data directory's (rva, size)."""
        return struct.unpack_from("<II", self.image, self.directories + 8 * index)

    def file_offset(self, rva, length=1):
        """Where length bytes at rva lie in the file; None when not all of them are there."""
        for s in self.sections:
            if s["rva"] <= rva < s["rva"] + max(s["virtual_size"], s["raw_size"]):
                return s["raw_at"] + rva - s["rva"] if rva - s["rva"] + length <= s["raw_size"] else None
        return None


def is_leaf_unwind(header):
    """The first four bytes of a function's unwind data say it saves no register, moves no
    stack pointer, sets no frame register and has no handler: a leaf, which needs no entry."""
    version_flags, prolog, codes, frame = header
    return version_flags == 1 and prolog == 0 and codes == 0 and frame == 0
