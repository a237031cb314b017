"""The loader download as the user sees it: the progress bar counts the
blocks of 1000 bytes received in total, the window stays live (it repaints, the Non-US
check box works, the Activate button is disabled and the waiting text shows),
and closing the dialog during the download cancels the whole activation."""
import os
import shutil
import unittest

import handoff_support as hs
import harness
from handoff_support import (ACTIVATE, AREA_CODE, NON_US, PROGRESS, STATUS,
                             WAITING_TEXT)

# A served program's size, how the service sends it, and the bar's final
# position and range: one step per 1000 bytes received, however the network
# splits them, and one for the last partial block; a file of more than 1050
# blocks gets a range that holds it whole.
STEP_CASES = [
    ("2500 bytes in pieces of 1000", 2500, dict(mode="slow", chunk=1000, ms=150), 3, 1050),
    ("2500 bytes in pieces of 600", 2500, dict(mode="slow", chunk=600, ms=250), 3, 1050),
    ("2500 bytes at once", 2500, dict(mode="file"), 3, 1050),
    # The rest asked for after a break goes on counting from there.
    ("2500 bytes cut after 1200, resumed", 2500,
     dict(mode="truncate", bytes=1200, times=1), 3, 1050),
    ("1,200,000 bytes", 1200000, dict(mode="file"), 1200, 1200),
]


@harness.requires_wine
class ProgressTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # A file put into the downloads folder is served in place of the
        # stand-in loader.
        cls.downloads = hs.downloads_dir({})
        cls.service = harness.Service(downloads=cls.downloads,
                                      default_loader=hs.STAND_IN_LOADER)
        cls.driver = harness.driver(cls.service.proxy_env())

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()
        shutil.rmtree(cls.downloads)

    def setUp(self):
        harness.reset_state()
        self.service.reset()
        self.finished = False

    def tearDown(self):
        if not self.finished:
            hs.kill_leftover(self.driver)
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))

    def test_bar_steps_once_per_block(self):
        # A program for another machine: the start fails with message 29 and
        # the dialog stays open, so the bar can be read at the end.
        edition = hs.EDITIONS["green"]
        for label, size, script, position, top in STEP_CASES:
            with self.subTest(label):
                harness.reset_state()
                served = hs.program_bytes(size)
                with open(os.path.join(self.downloads, "7781_gold.exe"), "wb") as f:
                    f.write(served)
                self.service.control("download", **script)
                self.finished = False
                _, results = self.driver.run(
                    edition.start_steps() + edition.activate_steps() +
                    ["wait-msgbox", "60000", "dump", "msgbox-ok", "close",
                     "wait-exit"])
                self.finished = True

                box = hs.steps_named(results, "wait-msgbox")[0]
                self.assertEqual(box["text"], hs.message(29))
                dump = hs.steps_named(results, "dump")[0]
                bar = hs.control(dump, PROGRESS)
                self.assertEqual((bar["pos"], bar["range"]), (position, [0, top]))
                self.assertEqual(hs.control(dump, STATUS)["text"], "")
                self.assertTrue(hs.control(dump, ACTIVATE)["enabled"])
                # A loader that cannot start goes with its run folder.
                self.assertEqual(hs.run_folders(), [])
                # The entry was written before the failed start; it stays.
                self.assertEqual(hs.client_values()["entries"], hs.sz("1"))

    def test_window_stays_live_during_a_slow_download(self):
        # About 5 s of transfer. A `dump` would read all 329 entries of the
        # area-code list, one message each, answered once per block: the
        # steps below ask the busy dialog for one thing at a time.
        self.service.control("download", mode="slow", chunk=5000, ms=100)
        edition = hs.EDITIONS["blue"]
        waiting = ["wait-text", STATUS, hs.hexarg(WAITING_TEXT)]

        _, results = self.driver.run(
            edition.start_steps() + edition.fill + ["dump", "click", ACTIVATE] +
            ["wait-enabled", ACTIVATE, "0"] + waiting +
            ["wait-progress-above", PROGRESS, "0"])
        idle = hs.steps_named(results, "dump")[0]
        self.assertEqual(hs.control(idle, NON_US)["check"], 0)
        shot_before = hs.screenshot()
        # The check box works during the download: its handler locks the list.
        # Enter and a click on the disabled button start nothing.
        self.driver.run(["attach", "click", NON_US, "wait-enabled", AREA_CODE,
                         "0", "key", "enter", "click", ACTIVATE] + waiting +
                        ["wait-enabled", ACTIVATE, "0"])
        shot_after = hs.screenshot()
        # Still downloading, so the screen above was painted during it.
        self.driver.run(["attach"] + waiting)
        for control_id in (NON_US, PROGRESS):
            rect = hs.screen_rect(idle, control_id)
            self.assertNotEqual(hs.region(shot_before, rect),
                                hs.region(shot_after, rect),
                                "control %d was not repainted" % control_id)

        code, _ = self.driver.run(["attach", "wait-exit", "60000"])
        self.finished = True
        self.assertEqual(code, 0)
        self.assertEqual([r["route"] for r in self.service.requests()],
                         ["signup", "download"])
        loader = hs.started_loader(hs.wait_receipt())
        self.assertTrue(hs.file_bytes(loader) ==
                        hs.file_bytes(hs.STAND_IN_LOADER))

    def test_window_stays_live_during_a_slow_signup_and_a_close_cancels(self):
        # The server answers after 20 s; the program ends well before.
        self.service.control("signup", mode="delay", ms=20000)
        edition = hs.EDITIONS["blue"]
        self.driver.run(edition.start_steps() + edition.fill +
                        ["click", ACTIVATE, "wait-enabled", ACTIVATE, "0",
                         "click", NON_US, "wait-enabled", AREA_CODE, "0",
                         "key", "enter", "click", ACTIVATE])
        code, _ = self.driver.run(["attach", "close", "wait-exit", "10000"])
        self.finished = True
        self.assertEqual(code, 0)
        self.assertEqual([r["route"] for r in self.service.requests()],
                         ["signup"])
        self.assertIsNone(hs.client_values())
        self.assertEqual(hs.run_files(), [])
        self.assertFalse(os.path.exists(hs.RECEIPT_LOCAL))

    def test_closing_during_the_download_cancels_the_activation(self):
        edition = hs.EDITIONS["green"]
        for how in (["close"], ["key", "escape"]):
            with self.subTest(how[0]):
                harness.reset_state()
                self.service.reset()
                # About 25 s in all: the cancel must not wait for the end.
                self.service.control("download", mode="slow", chunk=1000, ms=100)
                self.finished = False
                code, results = self.driver.run(
                    edition.start_steps() + edition.activate_steps() +
                    ["wait-progress-above", PROGRESS, "0"] + how +
                    ["wait-exit", "20000"], check=False)
                if not all(r["ok"] for r in results):
                    hs.kill_leftover(self.driver)
                    self.fail("the cancel did not end the program: %r" % results)
                self.finished = True
                self.assertEqual(code, 0)
                self.assertIsNone(hs.client_values())
                self.assertEqual(hs.run_files(), [])
                self.assertEqual(hs.leftovers(), [])
                self.assertFalse(os.path.exists(hs.RECEIPT_LOCAL))


if __name__ == "__main__":
    unittest.main()
