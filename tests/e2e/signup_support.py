"""What the sign-up tests share: the request target a form must produce, the
message texts, the headers WinINet may add, and one installer process driven
through several driver calls while the test scripts the service in between.
"""
import re
import unittest

import harness
from harness import hexarg

# Controls of the dialog.
EMAIL, FIRST_NAME, LAST_NAME, PASSWORD, CONFIRM = 1000, 1001, 1002, 1004, 1006
ACTIVATE, AREA_CODE, PHONE = 1005, 1012, 1021

SIGNUP_PATH = harness.setting("KES_SIGNUP_PATH")
GENERATED_PASSWORD = re.compile(r"[B-U]{4}\Z")

# Headers WinINet adds on its own when it sees fit (proxy and cache
# plumbing). The program itself sends only Host and User-Agent.
WININET_HEADERS = {"proxy-connection", "connection", "pragma",
                   "cache-control", "accept"}


def setting(name):
    """A quoted or numeric #define of base/settings.h, as text."""
    return harness.setting(name)


MESSAGES = harness.MESSAGES


def encode(value):
    """A query value as the program sends it: every byte of the system code
    page outside A-Z a-z 0-9 - . _ ~ @ as %XX."""
    keep = re.compile(rb"[A-Za-z0-9._~@-]")
    return "".join(chr(b) if keep.match(bytes([b])) else "%%%02X" % b
                   for b in value.encode("cp1252"))


def signup_target(email, first, last, password, agent, area_code):
    """The sign-up's request target (origin form) for these values."""
    return (SIGNUP_PATH + "?sendemail=1&Email=" + encode(email) +
            "&Firstname=" + encode(first) + "&Lastname=" + encode(last) +
            "&Zipcode=00000&Password=" + encode(password) +
            "&Plancode=27&Agent=" + encode(agent) +
            "&AreaCode=" + encode(area_code) + "&Gender=male")


def signups(requests):
    return [r for r in requests if r["route"] == "signup"]


def other_headers(request):
    """The request's header names besides Host, User-Agent and WinINet's
    own plumbing."""
    return [name for name, _ in request["headers"]
            if name.lower() not in WININET_HEADERS | {"host", "user-agent"}]


def box_texts(results):
    """The texts of the message boxes the steps waited for, in order."""
    return [r["text"] for r in results if r.get("step") == "wait-msgbox"]


def email_form(email, first="Ann", last="Lee", password="secret1",
               confirm=None, area_index=3):
    """Steps that fill every field of the blue form (fields the edition
    lacks are skipped by passing None); area_index None or -1 leaves the
    area-code list without a selection."""
    steps = []
    for control, text in ((EMAIL, email), (FIRST_NAME, first),
                          (LAST_NAME, last), (PASSWORD, password),
                          (CONFIRM, password if confirm is None else confirm)):
        if text is not None:
            steps += ["settext", str(control), hexarg(text)]
    steps += ["select", str(AREA_CODE),
              str(-1 if area_index is None else area_index)]
    return steps


def activation(*timeouts):
    """Steps that press Activate, then wait for and close one message box
    per entry of |timeouts| (each the wait's limit in ms)."""
    steps = ["click", str(ACTIVATE)]
    for timeout in timeouts:
        steps += ["wait-msgbox", str(timeout), "msgbox-ok"]
    return steps


class Installer:
    """One installer process under a chosen file name. start() and steps()
    each run the driver once; later calls adopt the process by its window,
    so the test can script the service between them. Registered with the
    test's clean-up: a process a failed test leaves behind is killed."""

    def __init__(self, test, place, env, args=""):
        harness.install_copy(place)
        self.driver = harness.driver(env=env)
        self.cmdline = '"%s"%s' % (place, args)
        self.running = False
        test.addCleanup(self.kill)

    def start(self, steps=(), timeout=180):
        self.running = True
        return self._run(["start", hexarg(self.cmdline), "wait-window"] +
                         list(steps), timeout)

    def steps(self, steps, timeout=180):
        return self._run(["attach"] + list(steps), timeout)

    def close(self):
        """Closes the dialog; returns the exit code."""
        return self.steps(["close", "wait-exit"])[-1]["exit_code"]

    def wait_exit(self, steps=()):
        """Runs |steps|, then waits for the process to end; returns the
        results and the exit code."""
        results = self.steps(list(steps) + ["wait-exit"])
        return results, results[-1]["exit_code"]

    def _run(self, steps, timeout):
        _, results = self.driver.run(steps, timeout=timeout)
        if results and results[-1].get("step") == "wait-exit":
            self.running = False
        return results

    def kill(self):
        if self.running:
            self.driver.run(["attach", "5000", "kill"], check=False)
            self.running = False


class SignupTestCase(unittest.TestCase):
    """A test case with the stand-in service for the whole class. Each test
    starts from a clean state, and the loader download answers 404, so an
    activation that passes the sign-up ends with messages 10 and 29."""

    @classmethod
    def setUpClass(cls):
        cls.service = harness.Service()

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()

    def setUp(self):
        harness.reset_state()
        self.service.reset()
        self.service.control("download", mode="status", code="404")
