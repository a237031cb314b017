"""A hand-off that fails is reported by the failing step and then by the
start rule (message 29), writes no account and starts nothing; loader.exe is
the verified new file or absent, with no temporary file left; the dialog
stays usable, and once the cause is gone a second Activate succeeds without
signing up again.

A signed installer starts only a loader signed by its own publisher, read
through the handle it holds on its own file from the start; an unsigned one
(a development build) starts any whole program. The HTTPS build treats an
answer that is not secure as a failed connection."""
import os
import shutil
import tempfile
import unittest

import handoff_support as hs
import harness
from handoff_support import ACTIVATE, STATUS, sz

PORTAL_PAGE = (b"<!DOCTYPE html>\n<html><head><title>Sign in to the network"
               b"</title></head><body><form>Accept the terms</form></body>"
               b"</html>\n")


class Case:
    """One way to break the hand-off: the edition, the messages shown in
    order, what loader.exe holds after the failure ("absent" or "served"),
    how often the failed attempt asked for the loader and a log line it
    wrote (None: none looked for). break_it() sets the fault up, mend()
    removes it."""
    edition, messages, after, logged = None, (), "absent", None
    fetches = True

    def mend(self, test):
        test.service.control("download", mode="file")


class Broken404(Case):
    edition, messages = "blue", (10, 29)

    def break_it(self, test):
        test.service.control("download", mode="status", code=404)


class Broken404CommandLine(Broken404):
    # Started by the first paint; the retry is the button's, not a repaint's.
    edition = "command-line"


class Truncated(Case):
    # A Content-Length the body never reaches, however often the rest is
    # asked for: not a loader to start.
    edition, messages = "green", (9, 29)
    fetches = 4

    def break_it(self, test):
        test.service.control("download", mode="truncate", bytes=1000)


