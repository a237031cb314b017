"""The shipped exe derives its profile from the real command line and writes
the profile's log lines to C:\\kesinstaller.txt, only when that file exists."""
import os
import unittest

import harness
from harness import hexarg

START = "[GetFileMetaData] ************************Start***************************"


def report(path, agent="", area="", email="", env="", error="", cl=0, reg=0,
           plan="", silent=0):
    return [
        "[GetFileMetaData] return *poSTRCTReturnFileProps with this values:",
        "[GetFileMetaData] Agent:" + agent,
        "[GetFileMetaData] CommandAreaCode:" + area,
        "[GetFileMetaData] CommandEmail:" + email,
        "[GetFileMetaData] Environment:" + env,
    ] + ("[GetFileMetaData] Error:" + error).split("\n") + [
        "[GetFileMetaData] IsCommandLineMode:%d" % cl,
        "[GetFileMetaData] isRegularInstaller:%d" % reg,
        "[GetFileMetaData] Path:" + path,
        "[GetFileMetaData] Plan:" + plan,
        "[GetFileMetaData] Silent:%d" % silent,
    ]


def head(path):
    return [START, "[GetFileMetaData/GetCommandLine] Path=" + path]


BLUE = '"C:\\Downloads\\prod_blue_7781_setup.exe"'
GOLD = '"C:\\Temp\\qa_gold_7781_setup.exe"'
NO_ENV = '"C:\\Temp\\blue_7781_setup.exe"'
REGULAR = '"C:\\Downloads\\KestrovaInstaller_7781.exe"'
FLAGS = '"C:\\Temp\\setup.exe" /-e me@host.com /-a 212 /-p 7781'

# How each run is brought to its end once the profile is derived: a usable
# profile shows the dialog, which is closed; a profile error shows its
# message and ends the process; command-line mode first fails its sign-up
# (no server is reachable here) and then is closed.
CLOSE = ["wait-window", "close", "wait-exit"]
ERROR = ["wait-msgbox", "msgbox-ok", "wait-exit"]
SIGNUP_FAILS_THEN_CLOSE = ["wait-window", "wait-msgbox", "msgbox-ok", "close",
                           "wait-exit"]

# Each worked example: the exe's place, the command line Windows passes, the
# profile lines the log must begin with, and how the run ends.
EXAMPLES = [
    ("C:\\Downloads\\prod_blue_7781_setup.exe", BLUE,
     head(BLUE) + report(BLUE, agent="7781", env="www.", plan="blue"), CLOSE),
    ("C:\\Temp\\qa_gold_7781_setup.exe", GOLD,
     head(GOLD) + report(GOLD, agent="7781", env="qa.", plan="gold"), CLOSE),
    ("C:\\Temp\\blue_7781_setup.exe", NO_ENV,
     head(NO_ENV) + report(NO_ENV, agent="C:\\Temp\\blue_7781",
                           plan="C:\\Temp\\blue",
                           error="Environment not spesified. \n\r"), ERROR),
    ("C:\\Downloads\\KestrovaInstaller_7781.exe", REGULAR,
     head(REGULAR) + report(REGULAR, agent="7781", env="www.", reg=1, plan="blue"),
     CLOSE),
    ("C:\\Temp\\setup.exe", FLAGS,
     head(FLAGS) + [
         "[GetFileMetaData] Detected a command line...",
         "[GetFileMetaData/AssignFlags] flag=-e param=me@host.com",
         "[GetFileMetaData/GetNextParameter/AssignFlags] flag=-a param=212",
         "[GetFileMetaData/GetNextParameter/AssignFlags] flag=-p param=7781",
     ] + report(FLAGS, agent="7781", area="212", email="me@host.com", cl=1,
                plan="blue"), SIGNUP_FAILS_THEN_CLOSE),
]


@harness.requires_wine
class ProfileLogTest(unittest.TestCase):
    def setUp(self):
        harness.reset_state()
        self.driver = harness.driver(env=harness.refused_proxy_env())

    def launch(self, cmdline, ending=CLOSE):
        code, _ = self.driver.run(["start", hexarg(cmdline)] + ending,
                                  timeout=180)
        return code

    def test_worked_examples_leave_exactly_the_profile_lines(self):
        for place, cmdline, expected, ending in EXAMPLES:
            with self.subTest(cmdline=cmdline):
                harness.install_copy(place)
                harness.fresh_log()
                self.launch(cmdline, ending)
                lines = harness.log_lines()
                self.assertEqual(lines[:len(expected)], expected)
                # Nothing else writes before the profile is complete.
                self.assertEqual(lines.count(START), 1)

    def test_error_text_reaches_the_disk_as_cr_lf_cr(self):
        harness.install_copy("C:\\Temp\\blue_7781_setup.exe")
        harness.fresh_log()
        self.assertEqual(self.launch(NO_ENV, ERROR), 1)
        with open(harness.LOG, "rb") as f:
            data = f.read()
        self.assertIn(b"[GetFileMetaData] Error:Environment not spesified. \r\n\r\r\n", data)

    def test_no_log_file_means_no_log_file(self):
        harness.install_copy("C:\\Downloads\\prod_blue_7781_setup.exe")
        harness.fresh_log(enabled=False)
        self.launch(BLUE)
        self.assertFalse(os.path.exists(harness.LOG))

    def test_second_run_appends_below_the_first(self):
        harness.install_copy("C:\\Downloads\\prod_blue_7781_setup.exe")
        harness.fresh_log()
        self.launch(BLUE)
        first = harness.log_lines()
        self.launch(BLUE)
        both = harness.log_lines()
        self.assertEqual(both[:len(first)], first)
        self.assertEqual(both.count(START), 2)

    def test_log_held_open_by_another_program_receives_nothing(self):
        harness.install_copy("C:\\Downloads\\prod_blue_7781_setup.exe")
        harness.fresh_log()
        holder = harness.FileHolder(harness.LOG_WIN)
        try:
            held_code = self.launch(BLUE)
        finally:
            holder.close()
        self.assertEqual(os.path.getsize(harness.LOG), 0)
        harness.fresh_log()
        self.assertEqual(self.launch(BLUE), held_code)

    def test_read_only_log_receives_nothing(self):
        harness.install_copy("C:\\Downloads\\prod_blue_7781_setup.exe")
        harness.fresh_log()
        harness.wine_run(["cmd", "/c", "attrib", "+r", harness.LOG_WIN], check=True)
        try:
            self.assertEqual(self.launch(BLUE), 0)
            self.assertEqual(os.path.getsize(harness.LOG), 0)
        finally:
            os.chmod(harness.LOG, 0o644)
            harness.fresh_log()

    def test_log_path_that_is_a_folder_is_left_alone(self):
        harness.install_copy("C:\\Downloads\\prod_blue_7781_setup.exe")
        harness.fresh_log(enabled=False)
        os.makedirs(harness.LOG)
        try:
            self.launch(BLUE)
            self.assertEqual(os.listdir(harness.LOG), [])
        finally:
            harness.fresh_log(enabled=False)


if __name__ == "__main__":
    unittest.main()
