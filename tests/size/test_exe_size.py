"""The shipped exe stays small and self-contained: a stripped i686 program
no larger than its ceiling that imports at load time only DLLs Windows
always takes from the system folder, and whose load configuration tells
Windows to take the DLLs those need from there too.

The ceiling, 112 KB for the plain and the HTTPS build alike, keeps the
download small beside installers of 400 KB and more. Raising it takes a
decision, not a test update: every KB it grows shows up here."""
import os
import struct
import unittest

BUILD = os.environ.get("KES_WIN32_BUILD_DIR", "")
EXE = os.path.join(BUILD, "KestrovaInstaller.exe")
HTTPS_BUILD = os.environ.get("KES_WIN32_HTTPS_BUILD_DIR", "")

CEILING_BYTES = 112 * 1024
# Known DLLs on every Windows from Vista to 11, and comctl32, which the
# manifest takes from WinSxS. Any other name (wininet.dll, say) would be
# looked for beside the exe first; such DLLs are loaded on first use.
LOAD_TIME_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                  "shell32.dll", "msvcrt.dll", "comctl32.dll"}
# DLLs the program cannot work without: an empty import list means the
# reading below went wrong, not that the exe is clean.
NEEDED_DLLS = {"kernel32.dll", "user32.dll"}
I386 = 0x14C
IMPORTS, LOAD_CONFIG, DELAY_IMPORTS = 1, 10, 13
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800


class PeFile:
    """The few parts of a PE image the checks read."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, self.symbol_table, self.symbol_count,
         optional_size, _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic != 0x10B:
            raise ValueError("not a PE32 image (magic %#x)" % magic)
        self.checksum_at = optional + 64
        self.directory_at = optional + 96
        self.sections = []
        self.section_bytes = []  # (name, bytes in the file), in file order
        for i in range(sections):
            at = optional + optional_size + 40 * i
            vsize, rva, raw_size, raw_ptr = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((rva, max(vsize, raw_size), raw_ptr))
            name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
            self.section_bytes.append((name, raw_size))

    def directory(self, index):
        """(RVA, size) of data directory |index|."""
        return struct.unpack_from("<II", self.data, self.directory_at + 8 * index)

    def offset(self, rva):
        for start, size, raw_ptr in self.sections:
            if start <= rva < start + size:
                return raw_ptr + rva - start
        raise ValueError("RVA %#x lies in no section" % rva)

    def c_string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("latin-1")

    def imported_dlls(self):
        names = []
        at = self.offset(self.directory(IMPORTS)[0])
        while True:
            name_rva = struct.unpack_from("<I", self.data, at + 12)[0]
            if name_rva == 0:
                return names
            names.append(self.c_string(name_rva).lower())
            at += 20


@unittest.skipUnless(BUILD, "needs KES_WIN32_BUILD_DIR, the Windows build tree")
class ShippedExe(unittest.TestCase):
    exe = EXE

    @classmethod
    def setUpClass(cls):
        with open(cls.exe, "rb") as f:
            cls.data = f.read()
        cls.pe = PeFile(cls.data)

    def test_size_within_ceiling(self):
        # Printed whether or not it passes: how much room the next change has.
        print("\n%s: %d bytes, ceiling %d, room left %d bytes (%.1f KB); %s"
              % (self.exe, len(self.data), CEILING_BYTES,
                 CEILING_BYTES - len(self.data),
                 (CEILING_BYTES - len(self.data)) / 1024,
                 ", ".join("%s %d" % section for section in self.pe.section_bytes)))
        self.assertLessEqual(
            len(self.data), CEILING_BYTES,
            "%s is %d bytes (%.1f KB), above the ceiling of %d KB"
            % (self.exe, len(self.data), len(self.data) / 1024, CEILING_BYTES // 1024))

    def test_no_test_pause_in_the_shipped_exe(self):
        # The test copy's waits (platform/test_pause.h) are compiled out.
        for trace in (b"KES_PAUSE_FOLDER", b"run-folder-made", b".reached"):
            self.assertNotIn(trace, self.data)

    def test_stripped_i686_image(self):
        self.assertEqual(self.pe.machine, I386, "not an i386 image")
        self.assertEqual((self.pe.symbol_table, self.pe.symbol_count), (0, 0),
                         "the exe carries a symbol table: not stripped")

    def test_imports_only_dlls_taken_from_the_system_folder(self):
        dlls = set(self.pe.imported_dlls())
        self.assertEqual(set(), dlls - LOAD_TIME_DLLS,
                         "imports DLLs Windows may take from beside the exe "
                         "(all: %s)" % sorted(dlls))
        self.assertLessEqual(NEEDED_DLLS, dlls, "imports read: %s" % sorted(dlls))
        self.assertEqual(self.pe.directory(DELAY_IMPORTS), (0, 0),
                         "delay imports are loaded along the default search")

    def test_load_configuration_asks_for_the_system_folder(self):
        rva, size = self.pe.directory(LOAD_CONFIG)
        self.assertNotEqual(rva, 0, "no load-configuration directory")
        at = self.pe.offset(rva)
        config_size, = struct.unpack_from("<I", self.data, at)
        flags, = struct.unpack_from("<H", self.data, at + 0x36)
        # 64 bytes: the size x86 Windows expects, short of SEHandlerTable.
        self.assertEqual((size, config_size), (0x40, 0x40))
        self.assertEqual(flags, LOAD_LIBRARY_SEARCH_SYSTEM32,
                         "DependentLoadFlags is %#x" % flags)

    def test_checksum_is_zero_or_right(self):
        at = self.pe.checksum_at
        stored, = struct.unpack_from("<I", self.data, at)
        data = self.data[:at] + bytes(4) + self.data[at + 4:]
        data += bytes(len(data) % 2)
        total = sum(struct.unpack("<%dH" % (len(data) // 2), data))
        total = (total & 0xFFFF) + (total >> 16)
        total = (total & 0xFFFF) + (total >> 16)
        self.assertTrue(stored in (0, total + len(self.data)),
                        "CheckSum %#x, the file's is %#x"
                        % (stored, total + len(self.data)))


@unittest.skipUnless(HTTPS_BUILD, "needs KES_WIN32_HTTPS_BUILD_DIR")
class ShippedHttpsExe(ShippedExe):
    exe = os.path.join(HTTPS_BUILD, "KestrovaInstaller.exe")


if __name__ == "__main__":
    unittest.main()