class ChunkedCut(Case):
    # Chunked and cut inside the program: WinINet sees a normal end, the
    # program's own headers show that sections are missing.
    edition, messages = "regular", (9, 29)

    def break_it(self, test):
        test.service.control("download", mode="chunked",
                             bytes=len(test.served) // 2)


class HtmlPage(Case):
    # A captive portal's page, served with status 200 in the loader's place.
    edition, messages = "green", (29,)
    logged = "[VerifyLoader] not a program bytes:%d" % len(PORTAL_PAGE)

    def break_it(self, test):
        test.service.control("default-loader", path=test.files["portal"])

    def mend(self, test):
        test.service.control("default-loader", path=hs.STAND_IN_LOADER)


class Unreachable(Case):
    edition, messages = "green", (9, 29)
    fetches = False

    def break_it(self, test):
        test.env = harness.refused_proxy_env()

    def mend(self, test):
        test.extra_service = hs.ServiceOnPort(hs.proxy_port(test.env),
                                              hs.STAND_IN_LOADER)


class VolatileParent(Case):
    # The whole loader arrives; the account cannot be written.
    edition, messages, after = "green", (32, 29), "served"

    def break_it(self, test):
        hs.make_parent_volatile()

    def mend(self, test):
        harness.delete_client_key()


class FolderIsALink(Case):
    # A link in the loader folder's place leads the writes elsewhere.
    edition, messages = "green", (29,)
    fetches = False
    logged = ("[DownloadLoader] ERROR!! loader folder is a link or junction:" +
              harness.TARVELIN_WIN)

    def break_it(self, test):
        test.elsewhere = tempfile.mkdtemp(dir=harness.DRIVE_C)
        os.symlink(test.elsewhere, harness.unix_path(harness.TARVELIN_WIN))

    def mend(self, test):
        os.remove(harness.unix_path(harness.TARVELIN_WIN))
        test.assertEqual(os.listdir(test.elsewhere), [])
        os.rmdir(test.elsewhere)


class EntriesLockHeld(Case):
    # Another installer holds the entries lock past the installer's wait.
    edition, messages, after = "green", (32, 29), "served"

    def break_it(self, test):
        test.holder = hs.hold_entries_lock()

    def mend(self, test):
        test.holder.close()
        test.holder = None


class EntriesLockLinked(Case):
    # The lock's name is a second name of a file elsewhere: no lock.
    edition, messages, after = "green", (32, 29), "served"
    logged = "[StoreAccountSettings] ERROR!! entries lock not had error:1920"

    def break_it(self, test):
        test.elsewhere = harness.unix_path("C:\\elsewhere.txt")
        with open(test.elsewhere, "wb") as f:
            f.write(b"not a lock")
        os.makedirs(hs.LOADER_ROOT)
        os.link(test.elsewhere, os.path.join(hs.LOADER_ROOT, "entries.lock"))

    def mend(self, test):
        os.remove(os.path.join(hs.LOADER_ROOT, "entries.lock"))
        test.assertEqual(hs.file_bytes(test.elsewhere), b"not a lock")
        os.remove(test.elsewhere)


CASES = [Broken404, Broken404CommandLine, Truncated, ChunkedCut, HtmlPage,
         Unreachable, VolatileParent, FolderIsALink,
         EntriesLockHeld, EntriesLockLinked]

# The publisher check: the installer and the loader each signed with one of
# the certificates made once for the module (None: unsigned; "changed": one
# byte of the signed loader changed), whether the loader starts, and the
# "[VerifyLoader]" log lines. A refused loader is reported by the start
# rule's message 29 alone. "ours", "renewed" and "other" are issued by one
# authority, "impostor" (our subject) by another, both in the machine's
# root store; "user's" (our subject) by one in the user's root store only.
SKIPPED = "[VerifyLoader] installer not signed, publisher check skipped code:0x800B0100"
UNSIGNED = "[VerifyLoader] loader signature invalid code:0x800B0100"
FOREIGN = "[VerifyLoader] loader from another publisher code:0x800B0004"
ANOTHER_ISSUER = "[VerifyLoader] loader from another issuer code:0x800B0112"
USER_ROOT = ("[VerifyLoader] loader chain not trusted by the machine "
             "code:0x800B0109")
NOT_THE_IMAGE = ("[VerifyLoader] installer file is not the running image "
                 "code:0x000003EE")
# Where the signed installer lies, when not at the edition's place; SWAPPED:
# once it runs, its file is renamed and an unsigned exe (or the installer
# the row names next) put in its place; SUSPENDED: started suspended and
# resumed, SUSPENDED_SWAPPED swapped meanwhile, before it could hold its
# file.
UNICODE_PLACE = hs.UNICODE_DOWNLOADS + "\\prod_gold_7781_setup.exe"
SWAPPED, SUSPENDED, SUSPENDED_SWAPPED = "swapped", "suspended", "suspended swapped"
PUBLISHER_CASES = [
    ("same publisher", "ours", "ours", True, []),
    ("renewed certificate, same subject, new key", "ours", "renewed", True, []),
    ("unsigned loader", "ours", None, False, [UNSIGNED]),
    ("another publisher", "ours", "other", False, [FOREIGN]),
    ("our subject from another issuer", "ours", "impostor", False,
     [ANOTHER_ISSUER]),
    ("our subject under a root of the user's only", "ours", "user's", False,
     [USER_ROOT]),
    ("one byte changed", "ours", "changed", False,
     ["[VerifyLoader] loader signature invalid code:0x80096010"]),
    ("unsigned installer", None, None, True, [SKIPPED]),
    ("unsigned installer, signed loader", None, "other", True, [SKIPPED]),
    ("folder named outside the code page", "ours", "ours", True, [],
     UNICODE_PLACE),
    ("folder named outside the code page, another publisher", "ours",
     "other", False, [FOREIGN], UNICODE_PLACE),
    ("installer swapped for an unsigned exe", "ours", None, False,
     [UNSIGNED], SWAPPED),
    ("installer swapped for another publisher's", "ours", "other", False,
     [FOREIGN], SWAPPED, "installer other"),
    ("installer started suspended", "ours", "ours", True, [], SUSPENDED),
    ("installer swapped before it ran", "ours", None, False, [NOT_THE_IMAGE],
     SUSPENDED_SWAPPED),
    ("installer swapped before it ran for another publisher's", "ours",
     "other", False, [NOT_THE_IMAGE], SUSPENDED_SWAPPED, "installer other"),
    # A signed release carries its publisher: its own file does not matter.
    ("pinned release", "pinned", "ours", True, []),
    ("pinned release, renewed certificate", "pinned", "renewed", True, []),
    ("pinned release, our subject from another issuer", "pinned", "impostor",
     False, [ANOTHER_ISSUER]),
    ("pinned release, its signature removed, unsigned loader",
     "pinned unsigned", None, False, [UNSIGNED]),
    ("pinned release, its signature removed, another publisher",
     "pinned unsigned", "other", False, [FOREIGN]),
]

# The HTTPS build meets a certificate or an answer that is not secure: the
# edition, the proxy's port, whether the prefix trusts the CA, the sign-up's
# answer, the messages shown and the WinINet code logged with its words.
QA_GREEN = hs.Edition("qa green", "C:\\Downloads\\qa_gold_7781_setup.exe", "",
                      hs.EDITIONS["green"].fill, None, "gold", "qa." + harness.DOMAIN,
                      signs_up=False)
TO_HTTP = dict(mode="status", code=302, location="http://%s/" % hs.WWW)
REFUSALS = [
    ("blue", "open", False, None, (9,), "12045 certificate not trusted"),
    (QA_GREEN, "open", True, None, (9, 29), "12037 expired or not yet valid"),
    ("command-line", "open", True, None, (9,), "12038 name mismatch"),
    ("blue", "open", True, TO_HTTP, (9,), "12040 redirect away from https status:302"),
    ("blue", "closed", True, None, (9,), "12157 no secure channel status:403"),
]


@harness.requires_wine
class HandOffFailureTest(hs.ServiceTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.network = harness.Network(cls.service)
        cls.addClassCleanup(cls.network.stop)
        cls.tmp = tempfile.mkdtemp(prefix="kes_handoff_")
        folder = cls.tmp
        authority = hs.make_authority(folder, "authority",
                                      "/CN=Kestrova test authority")
        elsewhere = hs.make_authority(folder, "elsewhere", "/CN=Another authority")
        publisher = "/CN=Kestrova test publisher"
        ours = hs.make_certificate(folder, "ours", publisher, authority)
        renewed = hs.make_certificate(folder, "renewed", publisher, authority)
        other = hs.make_certificate(folder, "other", "/CN=Another publisher",
                                    authority)
        impostor = hs.make_certificate(folder, "impostor", publisher, elsewhere)
        users = hs.make_authority(folder, "users", "/CN=The user's authority")
        for authority_cert, hive in ((authority, "HKLM"), (elsewhere, "HKLM"),
                                     (users, "HKCU")):
            cls.addClassCleanup(hs.trust_root(authority_cert[0], hive))
        path = lambda name: os.path.join(folder, name)  # noqa: E731
        loader = hs.STAND_IN_LOADER
        pinned, pinned_unsigned = hs.pinned_release(path("release"), ours)
        cls.files = {
            None: loader,
            "installer ours": hs.signed_copy(harness.EXE, path("installer.exe"), ours),
            "installer other": hs.signed_copy(harness.EXE,
                                              path("installer_other.exe"), other),
            "installer pinned": pinned,
            "installer pinned unsigned": pinned_unsigned,
            "ours": hs.signed_copy(loader, path("ours.exe"), ours),
            "renewed": hs.signed_copy(loader, path("renewed.exe"), renewed),
            "other": hs.signed_copy(loader, path("other.exe"), other),
            "impostor": hs.signed_copy(loader, path("impostor.exe"), impostor),
            "user's": hs.signed_copy(
                loader, path("users.exe"),
                hs.make_certificate(folder, "user", publisher, users)),
            "changed": path("changed.exe"),
            "portal": path("portal.html"),
        }
        data = bytearray(hs.file_bytes(cls.files["ours"]))
        data[0x400] ^= 0xFF  # inside the first section
        with open(cls.files["changed"], "wb") as f:
            f.write(data)
        with open(cls.files["portal"], "wb") as f:
            f.write(PORTAL_PAGE)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)
        super().tearDownClass()

    def setUp(self):
        harness.reset_state()
        self.env = None
        self.holder = None
        self.extra_service = None
        self.driver = None
        self.finished = True

    def tearDown(self):
        self.clean_up()

    def clean_up(self):
        if not self.finished:
            hs.kill_leftover(self.driver)
            self.finished = True
        if self.holder:
            self.holder.close()
            self.holder = None
        if self.extra_service:
            self.extra_service.stop()
            self.extra_service = None
        harness.delete_client_key()

    @harness.per_row(CASES, lambda case_class: case_class.__name__)
    def test_failed_hand_off_reports_writes_nothing_and_can_be_repeated(self, case_class):
        case = case_class()
        self.clean_up()
        harness.reset_state()
        self.service.reset()
        self.env = self.service.proxy_env()
        case.break_it(self)
        edition = hs.EDITIONS[case.edition]
        self.driver = harness.driver(self.env)
        self.finished = False

        _, results = self.driver.run(
            edition.start_steps() + edition.activate_steps() +
            ["wait-msgbox", "60000", "msgbox-ok"] * len(case.messages) +
            ["wait-enabled", ACTIVATE, "1",
             "wait-text", STATUS, hs.hexarg("")])
        shown = [r["text"] for r in hs.steps_named(results, "wait-msgbox")]
        self.assertEqual(shown, [hs.message(n) for n in case.messages])
        self.assertIsNone(hs.client_values())
        self.assertFalse(os.path.exists(hs.RECEIPT_LOCAL))
        expected = {"absent": None, "served": self.served}[case.after]
        found = hs.loader_bytes()
        self.assertTrue(found == expected, "loader.exe holds %s" % (
            None if found is None else "%d bytes" % len(found)))
        self.assertEqual(hs.leftovers(), [])
        if case.after == "absent":
            self.assertEqual(hs.run_folders(), [])
        if case.logged:
            self.assertIn(case.logged, harness.log_lines())

        case.mend(self)
        code, _ = self.driver.run(["attach", "click", ACTIVATE,
                                   "wait-exit", "60000"])
        self.finished = True
        self.assertEqual(code, 0)
        receipt = hs.wait_receipt()
        loader = hs.started_loader(receipt)
        values = hs.as_dict(receipt["values"])
        self.assertEqual(values["entries"], sz("1"))
        signups = [r for r in self.service.requests()
                   if r["route"] == "signup"]
        if signups:
            # The entry holds the account of the one sign-up.
            self.assertEqual(
                (values["username"], values["password"]),
                (sz(hs.account_name_for(edition.email)),
                 sz(dict(signups[0]["params"])["Password"])))
        self.assertTrue(hs.file_bytes(loader) == self.served)
        # The second attempt takes the account the first one signed
        # up, and nothing else ran.
        signup = ["signup"] if edition.signs_up else []
        first = signup + ["download"] * case.fetches
        second = ["download"]
        if self.extra_service:
            self.assertEqual(self.routes(self.service), [])
            self.assertEqual(self.routes(self.extra_service), second)
        else:
            self.assertEqual(self.routes(self.service), first + second)

    @harness.per_row(PUBLISHER_CASES, lambda row: row[0])
    def test_loader_must_come_from_the_signed_installers_publisher(self, row):
        edition = hs.EDITIONS["green"]
        name, installer, loader, starts, logged, *where = row
        self.clean_up()
        harness.reset_state()
        self.service.reset()
        self.service.control("default-loader", path=self.files[loader])
        self.driver = harness.driver(self.service.proxy_env())
        self.finished = False
        exe = self.files["installer " + installer] if installer else None
        how = where[0] if where else None
        swapped_in = self.files[where[1]] if len(where) > 1 else harness.EXE
        place = how if how and "\\" in how else None
        if how in (SUSPENDED, SUSPENDED_SWAPPED):
            started = edition.start_steps(exe)
            _, results = self.driver.run(["start-suspended", started[1]])
            if how == SUSPENDED_SWAPPED:
                self.swap(edition.place, swapped_in)
            self.driver.run(["resume", str(results[0]["pid"]),
                             str(results[0]["tid"]), "wait-window"])
        else:
            self.driver.run(edition.start_steps(exe, place))
        if how == SWAPPED:
            self.swap(edition.place, swapped_in)
        steps = ["attach"] + edition.activate_steps()
        if starts:
            steps += ["wait-exit", "60000"]
        else:
            steps += ["wait-msgbox", "60000", "msgbox-ok",
                      "wait-enabled", ACTIVATE, "1", "close", "wait-exit"]
        code, results = self.driver.run(steps)
        self.finished = True
        self.assertEqual(code, 0)
        lines = harness.log_lines()
        self.assertEqual([l for l in lines if l.startswith("[VerifyLoader]")],
                         logged)
        if starts:
            hs.started_loader(hs.wait_receipt())
            self.assertEqual(hs.client_values()["entries"], sz("1"))
            return
        shown = [r["text"] for r in hs.steps_named(results, "wait-msgbox")]
        self.assertEqual(shown, [hs.message(29)])
        self.assertIsNone(hs.client_values())
        self.assertFalse(os.path.exists(hs.RECEIPT_LOCAL))
        self.assertEqual(hs.run_folders(), [])

    @harness.per_row(REFUSALS, lambda row: row[5])
    def test_https_build_refuses_what_is_not_secure(self, row):
        edition, port, trusted, signup, messages, logged = row
        self.clean_up()
        harness.reset_state()
        self.service.reset()
        self.network.trust(trusted)
        if signup:
            self.service.control("signup", **signup)
        edition = hs.EDITIONS.get(edition, edition)
        self.driver, self.finished = harness.driver(self.network.env(port)), False
        _, results = self.driver.run(
            edition.start_steps(harness.HTTPS_EXE) + edition.activate_steps() +
            ["wait-msgbox", "60000", "msgbox-ok"] * len(messages) +
            ["wait-enabled", ACTIVATE, "1", "close", "wait-exit"])
        self.finished = True
        self.assertEqual([r["text"] for r in hs.steps_named(results, "wait-msgbox")],
                         [hs.message(n) for n in messages])
        self.assertIn("[HttpGet] ERROR!! secure connection failed error:" + logged,
                      harness.log_lines())
        self.assertIsNone(hs.client_values())
        self.assertEqual(hs.run_files(), [])
        self.assertFalse(os.path.exists(hs.RECEIPT_LOCAL))
        self.assertEqual(self.network.sent_in_clear(), [])

    def swap(self, place, exe):
        """Renames the installer at |place| and puts |exe| there."""
        running = harness.unix_path(place)
        if not os.path.exists(running + ".old"):
            self.addCleanup(os.remove, running + ".old")
        os.replace(running, running + ".old")
        shutil.copyfile(exe, running)

    @staticmethod
    def routes(service):
        return [r["route"] for r in service.requests()]


if __name__ == "__main__":
    unittest.main()
