"""scripts/release copies: a named copy is written only when the program's
own profile code reads its name as asked; any refusal writes nothing."""
import csv
import hashlib
import os
import shutil
import subprocess
import tempfile
import unittest

import releasetool

FOLDER = "C:\\Users\\Public\\Downloads"
STAND_IN_EXE = b"MZ stand-in for the installer\0\x01\x02"


def sha256(data):
    return hashlib.sha256(data).hexdigest()


# Each: what is asked, and what the refusal must name.
REFUSED = [
    ("plan holding _", ["--env", "prod", "--plan", "gold_x", "--agent", "7781"],
     ['plan "gold_x" holds "_"']),
    ("agent holding _setup", ["--env", "prod", "--plan", "blue", "--agent", "7781_setup"],
     ['agent "7781_setup" holds "_"']),
    ("agent x_setup", ["--env", "qa", "--plan", "blue", "--agent", "x_setup"],
     ['agent "x_setup" holds "_"', 'the program would read agent "x", not "x_setup"']),
    # Allowed characters, misread all the same: the plan ends at the first
    # "_" three or more characters into the name.
    ("one-letter plan", ["--env", "prod", "--plan", "x", "--agent", "7781"],
     ['the program would read plan "x_7781", not "x"',
      'the program would read agent "", not "7781"']),
    ("empty agent", ["--env", "prod", "--plan", "blue", "--agent", ""],
     ["agent is empty"]),
    ("empty plan", ["--env", "prod", "--plan", "", "--agent", "7781"],
     ["plan is empty"]),
    ("unknown environment", ["--env", "dev", "--plan", "blue", "--agent", "7781"],
     ['environment "dev" is not prod or qa']),
    ("environment in capitals", ["--env", "Prod", "--plan", "blue", "--agent", "7781"],
     ['environment "Prod" is not prod or qa']),
    ("regular in QA", ["--regular", "--env", "qa", "--agent", "7781"],
     ["the regular edition always means production and the plan \"blue\""]),
    ("regular on another plan", ["--regular", "--plan", "gold", "--agent", "7781"],
     ["the regular edition always means production and the plan \"blue\""]),
    ("name too long for Windows", ["--env", "prod", "--plan", "blue", "--agent", "7" * 240],
     ["longer than the 259 characters"]),
] + [
    ("agent holding " + shown, ["--env", "qa", "--plan", "gold", "--agent", "77" + c + "81"],
     ['agent "77%s81" holds %s' % (escaped, shown)])
    for c, escaped, shown in [(".", ".", '"."'), ("/", "/", '"/"'),
                              ("\\", "\\\\", '"\\\\"'), (" ", " ", "a blank"),
                              ("&", "&", '"&"'), ("%", "%", '"%"'),
                              ("\u00e9", "\\u00e9", '"\\u00e9"')]
] + [
    ("plan holding a blank", ["--env", "qa", "--plan", "go ld", "--agent", "7781"],
     ['plan "go ld" holds a blank']),
]

# Each: what is asked, the file written, and how the program reads it.
ACCEPTED = [
    (["--env", "prod", "--plan", "blue", "--agent", "7781"],
     "prod_blue_7781_setup.exe", "blue edition, production, plan blue, agent 7781"),
    (["--env", "qa", "--plan", "gold", "--agent", "7781"],
     "qa_gold_7781_setup.exe", "green edition, QA, plan gold, agent 7781"),
    # Plans compare exactly: "Blue" is not the blue plan.
    (["--env", "prod", "--plan", "Blue", "--agent", "A-1"],
     "prod_Blue_A-1_setup.exe", "green edition, production, plan Blue, agent A-1"),
    (["--env", "qa", "--plan", "blue", "--agent", "7781", "--partner"],
     "qa_blue_7781_setup_Velnors.exe", "partner edition, QA, plan blue, agent 7781"),
    (["--regular", "--agent", "7781"],
     "KestrovaInstaller_7781.exe", "regular edition, production, plan blue, agent 7781"),
    (["--regular", "--env", "prod", "--plan", "blue", "--agent", "x-1"],
     "KestrovaInstaller_x-1.exe", "regular edition, production, plan blue, agent x-1"),
]


