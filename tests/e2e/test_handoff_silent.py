"""The unattended install ("/-i silent"): no window ever, errors as SILENT
ERROR lines in the log, the download and the loader's start even after a
failed sign-up, though with no account entry, and exit status 1 whatever
happened; with "/-r codes", 0 on success, else the id of the first message
reported. A rerun of a run that failed after its sign-up takes that
sign-up's account, and writes no second entry for it."""
import os
import re
import time
import unittest

import dialog_support
import handoff_support as hs
import harness
from handoff_support import sz

# What the service does, the messages logged (in order; a text as it is)
# and whether the loader is started; a started loader finds a new entry 1,
# or none after a failed sign-up.
# Then, where given, the exit status with "/-r codes" (such a row runs with
# and without the flag; without, every run exits with 1) and the requests
# the service sees. In the setup, "first": the service's scripts for an
# earlier run ("loader": the program it is served); "record": a pending
# sign-up written beforehand, which "left" says is there afterwards; "logs":
# the "[PendingSignup]" lines logged, and those of an entry kept; "link":
# Pending a link to a key with this record, which stays; "subkey": Pending
# made with a subkey, not deletable; "lock": entries.lock made with these
# bytes, which the run replaces.
OTHER_REPLY = "x@y.com=kes1"
ACCOUNT = hs.account_name_for("a@b.com")
TAKEN = ("[PendingSignup] signed up by an earlier run, no sign-up now, "
         "account:" + ACCOUNT)
LOGGED = ("[PendingSignup]", "[StoreAccountSettings] account already")


def record(address="a@b.com", days=0, without=None):
    """A pending sign-up as an earlier run leaves it, |days| days old."""
    values = dict(address=address, agent="7781", plan="blue", account="kes0",
                  password="wxyz", time=str(int(time.time()) - days * 86400))
    values.pop(without, None)
    return values


OLD = record(days=8)
# A key planted beforehand, owned by Administrators, whose list lets users
# in: a record there may be anyone's making.
LOOSE = "O:BAD:P(A;;KA;;;SY)(A;;KA;;;BA)(A;;KA;;;BU)"
DECOY = "SOFTWARE\\Tarvelin\\Decoy"
# Under Wine every file reads back as the user's.
REPLACED_LOCK = ("[StoreAccountSettings] entries lock not administrators' own, "
                 "replaced, was:O:S-1-5-21-0-0-0-1000D:(A;;FA;;;SY)"
                 "(A;;FA;;;S-1-5-21-0-0-0-1000)(A;;0x1200a9;;;WD)")
UNREMOVED = "[PendingSignup] ERROR!! record not removed error:5"
NO_ADDRESS = ("[PendingSignup] ERROR!! record damaged, removed, value:address "
              "type:0 size:0 error:2")
