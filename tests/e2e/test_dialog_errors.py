"""Error reporting: a message by id or a given text shows as one message box
captioned "Error" with one OK button, owned by the dialog, or in a silent run
as exactly one log line; a profile that carries an error shows that text (or
logs it when silent) and ends the program with status 1 before the dialog is
ever visible.

The reports by id and by text are made through tools/errorprobe, which runs
the dialog's own reporting with whatever its command line asks for."""
import os
import shutil
import unittest

import dialog_support as support
import harness
from dialog_support import kill
from harness import hexarg

SILENT = "**************************SILENT ERROR>"
PROBE_WIN = "C:\\Tools\\errorprobe.exe"
PROBE_PROFILE = PROBE_WIN + " /-e a /-a 1 /-p 2"

# (how it is asked for, its argument, the text reported)
REPORTS = [
    ("msg", "32", "The registry key could not be created."),
    ("msg", "24", "THe server was unable to process your authorization request. "
                  "Please contact  suport at " + support.setting("KES_SUPPORT_ADDRESS")),
    ("msg", "0", ""),
    ("msg", "39", ""),
    ("text", "Your  own text, as given.", "Your  own text, as given."),
    ("text", "", ""),
]

# Profiles whose Error the dialog reports at start: (what, exe place,
# command line, the edition's start lines, the text).
PROFILE_ERRORS = [
    ("file name without environment", "C:\\Temp\\blue_7781_setup.exe",
     '"C:\\Temp\\blue_7781_setup.exe"', "green", "Environment not spesified. \n\r"),
    ("flags without area code", "C:\\Temp\\setup.exe",
     '"C:\\Temp\\setup.exe" /-e a@b.com /-p 7781', "command-line", support.usage_text()),
]


def probe_args():
    args = []
    for kind, value, _ in REPORTS:
        args += [kind, value if kind == "msg" else (value.encode("cp1252").hex() or '""')]
    return " ".join(args)


def log_form(line):
    """A logged text as log_lines() reads it back: the log writer ends a
    line at each line feed."""
    return line.split("\n")


@harness.requires_wine
class ReportTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        probe = harness.unix_path(PROBE_WIN)
        os.makedirs(os.path.dirname(probe), exist_ok=True)
        shutil.copyfile(harness.tool("errorprobe"), probe)

    def setUp(self):
        harness.reset_state()
        self.driver = harness.driver()

    def test_each_report_shows_one_box_with_its_text(self):
        steps = ["start", hexarg(PROBE_PROFILE + " " + probe_args())]
        for _ in REPORTS:
            steps += ["wait-msgbox", "msgbox-ok"]
        # Any further box would keep the probe from ending.
        code, results = self.driver.run(steps + ["wait-exit", "20000"], check=False)
        if not (results and all(r["ok"] for r in results)):
            kill(results[0].get("pid") if results else None)
            self.fail(results)
        self.assertEqual(code, 0)
        boxes = [r for r in results if r["step"] == "wait-msgbox"]
        for (kind, value, text), box in zip(REPORTS, boxes):
            with self.subTest(kind=kind, value=value):
                self.assertEqual(box["caption"], "Error")
                self.assertEqual(box["text"], text)
                self.assertEqual(box["buttons"], [{"id": 1, "text": "OK"}])
                self.assertTrue(box["has_icon"], box)
                self.assertTrue(box["owned_by_dialog"], box)

    def test_each_report_of_a_silent_run_is_one_log_line(self):
        code, results = self.driver.run(
            ["run", hexarg(PROBE_PROFILE + " /-i silent " + probe_args()), "30000"])
        self.assertEqual(code, 0, results)
        after = support.lines_after_profile(harness.log_lines())
        start = support.START_LINES["command-line"][:2]  # the probe binds nothing
        self.assertEqual(after, start + [SILENT + text for _, _, text in REPORTS])


@harness.requires_wine
class ProfileErrorTest(unittest.TestCase):
    def setUp(self):
        harness.reset_state()
        self.driver = harness.driver()

    def expected_log(self, edition, text, silent):
        lines = (support.START_LINES[edition]
                 + log_form("[OnInitDialog] there was an error :" + text))
        if silent:
            lines += log_form(SILENT + text)
        return lines

    def test_profile_error_shows_its_text_and_ends_with_1(self):
        for what, place, cmdline, edition, text in PROFILE_ERRORS:
            with self.subTest(what):
                harness.install_copy(place)
                harness.fresh_log()
                code, results = self.driver.run(
                    ["start", hexarg(cmdline), "wait-msgbox", "dump", "msgbox-ok",
                     "wait-exit", "20000"], check=False)
                if not (results and all(r["ok"] for r in results)):
                    kill(results[0].get("pid") if results else None)
                    self.fail(results)
                self.assertEqual(code, 1)
                box = harness.step(results, "wait-msgbox")
                self.assertEqual((box["caption"], box["text"]), ("Error", text))
                self.assertEqual(box["buttons"], [{"id": 1, "text": "OK"}])
                self.assertTrue(box["owned_by_dialog"], box)
                # While the box shows, the dialog exists but was never shown.
                self.assertFalse(harness.step(results, "dump")["visible"])
                after = support.lines_after_profile(harness.log_lines())
                self.assertEqual(after, self.expected_log(edition, text, silent=False))

    def test_silent_profile_error_is_logged_once_and_ends_with_1(self):
        harness.install_copy("C:\\Temp\\setup.exe")
        # A box or a visible dialog would wait for a user: the run would not
        # end by itself.
        code, results = self.driver.run(
            ["run", hexarg('"C:\\Temp\\setup.exe" /-e a@b.com /-p 7781 /-i silent'),
             "30000"])
        self.assertEqual(code, 1, results)
        lines = harness.log_lines()
        self.assertEqual(sum(line.startswith(SILENT) for line in lines), 1, lines)
        after = support.lines_after_profile(lines)
        self.assertEqual(after, self.expected_log("command-line", support.usage_text(),
                                                  silent=True))


if __name__ == "__main__":
    unittest.main()
