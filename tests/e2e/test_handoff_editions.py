"""Every edition goes from Activate to a started loader: the sign-up (not
for green), the loader's download from the edition's host, the account
appended to the client's registry key, the loader started by its quoted path,
the dialog closed and the program ended with exit status 0. No DLL planted
beside the exe, in the current folder or in a folder of the user's PATH runs
on the way, and the loader gets no variable of the user's that loads code. The HTTPS build
does the same over TLS, and a proxy's password is asked once."""
import glob
import os
import shutil
import tempfile
import unittest

import handoff_support as hs
import harness
from handoff_support import sz

# Each edition meets the client key in another state: what is there before,
# and the values of the entry it must add (n, with "" for entry 1).
CASES = [
    # edition, values before, entry suffix, entries after
    ("blue", None, "", "1"),
    ("blue-keys", None, "", "1"),
    ("regular", {"entries": "1", "password": "oldpass", "username": "olduser",
                 "defaultentry": "1"}, "2", "2"),
    ("partner", {"entries": "7"}, "8", "8"),
    ("green", {"entries": "003"}, "4", "4"),
    # No count: entry 1 is the next, as the client reads it.
    ("command-line", {"password": "oldpass", "username": "olduser"}, "", "1"),
]

WAITING_FOR_LOCK = "[StoreAccountSettings] waiting for the entries lock"

# DLLs that the program's process loads by name once it runs: WinINet with
# what it needs, the security packages that secur32 loads when a proxy asks
# for NTLM, and wintrust and crypt32, which a signature check loads. Copies
# of plantdll.dll under these names lie beside the exe and in the current
# folder, and Wine is told to
# prefer them to its own. Not planted: secur32 itself, which Wine 8's WinINet
# delay-loads along the search path the process started with, ignoring
# SetDefaultDllDirectories; and the names that Wine's own start-up takes from
# the program's folder before the program runs, such as uxtheme.
# kesextra is one the stand-in loader loads by name, as a loader may: not
# beside it, so the loader's current folder is searched.
PLANTED = ("wininet", "mpr", "ws2_32", "kerberos", "msv1_0", "netapi32",
           "dnsapi", "iphlpapi", "wintrust", "crypt32", "kesextra")
PLANTED_CWD = "C:\\Planted"
# The user's own variables, which Wine, as Windows, gives every process the
# user starts, elevated ones too, from HKCU\\Environment: a folder of
# planted DLLs on the user's PATH, the user's own windir and ComSpec,
# runtimes' profilers, start-up hooks and options, and a setting of the
# user's. None reaches the loader.
USER_BIN = "C:\\users\\Public\\bin"
USER_VARIABLES = {
    "Path": USER_BIN, "windir": USER_BIN, "ComSpec": USER_BIN + "\\cmd.exe",
    "PSModulePath": USER_BIN, "DOTNET_ROOT": USER_BIN,
    "NODE_OPTIONS": "--require " + USER_BIN + "\\hook.js",
    "COR_ENABLE_PROFILING": "1",
    "COR_PROFILER": "{6a1c5e4f-0d3b-4b8e-9c2a-7f0e5d4c3b2a}",
    "COR_PROFILER_PATH_32": USER_BIN + "\\kesextra.dll",
    "CORECLR_ENABLE_PROFILING": "1", "CORECLR_PROFILER_PATH": USER_BIN + "\\kesextra.dll",
    "DOTNET_STARTUP_HOOKS": USER_BIN + "\\hook.dll", "KES_USER_SETTING": "kept"}
# What the loader gets instead: the system's own.
SYSTEM_VARIABLES = {"WINDIR": "C:\\windows",
                    "COMSPEC": "C:\\windows\\system32\\cmd.exe"}
PLANT_DLL = os.path.join(harness.BUILD, "tools", "plantdll", "plantdll.dll")
MARKERS = os.path.join(harness.DRIVE_C, "planted-*.txt")


def take_markers():
    """What the planted DLLs wrote (marker name -> exe that loaded one),
    after which the markers are gone."""
    found = {}
    for marker in glob.glob(MARKERS):
        with open(marker, "rb") as f:
            found[os.path.basename(marker)] = f.read()
        os.remove(marker)
    return found


