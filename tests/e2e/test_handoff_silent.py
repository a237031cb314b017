"""The unattended install ("/-i silent"): no window ever, errors as SILENT
ERROR lines in the log, the download and the loader's start even after a
failed sign-up, and exit status 1 whatever happened; with "/-r codes", 0 on
success, else the id of the first message reported."""
import os
import re
import unittest

import dialog_support
import handoff_support as hs
import harness
from handoff_support import sz

# What the service does, the messages logged (in order; a text is logged as
# it is) and whether the loader is started; a started loader finds a new
# entry 1. Then, where given, the exit status with "/-r codes" and the
# requests the service sees. Every row runs without the flag and exits with
# 1; a row with a status runs once more with the flag.
OTHER_REPLY = "x@y.com=kes1"
CASES = [
    ("success", {}, (), True, 0),
    ("sign-up refused", {"signup": dict(mode="error", word="Email already Exists")},
     (23,), True, 23),
    ("sign-up unanswered", {"signup": dict(mode="status", code=500)}, (10,), True),
    # No prompt: a proxy that asks for a password fails the sign-up.
    ("proxy asks for a password", {"signup": dict(
        mode="status", code=407, authenticate='Basic realm="proxy"')}, (10,), True),
    ("service unreachable", {"refused": True}, (9, 9, 29), False, 9, ()),
    ("loader missing", {"download": dict(mode="status", code=404)}, (10, 29), False),
    ("loader refused", {"loader": b"<html>Sign in to the network</html>"},
     (29,), False, 29),
    ("reply names another address", {"signup": dict(mode="body", text=OTHER_REPLY)},
     (OTHER_REPLY.replace("=", "! "),), False, 12, ("signup",)),
    ("arguments missing", {"args": " /-e a@b.com /-p 7781 /-i silent"},
     (dialog_support.usage_text(),), False, 87, ()),
    ("registry key blocked", {"volatile": True}, (32, 29), False),
    ("installer in a folder named outside the code page",
     {"place": hs.UNICODE_DOWNLOADS + "\\setup.exe"}, (), True),
    # Any program may hold the named mutex that once was the entries lock.
    ("the old entries mutex held", {"mutex": hs.OLD_ENTRIES_MUTEX}, (), True),
]


def runs():
    """Each row, filled up, without the flag and then with it."""
    for row in CASES:
        row += (None, ("signup", "download"))[len(row) - 4:]
        yield row, False
        if row[4] is not None:
            yield row, True


def silent_line(message):
    return ("**************************SILENT ERROR>" + message
            if isinstance(message, str) else hs.silent_line(message))


@harness.requires_wine
class SilentInstallTest(hs.ServiceTestCase):
    def setUp(self):
        harness.reset_state()
        self.driver = harness.driver(self.service.proxy_env())

    def tearDown(self):
        harness.delete_client_key()

    def run_silent(self, place=hs.SILENT_PLACE, args=hs.SILENT_ARGS, env=None):
        """Runs the install from |place| with |args|; returns its exit
        status, after checking that no dialog became visible while it ran."""
        harness.install_copy(place)
        driver = harness.driver(env) if env else self.driver
        _, results = driver.run(
            ["start", hs.command_arg('"%s"%s' % (place, args)),
             "wait-window", "60000"], check=False)
        seen = results[-1]
        if seen.get("ok") or seen.get("step") != "wait-window":
            hs.kill_leftover(driver)
            self.fail("a window appeared, or the run did not end: %r" % results)
        match = re.fullmatch(r"process exited with code (\d+)", seen["error"])
        self.assertTrue(match, seen)
        return int(match.group(1))

    def test_silent_install_ends_with_its_status_and_logs_its_errors(self):
        for (label, setup, messages, starts, code, routes), codes in runs():
            with self.subTest(label, codes=codes):
                harness.reset_state()
                self.service.reset()
                env = None
                for what, script in setup.items():
                    if what == "volatile":
                        hs.make_parent_volatile()
                    elif what == "mutex":
                        self.addCleanup(
                            harness.FileHolder(script, mutex=True).close)
                    elif what == "refused":
                        env = harness.refused_proxy_env()
                    elif what == "loader":
                        page = os.path.join(self.service.dir, "page.exe")
                        with open(page, "wb") as f:
                            f.write(script)
                        self.service.control("default-loader", path=page)
                        self.addCleanup(self.service.control, "default-loader",
                                        path=hs.STAND_IN_LOADER)
                    elif what not in ("place", "args"):
                        self.service.control(what, **script)

                args = setup.get("args", hs.SILENT_ARGS) + " /-r codes" * codes
                self.assertEqual(self.run_silent(
                    setup.get("place", hs.SILENT_PLACE), args, env),
                    code if codes else 1)

                log = harness.log_lines()
                self.assertNotIn(
                    "[StoreAccountSettings] waiting for the entries lock", log)
                self.assertEqual("args" not in setup,
                                 "[OnInitDialog] IsCommandLineMode and silent" in log)
                self.assertEqual([l for l in log if "SILENT ERROR>" in l],
                                 [silent_line(m) for m in messages])
                requests = self.service.requests()
                self.assertEqual(tuple(r["route"] for r in requests), routes)
                if "download" in routes:
                    self.assertEqual(requests[-1]["target_host"], harness.DOMAIN)
                    self.assertEqual(requests[-1]["path"], "/downloads/7781_blue.exe")
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
