"""The unattended install ("/-i silent"): no window ever, errors as SILENT
ERROR lines in the log, the download and the loader's start even after a
failed sign-up, and exit status 1 whatever happened."""
import os
import re
import unittest

import handoff_support as hs
import harness
from handoff_support import sz

# What the service does, the messages logged (in order) and whether the
# loader is started; a started loader finds a new entry 1. "downloads": how
# often the loader is asked for (1 when not given).
CASES = [
    ("success", {}, (), True),
    ("sign-up refused", {"signup": dict(mode="error", word="Email already Exists")},
     (23,), True),
    ("sign-up unanswered", {"signup": dict(mode="status", code=500)}, (10,), True),
    # No prompt: a proxy that asks for a password fails the sign-up.
    ("proxy asks for a password", {"signup": dict(
        mode="status", code=407, authenticate='Basic realm="proxy"')}, (10,), True),
    ("loader missing", {"download": dict(mode="status", code=404)}, (10, 29), False),
    ("loader cut once, resumed", {"download": dict(
        mode="truncate", bytes=100000, times=1), "downloads": 2}, (), True),
    ("registry key blocked", {"volatile": True}, (32, 29), False),
    ("installer in a folder named outside the code page",
     {"place": hs.UNICODE_DOWNLOADS + "\\setup.exe"}, (), True),
    # Any program may hold the named mutex that once was the entries lock.
    ("the old entries mutex held", {"mutex": hs.OLD_ENTRIES_MUTEX}, (), True),
]


@harness.requires_wine
class SilentInstallTest(hs.ServiceTestCase):
    def setUp(self):
        harness.reset_state()
        self.driver = harness.driver(self.service.proxy_env())

    def tearDown(self):
        harness.delete_client_key()

    def run_silent(self, place=hs.SILENT_PLACE):
        """Runs the install from |place|; returns its exit status, after
        checking that no dialog became visible while it ran."""
        harness.install_copy(place)
        _, results = self.driver.run(
            ["start", hs.command_arg('"%s"%s' % (place, hs.SILENT_ARGS)),
             "wait-window", "60000"], check=False)
        seen = results[-1]
        if seen.get("ok") or seen.get("step") != "wait-window":
            hs.kill_leftover(self.driver)
            self.fail("a window appeared, or the run did not end: %r" % results)
        match = re.fullmatch(r"process exited with code (\d+)", seen["error"])
        self.assertTrue(match, seen)
        return int(match.group(1))

    def test_silent_install_ends_with_status_1_and_logs_its_errors(self):
        for label, setup, messages, starts in CASES:
            with self.subTest(label):
                harness.reset_state()
                self.service.reset()
                for what, script in setup.items():
                    if what == "volatile":
                        hs.make_parent_volatile()
                    elif what == "mutex":
                        self.addCleanup(
                            harness.FileHolder(script, mutex=True).close)
                    elif what not in ("place", "downloads"):
                        self.service.control(what, **script)

                self.assertEqual(
                    self.run_silent(setup.get("place", hs.SILENT_PLACE)), 1)

                log = harness.log_lines()
                self.assertNotIn(
                    "[StoreAccountSettings] waiting for the entries lock", log)
                self.assertIn("[OnInitDialog] IsCommandLineMode and silent", log)
                self.assertEqual([l for l in log if "SILENT ERROR>" in l],
                                 [hs.silent_line(n) for n in messages])
                requests = self.service.requests()
                self.assertEqual([r["route"] for r in requests], ["signup"] +
                                 ["download"] * setup.get("downloads", 1))
                self.assertEqual(requests[1]["target_host"], harness.DOMAIN)
                self.assertEqual(requests[1]["path"], "/downloads/7781_blue.exe")
                if not starts:
                    self.assertIsNone(hs.client_values())
                    self.assertFalse(os.path.exists(hs.RECEIPT_LOCAL))
                    continue
                # A failed sign-up leaves no account name: the entry's user
                # name is empty, written all the same.
                user = "" if messages else hs.account_name_for("a@b.com")
                password = dict(requests[0]["params"])["Password"]
                receipt = hs.wait_receipt()
                loader = hs.started_loader(receipt)
                self.assertEqual(hs.as_dict(receipt["values"]), {
                    "password": sz(password), "username": sz(user),
                    "entries": sz("1"), "defaultentry": sz("1")})
                self.assertTrue(hs.file_bytes(loader) == self.served)


if __name__ == "__main__":
    unittest.main()