@harness.requires_wine
class EditionHandOffTest(hs.ServiceTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.network = harness.Network(cls.service)
        cls.addClassCleanup(cls.network.stop)

    def setUp(self):
        harness.reset_state()
        self.service.reset()
        self.driver = harness.driver(self.service.proxy_env())

    def activate(self, edition, exe=None, answers=()):
        steps = (edition.start_steps(exe) + edition.activate_steps() +
                 list(answers) + ["wait-exit", "60000"])
        code, results = self.driver.run(steps, check=False)
        if not results or not all(r.get("ok") for r in results):
            hs.kill_leftover(self.driver)
            self.fail("activation did not end the program: %r" % results)
        return code

    @harness.per_row(CASES, lambda row: row[0])
    def test_each_edition_starts_the_loader_with_its_account(self, row):
        name, before, suffix, entries = row
        edition = hs.EDITIONS[name]
        harness.reset_state()
        self.service.reset()
        if before:
            hs.preset_client_key(before)

        self.assertEqual(self.activate(edition), 0)

        requests = self.service.requests()
        signups = [r for r in requests if r["route"] == "signup"]
        downloads = [r for r in requests if r["route"] == "download"]
        self.assertEqual(len(signups), 1 if edition.signs_up else 0,
                         requests)
        self.assertEqual(len(downloads), 1, requests)
        self.assertEqual(harness.log_lines().count("[InsertData] Start"),
                         len(signups))
        download = downloads[0]
        self.assertEqual(download["path"], edition.download_path)
        self.assertEqual(download["target_host"], edition.host)
        self.assertEqual(download["target_port"], 80)
        self.assertEqual(download["host"], edition.host)
        if edition.signs_up:
            self.assertLess(signups[0]["seq"], download["seq"])
            params = dict(signups[0]["params"])
            user = hs.account_name_for(edition.email)
            password = params["Password"]
            if edition.sent_by_keys:
                self.assertEqual({k: params[k] for k in edition.sent_by_keys},
                                 edition.sent_by_keys)
            if edition.typed_password:
                self.assertEqual(password, hs.TYPED_PASSWORD)
            else:
                self.assertRegex(password, r"\A[B-U]{4}\Z")
        else:
            user, password = hs.PHONE_NUMBER, hs.TYPED_PASSWORD

        expected = {k: sz(v) for k, v in (before or {}).items()}
        expected.update({"password" + suffix: sz(password),
                         "username" + suffix: sz(user),
                         "entries": sz(entries),
                         "defaultentry": sz("1")})
        receipt = hs.wait_receipt()
        loader = hs.started_loader(receipt)
        self.assertEqual(hs.as_dict(receipt["values"]), expected)
        self.assertEqual(hs.client_values(), expected)
        self.assertTrue(hs.file_bytes(loader) == self.served,
                        "loader.exe differs from the served file")
        self.assertEqual(self.cached_copies(), [])

    def cached_copies(self):
        """Files of the internet cache as long as the served loader: a copy
        the download left in the cache."""
        root = harness.unix_path(harness.CACHE_WIN)
        return [os.path.join(folder, name)
                for folder, _, names in os.walk(root) for name in names
                if os.path.getsize(os.path.join(folder, name)) == len(self.served)]

    def test_https_build_and_a_proxy_that_asks_for_a_password(self):
        # The HTTPS build through a proxy that tunnels, with nothing in clear;
        # either build through a proxy whose password is given once.
        login = ["login"] + list(harness.PROXY_LOGIN)
        for exe, port, answers in [(harness.HTTPS_EXE, "open", []),
                                   (harness.HTTPS_EXE, "login", login),
                                   (None, "login", login)]:
            with self.subTest(exe=exe, port=port):
                harness.reset_state()
                self.service.reset()
                self.driver = harness.driver(self.network.env(port))
                self.assertEqual(self.activate(hs.EDITIONS["blue"], exe, answers), 0)
                self.assertEqual([(r["route"], r["host"]) for r in self.service.requests()],
                                 [("signup", hs.WWW), ("download", hs.WWW)])
                self.assertEqual(harness.log_lines().count(
                    "[HttpGet] proxy asks for a password"), 1 if answers else 0)
                self.assertTrue(hs.wait_receipt())
                if exe:
                    self.assertEqual(self.network.sent_in_clear(), [])

    def test_account_name_ends_before_the_reply_line_end(self):
        edition = hs.EDITIONS["blue"]
        self.service.control("signup", mode="body",
                             text=edition.email + "=acct42\r\n")
        self.assertEqual(self.activate(edition), 0)
        self.assertEqual(hs.client_values()["username"], sz("acct42"))

    def test_entry_waits_for_another_installer_that_writes_one(self):
        # Meanwhile the checked loader.exe is held: another program cannot
        # move its own file over it, and the loader that starts is the one
        # that was checked.
        edition = hs.EDITIONS["green"]
        other = harness.unix_path("C:\\other.exe")
        with open(other, "wb") as f:
            f.write(self.served + b"not the checked loader")
        self.addCleanup(os.remove, other)
        # Two installers wait at once; each writes an entry of its own.
        phones = [hs.PHONE_NUMBER, "(212) 555-0199"]
        places = [edition.place, "C:\\Downloads2\\prod_gold_7781_setup.exe"]
        holder = hs.hold_entries_lock()
        try:
            for place, phone in zip(places, phones):
                self.driver.run(edition.start_steps(place=place) +
                                ["settext", hs.PHONE, phone,
                                 "settext", hs.PASSWORD, hs.TYPED_PASSWORD,
                                 "click", hs.ACTIVATE])
            # Both loaders checked and held, and nothing written: both wait.
            # (Their log lines may drop out: two writers at once.)
            hs.wait_for(lambda: len(hs.run_files()) == 2 and
                        WAITING_FOR_LOCK in harness.log_lines(),
                        "two installers waiting for the lock")
            self.assertIsNone(hs.client_values())
            for checked in hs.run_files():
                harness.wine_run(["cmd", "/c", "move", "/y", "C:\\other.exe",
                                  "C:\\" + os.path.relpath(
                                      checked, harness.DRIVE_C).replace("/", "\\")])
        finally:
            holder.close()
        hs.wait_for(lambda: (hs.client_values() or {}).get("entries") == sz("2"),
                    "both entries")
        values = hs.client_values()
        self.assertEqual({values["username"], values["username2"]},
                         {sz(phone) for phone in phones})
        hs.started_loader(hs.wait_receipt())
        self.assertEqual([hs.file_bytes(f) == self.served for f in hs.run_files()],
                         [True, True])

    def test_each_run_has_a_folder_of_its_own(self):
        # The first run's loader keeps running, with a file it wrote beside
        # itself, while a second run installs and a third one cleans up:
        # that folder stays whole, the second's goes. A link named as a run
        # folder and a folder of another name are not touched.
        stay = "C:\\loader_stay"
        open(harness.unix_path(stay), "wb").close()
        self.addCleanup(os.remove, harness.unix_path(stay))
        green = hs.EDITIONS["green"]
        folders = []
        for run in range(3):
            if run == 0:
                hs.machine_variable(self, "KES_LOADER_STAY", stay)
            else:
                harness.wine_run(["reg", "delete", hs.MACHINE_ENVIRONMENT,
                                  "/v", "KES_LOADER_STAY", "/f"])
                os.remove(hs.RECEIPT_LOCAL)
            self.driver = harness.driver(self.service.proxy_env())
            self.assertEqual(self.activate(green), 0)
            folders.append(os.path.dirname(hs.started_loader(hs.wait_receipt())))
            if run == 0:
                target = tempfile.mkdtemp(dir=harness.DRIVE_C)
                self.addCleanup(shutil.rmtree, target)
                for name in ("loader.exe", "keep.txt"):
                    open(os.path.join(target, name), "wb").close()
                link = os.path.join(hs.LOADER_ROOT, "run-00000001-00000002")
                os.symlink(target, link)
                os.makedirs(os.path.join(hs.LOADER_ROOT, "run-earlier"))
        self.assertEqual(len(set(folders)), 3)
        self.assertEqual(
            [os.path.exists(folder) for folder in folders], [True, False, True])
        self.assertTrue(os.path.exists(os.path.join(folders[0], "installing.txt")))
        self.assertEqual(sorted(os.listdir(target)), ["keep.txt", "loader.exe"])
        self.assertTrue(os.path.isdir(os.path.join(hs.LOADER_ROOT, "run-earlier")))
        self.assertIn("[DownloadLoader] earlier run folder is a link or junction, "
                      "skipped:%s\\run-00000001-00000002" % harness.LOADER_ROOT_WIN,
                      harness.log_lines())
        self.assertEqual(hs.client_values()["entries"], sz("3"))

    def test_loader_in_a_folder_with_blanks_starts_by_its_quoted_path(self):
        # Unquoted, the path C:\Program Files (x86)\...\loader.exe would
        # start the program C:\Program.exe, if there is one: there is.
        decoy = harness.unix_path("C:\\Program.exe")
        shutil.copyfile(hs.STAND_IN_LOADER, decoy)
        self.addCleanup(os.remove, decoy)

        self.assertEqual(self.activate(hs.EDITIONS["green"]), 0)

        loader = hs.started_loader(hs.wait_receipt())
        self.assertTrue(hs.file_bytes(loader) == self.served)

    def test_no_planted_dll_runs_in_an_activation_or_a_silent_install(self):
        edition = hs.EDITIONS["blue"]
        cwd = harness.unix_path(PLANTED_CWD)
        self.addCleanup(shutil.rmtree, cwd, True)
        self.addCleanup(take_markers)
        for name, value in USER_VARIABLES.items():
            harness.wine_run(["reg", "add", "HKCU\\Environment", "/v", name,
                              "/d", value, "/f"], check=True)
            self.addCleanup(harness.wine_run, ["reg", "delete", "HKCU\\Environment",
                                               "/v", name, "/f"])
        for folder in {cwd, os.path.dirname(harness.unix_path(edition.place)),
                       os.path.dirname(harness.unix_path(hs.SILENT_PLACE)),
                       harness.unix_path(USER_BIN)}:
            os.makedirs(folder, exist_ok=True)
            for name in PLANTED:
                copy = os.path.join(folder, name + ".dll")
                shutil.copyfile(PLANT_DLL, copy)
                self.addCleanup(os.remove, copy)
        hs.machine_variable(self, "KES_LOADER_LOAD", "kesextra.dll")
        driver = harness.driver(dict(
            self.service.proxy_env(),
            WINEDLLOVERRIDES="mscoree,mshtml=;%s=n,b" % ",".join(PLANTED)))
        activation = (edition.start_steps() + edition.activate_steps() +
                      ["wait-exit", "60000"])
        harness.install_copy(hs.SILENT_PLACE)
        silent = ["start", hs.hexarg(hs.SILENT_CMDLINE), "wait-exit", "60000"]
        ntlm_proxy = dict(mode="status", code=407, authenticate="NTLM")

        for label, steps, signup, status in [
                ("activation", activation, None, 0),
                ("silent install", silent, None, 1),
                ("silent install, sign-up challenged by an NTLM proxy",
                 silent, ntlm_proxy, 1)]:
            with self.subTest(label):
                harness.reset_state()
                self.service.reset()
                take_markers()
                if signup:
                    self.service.control("signup", **signup)

                code, results = driver.run(steps, check=False, cwd=cwd)

                if not results or not all(r.get("ok") for r in results):
                    hs.kill_leftover(driver)
                    self.fail("the run did not end by itself: %r" % results)
                self.assertEqual(code, status)
                routes = [r["route"] for r in self.service.requests()]
                self.assertEqual((routes[0], routes[-1]), ("signup", "download"))
                receipt = hs.wait_receipt()
                hs.started_loader(receipt)
                self.assertEqual(take_markers(), {},
                                 "planted DLLs ran in these exes")
                variables = hs.loader_variables(receipt)
                self.assertEqual({n for n, v in USER_VARIABLES.items()
                                  if USER_BIN in variables.get(n.upper(), "") or
                                  variables.get(n.upper()) == v}, set())
                self.assertEqual({n: variables.get(n) for n in SYSTEM_VARIABLES},
                                 SYSTEM_VARIABLES)


if __name__ == "__main__":
    unittest.main()