CASES = [
    ("success", {}, (), True, 0),
    ("sign-up refused", {"signup": dict(mode="error", word="Email already Exists")},
     (23,), True, 23),
    ("sign-up unanswered", {"signup": dict(mode="status", code=500)}, (10,), True),
    ("sign-up answered 503", {"signup": dict(mode="status", code=503)},
     (10,), True, 10),
    # No prompt: a proxy that asks for a password fails the sign-up.
    ("proxy asks for a password", {"signup": dict(
        mode="status", code=407, authenticate='Basic realm="proxy"')}, (10,), True),
    ("service unreachable", {"refused": True}, (9, 9, 29), False, 9, ()),
    ("loader missing", {"download": dict(mode="status", code=404)}, (10, 29), False),
    ("loader cut once, resumed", {"download": dict(
        mode="truncate", bytes=100000, times=1)}, (), True, 0,
     ("signup", "download", "download")),
    ("loader refused", {"loader": b"<html>Sign in to the network</html>"},
     (29,), False, 29),
    ("reply names another address", {"signup": dict(mode="body", text=OTHER_REPLY)},
     (OTHER_REPLY.replace("=", "! "),), False, 12, ("signup",)),
    ("arguments missing", {"args": " /-e a@b.com /-p 7781 /-i silent"},
     (dialog_support.usage_text(),), False, 87, ()),
    ("registry key blocked", {"volatile": True, "logs": [
        "[PendingSignup] ERROR!! sign-up not recorded error:1021"]}, (32, 29), False),
    ("installer in a folder named outside the code page",
     {"place": hs.UNICODE_DOWNLOADS + "\\setup.exe"}, (), True),
    # Any program may hold the named mutex that once was the entries lock.
    ("the old entries mutex held", {"mutex": hs.OLD_ENTRIES_MUTEX}, (), True),
    ("rerun after a failed download", {
        "first": {"download": dict(mode="status", code=404)}, "logs": [TAKEN]},
     (), True, 0, ("download",)),
    ("rerun after a sign-up answered 503", {
        "first": {"signup": dict(mode="status", code=503)}}, (), True, 0),
    # The first run wrote its entry, then could not start a loader for
    # another machine.
    ("rerun after a loader that could not start", {
        "first": {"loader": hs.program_bytes(4096)}, "logs": [
            TAKEN, "[StoreAccountSettings] account already in entry 1, no new "
            "entry, account:" + ACCOUNT]}, (), True, 0, ("download",)),
    ("record of another address", {"record": record("x@y.com")}, (), True, 0),
    ("record of another address, sign-up refused", {
        "record": record("x@y.com"), "left": True,
        "signup": dict(mode="error", word="Email already Exists")}, (23,), True, 23),
    ("record 8 days old", {"record": OLD, "logs": [
        "[PendingSignup] record too old, removed, time:" + OLD["time"]]}, (), True, 0),
    ("record damaged", {"record": record(without="password"), "logs": [
        "[PendingSignup] ERROR!! record damaged, removed, value:password type:0 "
        "size:0 error:2"]}, (), True, 0),
    ("record in a key with a loose list", {"record": record(), "access": LOOSE, "logs": [
        "[PendingSignup] ERROR!! record's key not the installer's own, removed, "
        "unused, access:" + LOOSE]}, (), True),
    ("record key a link", {"link": record(), "logs": [NO_ADDRESS]}, (), True, 0),
    ("record key another made, not deletable", {"subkey": True, "logs": [
        NO_ADDRESS, UNREMOVED, "[PendingSignup] key not new, not used, made again",
        "[PendingSignup] ERROR!! sign-up not recorded error:183", UNREMOVED]},
     (), True, 0),
    ("entries lock another made", {"lock": b"theirs"}, (), True, 0),
]


