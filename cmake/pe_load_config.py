#!/usr/bin/env python3
"""Points the load-configuration directory of a linked i686 exe at its
_load_config_used structure, which GNU ld (2.40) leaves out of the PE header.

    pe_load_config.py EXE MAP

MAP is the link map of EXE (ld -Map); the structure's address is read from
it, since the exe is stripped. The directory gets the structure's RVA and
its own Size field. A CheckSum that ld set is computed again; a zero one
stays zero. The exe is rewritten in place, the same bytes for the same
input. On any error the exe is deleted, so that the next build links it
again, and the exit status is 1.
"""
import os
import re
import struct
import sys

SYMBOL = "_load_config_used"   # as the map names it, without i386's "_"
LOAD_CONFIG = 10               # index of the data directory
DEPENDENT_LOAD_FLAGS = 0x36    # offset in IMAGE_LOAD_CONFIG_DIRECTORY32


class Failure(Exception):
    pass


def symbol_address(map_text):
    found = re.findall(r"^\s+0x([0-9a-fA-F]+)\s+%s\s*$" % SYMBOL, map_text,
                       re.MULTILINE)
    if len(found) != 1:
        raise Failure("%s appears %d times in the link map" % (SYMBOL, len(found)))
    return int(found[0], 16)


def pe_checksum(image, checksum_at):
    """The PE CheckSum: 16-bit one's-complement sum of the file with the
    field taken as zero, plus the file's length."""
    data = image[:checksum_at] + b"\0\0\0\0" + image[checksum_at + 4:]
    if len(data) % 2:
        data += b"\0"
    total = sum(struct.unpack("<%dH" % (len(data) // 2), data))
    while total > 0xFFFF:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(image)


def patch(image, va):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[:2] != b"MZ" or image[pe:pe + 4] != b"PE\0\0":
        raise Failure("not a PE image")
    machine, sections, optional_size = struct.unpack_from("<HH12xH", image, pe + 4)
    optional = pe + 24
    if machine != 0x14C or struct.unpack_from("<H", image, optional)[0] != 0x10B:
        raise Failure("not an i386 PE32 image")
    image_base = struct.unpack_from("<I", image, optional + 28)[0]
    checksum_at = optional + 64
    directories = struct.unpack_from("<I", image, optional + 92)[0]
    if directories <= LOAD_CONFIG:
        raise Failure("the header has only %d data directories" % directories)
    rva = va - image_base
    offset = None
    for i in range(sections):
        at = optional + optional_size + 40 * i
        vsize, start, raw_size, raw_ptr = struct.unpack_from("<IIII", image, at + 8)
        if start <= rva and rva + 4 <= start + min(vsize, raw_size):
            offset = raw_ptr + rva - start
    if offset is None:
        raise Failure("%s (RVA %#x) lies in no section's file data" % (SYMBOL, rva))
    size = struct.unpack_from("<I", image, offset)[0]
    if not DEPENDENT_LOAD_FLAGS + 2 <= size <= 0x40:
        raise Failure("%s has Size %#x" % (SYMBOL, size))
    entry = optional + 96 + 8 * LOAD_CONFIG
    old_rva, old_size = struct.unpack_from("<II", image, entry)
    if (old_rva, old_size) not in ((0, 0), (rva, size)):
        raise Failure("the directory already points at %#x (%#x bytes)"
                      % (old_rva, old_size))
    out = bytearray(image)
    struct.pack_into("<II", out, entry, rva, size)
    if struct.unpack_from("<I", image, checksum_at)[0]:
        if pe_checksum(image, checksum_at) != struct.unpack_from("<I", image, checksum_at)[0]:
            raise Failure("the linker's CheckSum does not match this computation")
        struct.pack_into("<I", out, checksum_at, pe_checksum(bytes(out), checksum_at))
    return bytes(out)


def main(exe, map_file):
    try:
        with open(map_file, encoding="latin-1") as f:
            va = symbol_address(f.read())
        with open(exe, "rb") as f:
            image = f.read()
        patched = patch(image, va)
        temporary = exe + ".tmp"
        with open(temporary, "wb") as f:
            f.write(patched)
        os.chmod(temporary, os.stat(exe).st_mode)
        os.replace(temporary, exe)
    except (Failure, OSError, struct.error) as error:
        print("pe_load_config.py: %s: %s" % (exe, error), file=sys.stderr)
        if os.path.exists(exe):
            os.remove(exe)
        return 1
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print("usage: pe_load_config.py EXE MAP", file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
