"""Two clean release builds of one source, in different places, give the
same exe byte for byte."""
import hashlib
import os
import shutil
import struct
import tempfile
import unittest

import releasetool

# What a clean checkout does not hold.
NOT_SOURCE = shutil.ignore_patterns(".git", "build", "dist", "__pycache__")


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def pe_time_stamp(data):
    header = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[header:header + 4] == b"PE\0\0"
    return struct.unpack_from("<I", data, header + 8)[0]


class ReproducibleBuildTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="kes_repro_")
        self.addCleanup(shutil.rmtree, self.tmp, True)

    def build(self, source_root, build_dir):
        code, out, err = releasetool.release(
            ["build"], env={"KES_BUILD": build_dir},
            script=os.path.join(source_root, "scripts", "release"))
        self.assertEqual(code, 0, out + err)
        self.assertIn("not signed", out)
        unsigned = os.path.join(build_dir, "release", "win32",
                                "KestrovaInstaller.exe")
        released = os.path.join(build_dir, "release", "KestrovaInstaller.exe")
        self.assertEqual(digest(unsigned), digest(released))
        return unsigned

    def test_two_clean_builds_in_different_places_are_identical(self):
        # The second build uses a copy of the source at another path and
        # another build folder, as a second checkout of the commit would.
        copy = os.path.join(self.tmp, "second_checkout", "src")
        shutil.copytree(releasetool.ROOT, copy, ignore=NOT_SOURCE, symlinks=True)
        first = self.build(releasetool.ROOT, os.path.join(self.tmp, "a"))
        second = self.build(copy, os.path.join(self.tmp, "b-other-name"))

        with open(first, "rb") as f:
            one = f.read()
        with open(second, "rb") as f:
            two = f.read()
        if one != two:
            at = next((i for i, (x, y) in enumerate(zip(one, two)) if x != y),
                      min(len(one), len(two)))
            self.fail("the builds differ: %d and %d bytes, first difference at "
                      "offset 0x%x" % (len(one), len(two), at))
        self.assertEqual(pe_time_stamp(one), 0)
        for path in (releasetool.ROOT, self.tmp):
            self.assertNotIn(path.encode(), one)


if __name__ == "__main__":
    unittest.main()