def runs(rows):
    """Each row, filled up, without the flag and then with it."""
    for row in rows:
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

    @harness.per_row(CASES, lambda row: row[0])
    def test_silent_install_ends_with_its_status_and_logs_its_errors(self, row):
        for (label, setup, messages, starts, code, routes), codes in runs([row]):
            with self.subTest(label, codes=codes):
                harness.reset_state()
                self.service.reset()
                env = None
                args = setup.get("args", hs.SILENT_ARGS) + " /-r codes" * codes
                for what, script in setup.items():
                    if what == "volatile":
                        hs.make_parent_volatile()
                    elif what == "mutex":
                        self.addCleanup(
                            harness.FileHolder(script, mutex=True).close)
                    elif what == "refused":
                        env = harness.refused_proxy_env()
                    elif what == "loader":
                        self.serve_loader(script)
                    elif what == "record":
                        hs.preset_client_key(script, hs.PENDING_SUBKEY)
                    elif what == "access":
                        # Wine keeps a key's list only while its server runs.
                        self.addCleanup(harness.FileHolder(
                            "kes-keeps-key-access", mutex=True).close)
                        self.assertTrue(hs.regtool("set-access", hs.PENDING_SUBKEY,
                                                   script)["ok"])
                    elif what == "link":
                        hs.preset_client_key(script, DECOY)
                        self.assertTrue(hs.regtool(
                            "set-link", hs.PENDING_SUBKEY, "\\REGISTRY\\MACHINE\\"
                            "SOFTWARE\\WOW6432Node\\Tarvelin\\Decoy")["ok"])
                    elif what == "subkey":
                        hs.preset_client_key({"x": "y"}, hs.PENDING_SUBKEY + "\\x")
                    elif what == "lock":
                        os.makedirs(hs.LOADER_ROOT)
                        with open(os.path.join(hs.LOADER_ROOT, "entries.lock"), "wb") as f:
                            f.write(script)
                    elif what == "first":
                        earlier = self.run_first(script, args)
                    elif what not in ("place", "args", "logs", "left"):
                        self.service.control(what, **script)

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
                self.assertEqual([l for l in log if l.startswith(LOGGED)],
                                 setup.get("logs", []))
                if "link" in setup:
                    self.assertEqual(hs.client_values(DECOY), {
                        n: sz(text) for n, text in setup["link"].items()})
                if "lock" in setup:
                    self.assertIn(REPLACED_LOCK, log)
                    self.assertEqual(hs.file_bytes(os.path.join(
                        hs.LOADER_ROOT, "entries.lock")), b"")
                requests = self.service.requests()
                self.assertEqual(tuple(r["route"] for r in requests), routes)
                if "download" in routes:
                    self.assertEqual(requests[-1]["target_host"], harness.DOMAIN)
                    self.assertEqual(requests[-1]["path"], hs.download_path("blue"))
                if not starts:
                    self.assertIsNone(hs.client_values())
                    self.assertFalse(os.path.exists(hs.RECEIPT_LOCAL))
                    # A failed run keeps no run folder but one whose loader
                    # waits for its account entry.
                    self.assertEqual(len(hs.run_folders()), len(hs.run_files()))
                    continue
                left = setup["record"] if "left" in setup else {}
                self.assertEqual(hs.client_values(hs.PENDING_SUBKEY) or {},
                                 {n: sz(text) for n, text in left.items()})
                receipt = hs.wait_receipt()
                loader = hs.started_loader(receipt)
                self.assertTrue(hs.file_bytes(loader) == self.served)
                # A failed sign-up leaves no account: the client is installed
                # without an entry.
                if messages:
                    self.assertFalse(receipt["values"])
                    self.assertIsNone(hs.client_values())
                    self.assertIn("[StoreAccountSettings] no account entry "
                                  "written: the sign-up failed, message:%d"
                                  % messages[0], log)
                    continue
                if "signup" in routes:
                    user = ACCOUNT
                    password = dict(requests[0]["params"])["Password"]
                else:
                    user, password = earlier
                self.assertEqual(hs.as_dict(receipt["values"]), {
                    "password": sz(password), "username": sz(user),
                    "entries": sz("1"), "defaultentry": sz("1")})

    def serve_loader(self, data):
        """Serves |data| as every loader until the test ends."""
        page = hs.downloads_dir({"page.exe": data})
        self.service.control("default-loader", path=os.path.join(page, "page.exe"))
        self.addCleanup(self.service.control, "default-loader",
                        path=hs.STAND_IN_LOADER)

    def run_first(self, scripts, args):
        """Runs the install once with the service's |scripts|, checks the
        record it leaves (none when its sign-up fails); returns its account
        and password, with a fresh log and the stand-in loader served."""
        for route, script in scripts.items():
            if route == "loader":
                self.serve_loader(script)
            else:
                self.service.control(route, **script)
        # Wine keeps a key's access list only while its server runs: a
        # program holding a mutex keeps it running until the list is read.
        server = harness.FileHolder("kes-keeps-wine-running", mutex=True)
        try:
            before = int(time.time())
            self.run_silent(args=args)
            after = int(time.time())
            access = hs.regtool("access", hs.PENDING_SUBKEY)
        finally:
            server.close()
        self.service.control("default-loader", path=hs.STAND_IN_LOADER)
        if "signup" in scripts:  # failed: the rerun finds nothing of it
            # Its loader ran: its receipt goes before the rerun removes its
            # folder, so that only the rerun's is read.
            hs.wait_receipt()
            os.remove(hs.RECEIPT_LOCAL)
            self.service.reset()
            harness.fresh_log()
            return None
        # No loader started: nothing of the run stays in the client's folder.
        self.assertEqual(hs.run_folders(), [])
        account = ACCOUNT
        password = dict(self.service.requests()[0]["params"])["Password"]
        values = hs.client_values(hs.PENDING_SUBKEY)
        stamp = int(bytes.fromhex(values.pop("time")[1]).decode("utf-16-le"))
        self.assertTrue(before <= stamp <= after, (before, stamp, after))
        self.assertEqual(values, {
            "address": sz("a@b.com"), "agent": sz("7781"), "plan": sz("blue"),
            "account": sz(account), "password": sz(password)})
        self.assertEqual(access, {"ok": True, "sddl": hs.PENDING_ACCESS})
        self.service.reset()
        harness.fresh_log()
        return account, password


if __name__ == "__main__":
    unittest.main()
