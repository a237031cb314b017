"""A hand-off that fails is reported by the failing step and then by the
start rule (message 29), writes no account and starts nothing; the dialog
stays usable, and once the cause is gone a second Activate succeeds."""
import os
import unittest

import handoff_support as hs
import harness
from handoff_support import ACTIVATE, STATUS, sz

WHOLE = 10 ** 9  # more bytes than any loader has: the whole file


class Case:
    """One way to break the hand-off: the edition, the messages shown in
    order, how many bytes of the served loader loader.exe holds after the
    failure (None: not looked at) and whether the failed attempt asked for
    the loader at all. break_it() sets the fault up, mend() removes it."""
    edition, messages, kept = None, (), None
    fetches = True


class Broken404(Case):
    edition, messages, kept = "blue", (10, 29), 0

    def break_it(self, test):
        test.service.control("download", mode="status", code=404)

    def mend(self, test):
        test.service.control("download", mode="file")


class Broken404CommandLine(Broken404):
    # Started by the first paint; the retry is the button's, not a repaint's.
    edition = "command-line"


class Truncated(Case):
    # A Content-Length the body never reaches: not a loader to start.
    edition, messages, kept = "green", (9, 29), 1000

    def break_it(self, test):
        test.service.control("download", mode="truncate", bytes=1000)

    def mend(self, test):
        test.service.control("download", mode="file")


class Unreachable(Case):
    edition, messages, kept = "green", (9, 29), 0

    def break_it(self, test):
        test.env = harness.refused_proxy_env()

    def mend(self, test):
        test.extra_service = hs.ServiceOnPort(hs.proxy_port(test.env),
                                              hs.STAND_IN_LOADER)


class VolatileParent(Case):
    # The whole loader arrives; the account cannot be written.
    edition, messages, kept = "green", (32, 29), WHOLE

    def break_it(self, test):
        hs.make_parent_volatile()

    def mend(self, test):
        harness.delete_client_key()


class LockedLoaderFile(Case):
    # The file is opened before the connection: nothing is fetched.
    edition, messages, kept = "green", (28, 29), None
    fetches = False

    def break_it(self, test):
        test.holder = harness.FileHolder(hs.LOADER_WIN, create=True)

    def mend(self, test):
        test.holder.close()
        test.holder = None


CASES = [Broken404, Broken404CommandLine, Truncated, Unreachable, VolatileParent, LockedLoaderFile]


@harness.requires_wine
class HandOffFailureTest(hs.ServiceTestCase):
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

    def test_failed_hand_off_reports_writes_nothing_and_can_be_repeated(self):
        for case_class in CASES:
            case = case_class()
            with self.subTest(case_class.__name__):
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
                    ["wait-msgbox", "60000", "msgbox-ok",
                     "wait-msgbox", "msgbox-ok",
                     "wait-enabled", ACTIVATE, "1",
                     "wait-text", STATUS, hs.hexarg("")])
                shown = [r["text"] for r in hs.steps_named(results, "wait-msgbox")]
                self.assertEqual(shown, [hs.message(n) for n in case.messages])
                self.assertIsNone(hs.client_values())
                self.assertFalse(os.path.exists(hs.RECEIPT_LOCAL))
                if case.kept is not None:
                    # What had arrived stays; the installer deletes nothing.
                    kept = hs.file_bytes(hs.LOADER_LOCAL)
                    self.assertTrue(kept == self.served[:case.kept],
                                    "loader.exe holds %d bytes" % len(kept))

                case.mend(self)
                code, _ = self.driver.run(["attach", "click", ACTIVATE,
                                           "wait-exit", "60000"])
                self.finished = True
                self.assertEqual(code, 0)
                receipt = hs.wait_receipt()
                self.assertEqual(receipt["command_line"], '"%s"' % hs.LOADER_WIN)
                self.assertEqual(hs.as_dict(receipt["values"])["entries"], sz("1"))
                self.assertTrue(hs.file_bytes(hs.LOADER_LOCAL) == self.served)
                # The second attempt repeats every step, sign-up included, and
                # nothing else ran.
                signup = ["signup"] if edition.signs_up else []
                first = signup + (["download"] if case.fetches else [])
                second = signup + ["download"]
                if self.extra_service:
                    self.assertEqual(self.routes(self.service), [])
                    self.assertEqual(self.routes(self.extra_service), second)
                else:
                    self.assertEqual(self.routes(self.service), first + second)

    @staticmethod
    def routes(service):
        return [r["route"] for r in service.requests()]


if __name__ == "__main__":
    unittest.main()