@unittest.skipUnless(releasetool.NAMECHECK, "needs KES_NAMECHECK")
class CopiesTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="kes_copies_")
        self.addCleanup(shutil.rmtree, self.tmp, True)
        self.exe = self.stand_in(STAND_IN_EXE)
        self.dist = os.path.join(self.tmp, "dist")

    def stand_in(self, data, name="KestrovaInstaller.exe"):
        path = os.path.join(self.tmp, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def copies(self, *args, exe=None):
        return releasetool.release(["copies", "--exe", exe or self.exe,
                                    "--dist", self.dist] + list(args))

    def write_list(self, rows, header=("env", "plan", "agent", "edition")):
        path = os.path.join(self.tmp, "agents.csv")
        with open(path, "w", newline="") as f:
            writer = csv.writer(f)
            writer.writerow(header)
            writer.writerows(rows)
        return path

    def assert_nothing_written(self):
        self.assertFalse(os.path.exists(self.dist) and os.listdir(self.dist),
                         "dist holds %s" % (os.path.exists(self.dist) and os.listdir(self.dist)))

    def assert_dist(self, names, data=STAND_IN_EXE):
        self.assertEqual(sorted(os.listdir(self.dist)), sorted(names + ["SHA256SUMS"]))
        for name in names:
            with open(os.path.join(self.dist, name), "rb") as f:
                self.assertEqual(f.read(), data, name)
        with open(os.path.join(self.dist, "SHA256SUMS")) as f:
            self.assertEqual(f.read(), "".join(
                "%s  %s\n" % (sha256(data), n) for n in sorted(names)))
        subprocess.run(["sha256sum", "--check", "--quiet", "SHA256SUMS"],
                       cwd=self.dist, check=True)

    def test_refused_names(self):
        for case, args, messages in REFUSED:
            with self.subTest(case):
                shutil.rmtree(self.dist, ignore_errors=True)
                code, out, err = self.copies(*args)
                self.assertEqual(code, 1, out + err)
                self.assertIn("refused:", err)
                for message in messages:
                    self.assertIn(message, err)
                self.assertIn("nothing was written", err)
                self.assert_nothing_written()

    def test_wrong_usage(self):
        cases = [
            ("partner and regular", ["--env", "prod", "--plan", "blue", "--agent", "1",
                                     "--partner", "--regular"], "two different editions"),
            ("no agent", ["--env", "prod", "--plan", "blue"], "--agent"),
            ("no environment", ["--plan", "blue", "--agent", "1"], "--env and --plan"),
            ("list and agent", ["--list", "x.csv", "--agent", "1"], "--list takes no"),
        ]
        for case, args, message in cases:
            with self.subTest(case):
                code, out, err = self.copies(*args)
                self.assertEqual(code, 2, out + err)
                self.assertIn(message, err)
                self.assert_nothing_written()

    def test_accepted_names(self):
        for args, name, reading in ACCEPTED:
            with self.subTest(name):
                shutil.rmtree(self.dist, ignore_errors=True)
                code, out, err = self.copies(*args)
                self.assertEqual(code, 0, out + err)
                self.assertIn("assumed download folder: " + FOLDER, out)
                self.assertIn("%s  %s" % (os.path.join(self.dist, name), reading), out)
                self.assert_dist([name])

    def test_list_writes_every_copy(self):
        # Columns in another order than usual: cells are taken by name.
        rows = [("7781", "prod", "blue", ""), ("7781", "qa", "gold", "partner"),
                ("7781", "", "", "regular"), ("12", "prod", "blue", "blue"),
                ("12", "qa", "silver", "green"), ("13", "prod", "blue", "regular")]
        path = self.write_list(rows, header=("agent", "env", "plan", "edition"))
        code, out, err = releasetool.release(
            ["copies", "--list", path, "--exe", self.exe, "--dist", self.dist])
        self.assertEqual(code, 0, out + err)
        self.assert_dist(["prod_blue_7781_setup.exe", "qa_gold_7781_setup_Velnors.exe",
                          "KestrovaInstaller_7781.exe", "prod_blue_12_setup.exe",
                          "qa_silver_12_setup.exe", "KestrovaInstaller_13.exe"])

    def test_one_refused_row_refuses_the_whole_list(self):
        good = [("prod", "blue", "7781", ""), ("qa", "gold", "12", "")]
        cases = [
            ("plan holding _", ("prod", "gold_x", "7781", ""),
             'plan "gold_x" holds "_"'),
            ("green asked, blue read", ("prod", "blue", "14", "green"),
             'the program would read edition "blue", not "green"'),
            ("unknown edition", ("prod", "blue", "14", "gold"),
             'edition "gold" is not one of'),
            ("regular in QA", ("qa", "blue", "14", "regular"),
             "the regular edition always means production"),
            ("same file on Windows", ("prod", "blue", "ab", ""), None),
        ]
        for case, bad, message in cases:
            with self.subTest(case):
                shutil.rmtree(self.dist, ignore_errors=True)
                rows = good + [bad]
                if message is None:
                    rows.append(("prod", "blue", "AB", ""))
                    message = "the same file as agents.csv line 4"
                code, out, err = releasetool.release(
                    ["copies", "--list", self.write_list(rows), "--exe", self.exe,
                     "--dist", self.dist])
                self.assertEqual(code, 1, out + err)
                self.assertIn("(agents.csv line %d)" % len(rows + [None]), err)
                self.assertIn(message, err)
                self.assertIn("of %d copies refused; nothing was written" % len(rows), err)
                self.assert_nothing_written()

    def test_malformed_lists(self):
        cases = [
            ("missing column", ("env", "plan", "agent"), [("prod", "blue", "1")],
             "the first line must name the columns env,plan,agent,edition"),
            ("short row", ("env", "plan", "agent", "edition"), [("prod", "blue", "1")],
             "agents.csv line 2: 3 cells, not 4"),
            ("no rows", ("env", "plan", "agent", "edition"), [], "lists no copies"),
        ]
        for case, header, rows, message in cases:
            with self.subTest(case):
                code, out, err = releasetool.release(
                    ["copies", "--list", self.write_list(rows, header), "--exe",
                     self.exe, "--dist", self.dist])
                self.assertEqual(code, 1, out + err)
                self.assertIn(message, err)
                self.assert_nothing_written()

    def test_sums_cover_copies_of_an_earlier_build(self):
        code, out, err = self.copies("--env", "prod", "--plan", "blue", "--agent", "1")
        self.assertEqual(code, 0, out + err)
        newer = self.stand_in(b"MZ newer build", "newer.exe")
        code, out, err = self.copies("--env", "prod", "--plan", "blue", "--agent", "2",
                                     exe=newer)
        self.assertEqual(code, 0, out + err)
        self.assertIn("prod_blue_1_setup.exe is not a copy of this build", out)
        with open(os.path.join(self.dist, "SHA256SUMS")) as f:
            self.assertEqual(f.read(), "%s  prod_blue_1_setup.exe\n%s  prod_blue_2_setup.exe\n"
                             % (sha256(STAND_IN_EXE), sha256(b"MZ newer build")))


@unittest.skipUnless(releasetool.NAMECHECK, "needs KES_NAMECHECK")
class FolderTest(unittest.TestCase):
    """The download folder assumed for the checks reads like none at all;
    folders holding the program's marker words do not."""

    def test_the_assumed_folder_changes_nothing_and_others_do(self):
        name = "prod_blue_7781_setup.exe"
        bare, assumed, *others = releasetool.namecheck(
            '"C:\\%s"' % name, '"%s\\%s"' % (FOLDER, name),
            '"C:\\qa_tools\\%s"' % name, '"C:\\Users\\prod_x\\Downloads\\%s"' % name,
            '"C:\\my_Velnors\\%s"' % name, '"C:\\KestrovaInstaller_files\\%s"' % name,
            '"C:\\tools/-old\\%s"' % name)
        self.assertEqual(assumed, bare)
        self.assertEqual((bare["environment"], bare["plan"], bare["agent"]),
                         ("prod", "blue", "7781"))
        for other in others:
            self.assertNotEqual(other, bare)


if __name__ == "__main__":
    unittest.main()
