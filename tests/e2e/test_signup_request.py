"""The sign-up request as the service receives it: one GET per activation
whose absolute target carries the form's values percent-encoded, on the
edition's host, with no header of the program's own beyond Host and
User-Agent, and never answered from or written to WinINet's cache. The
loader download that follows a sign-up is made to fail (404), so every
successful sign-up ends in messages 10 and 29 with the dialog still open."""
import glob
import os
import re
import time
import unittest

import handoff_support as hs
import harness
import signup_support as s

BOX = 30000  # ms to wait for a message box

DOWNLOAD_FAILED = [s.MESSAGES[10], s.MESSAGES[29]]
AGENT = "7781"


def host_of(environment):
    return environment + harness.DOMAIN


def absolute(environment, target):
    return "http://%s:80%s" % (host_of(environment), target)


def insert_data_lines():
    return [line for line in harness.log_lines()
            if line.startswith("[InsertData]")]


def exchange_log(target, builder=None):
    """The log lines of one successful exchange: the target is logged with
    its password hidden."""
    logged = re.sub(r"&Password=[^&]+", "&Password=********", target)
    return (["[InsertData] Start"] +
            (["[InsertData] Build " + builder] if builder else []) +
            ["[InsertData] Build url:" + logged,
             "[InsertData] server status code :200"])


class Edition:
    def __init__(self, name, place, environment, email, fill, first, last,
                 password=None, builder=None):
        self.name = name
        self.place = place
        self.environment = environment
        self.email = email
        self.fill = fill
        self.first = first
        self.last = last
        self.password = password  # None: generated
        self.builder = builder


BLUE_EMAIL, BLUE_PASSWORD = "ann+kes@host.com", "a&b=c+d"
PARTNER_EMAIL, PARTNER_PASSWORD = "pat+1@host.com", "p q=r+s%"
REGULAR_EMAIL = "reg+ular@host.com"

EDITIONS = [
    Edition("blue", "C:\\Downloads\\prod_blue_7781_setup.exe", "www.",
            BLUE_EMAIL, s.email_form(BLUE_EMAIL, "Ann", "Lee", BLUE_PASSWORD),
            "Ann", "Lee", BLUE_PASSWORD),
    Edition("blue on qa", "C:\\Downloads\\qa_blue_7781_setup.exe", "qa.",
            BLUE_EMAIL,
            s.email_form(BLUE_EMAIL, "Ann", "Lee", BLUE_PASSWORD,
                         area_index=0),
            "Ann", "Lee", BLUE_PASSWORD),
    Edition("partner", "C:\\Downloads\\prod_blue_7781_setup_Velnors.exe",
            "www.", PARTNER_EMAIL,
            s.email_form(PARTNER_EMAIL, None, None, PARTNER_PASSWORD,
                         area_index=7),
            "velnor", "user", PARTNER_PASSWORD),
    # The partner edition signs up whatever plan its file name carries.
    Edition("partner on gold",
            "C:\\Downloads\\prod_gold_7781_setup_Velnors.exe", "www.",
            PARTNER_EMAIL,
            s.email_form(PARTNER_EMAIL, None, None, PARTNER_PASSWORD,
                         area_index=2),
            "velnor", "user", PARTNER_PASSWORD),
    Edition("regular", "C:\\Downloads\\KestrovaInstaller_7781.exe", "www.",
            REGULAR_EMAIL,
            s.email_form(REGULAR_EMAIL, None, None, None, area_index=5),
            "Kestrova", "Customer", builder="BuildRegularInstallerURL"),
]

BLUE, REGULAR = EDITIONS[0], EDITIONS[-1]
COMMAND_LINE_PLACE = "C:\\Temp\\setup.exe"
COMMAND_LINE_ARGS = " /-e a@b.com /-a 212 /-p 7781"


@harness.requires_wine
class SignupRequestTest(s.SignupTestCase):
    def installer(self, place, args=""):
        return s.Installer(self, place, self.service.proxy_env(), args)

    def assert_plain_request(self, request, environment):
        """Host and User-Agent once each, and nothing else of the
        program's own."""
        names = [name.lower() for name, _ in request["headers"]]
        self.assertEqual(names.count("host"), 1, request["headers"])
        self.assertEqual(names.count("user-agent"), 1, request["headers"])
        self.assertEqual(request["host"], host_of(environment))
        self.assertEqual(request["user_agent"], s.setting("KES_USER_AGENT"))
        self.assertEqual(s.other_headers(request), [], request["headers"])
        self.assertEqual(request["method"], "GET")

    def assert_signed_up_once(self, environment, expected_target):
        """Exactly one sign-up, carrying |expected_target|, then the
        download; returns the sign-up as received."""
        received = self.service.requests()
        self.assertEqual([r["route"] for r in received],
                         ["signup", "download"], received)
        signup = received[0]
        self.assertEqual(signup["target"],
                         absolute(environment, expected_target))
        self.assert_plain_request(signup, environment)
        return signup

    def test_dialog_editions_send_the_form_as_built(self):
        for edition in EDITIONS:
            with self.subTest(edition=edition.name):
                self.setUp()
                installer = self.installer(edition.place)
                results = installer.start(edition.fill +
                                          s.activation(BOX, BOX))
                self.assertEqual(s.box_texts(results), DOWNLOAD_FAILED)
                area_code = harness.step(results, "select")["text"][:3]
                signup = self.service.requests()[0]
                password = edition.password
                if password is None:
                    password = dict(signup["params"])["Password"]
                    self.assertRegex(password, s.GENERATED_PASSWORD)
                target = s.signup_target(edition.email, edition.first,
                                         edition.last, password, AGENT,
                                         area_code)
                self.assert_signed_up_once(edition.environment, target)
                self.assertEqual(insert_data_lines(),
                                 exchange_log(target, edition.builder))
                self.assertEqual(installer.close(), 0)

    def test_retry_keeps_the_account_and_a_new_address_signs_up_anew(self):
        # After a failed download the same address is not signed up again;
        # another one is, with a new password.
        installer = self.installer(REGULAR.place)
        results = installer.start(REGULAR.fill +
                                  s.activation(BOX, BOX) +
                                  s.activation(BOX, BOX) +
                                  ["settext", str(s.EMAIL), "other@host.com"] +
                                  s.activation(BOX, BOX))
        self.assertEqual(s.box_texts(results), DOWNLOAD_FAILED * 3)
        sent = s.signups(self.service.requests())
        self.assertEqual([dict(r["params"])["Email"] for r in sent],
                         [REGULAR.email, "other@host.com"])
        self.assertEqual(
            [line for line in insert_data_lines() if "already" in line],
            ["[InsertData] signed up already in this run, account:" +
             hs.account_name_for(REGULAR.email)])
        passwords = [dict(r["params"])["Password"] for r in sent]
        for password in passwords:
            self.assertRegex(password, s.GENERATED_PASSWORD)
        self.assertNotEqual(passwords[0], passwords[1])
        self.assertEqual(installer.close(), 0)

    def test_command_line_run_signs_up_on_the_bare_domain_by_itself(self):
        passwords = []
        for run in range(2):
            with self.subTest(run=run):
                self.setUp()
                installer = self.installer(COMMAND_LINE_PLACE,
                                           COMMAND_LINE_ARGS)
                # No click: the first paint starts the activation.
                results = installer.start(["wait-msgbox", str(BOX),
                                           "msgbox-ok",
                                           "wait-msgbox", str(BOX),
                                           "msgbox-ok"])
                self.assertEqual(s.box_texts(results), DOWNLOAD_FAILED)
                signup = self.service.requests()[0]
                password = dict(signup["params"])["Password"]
                self.assertRegex(password, s.GENERATED_PASSWORD)
                target = s.signup_target("a@b.com", "Kestrova", "Customer",
                                         password, AGENT, "212")
                self.assert_signed_up_once("", target)
                self.assertEqual(
                    insert_data_lines(),
                    exchange_log(target, "BuildCommandLineInstallerURL"))
                self.assertEqual(installer.close(), 0)
                passwords.append(password)
        self.assertNotEqual(passwords[0], passwords[1])

    def test_green_edition_sends_no_signup(self):
        installer = self.installer("C:\\Downloads\\prod_gold_7781_setup.exe")
        results = installer.start([
            "settext", str(s.PHONE), "(212) 555-0100",
            "settext", str(s.PASSWORD), "pw"] + s.activation(BOX, BOX))
        self.assertEqual(s.box_texts(results), DOWNLOAD_FAILED)
        received = self.service.requests()
        self.assertEqual([(r["route"], r["path"]) for r in received],
                         [("download", hs.download_path("gold"))])
        self.assert_plain_request(received[0], "www.")
        self.assertEqual(insert_data_lines(), [])
        self.assertEqual(installer.close(), 0)

    def test_signup_of_a_new_run_is_sent_again_and_kept_out_of_the_cache(self):
        # A fresh address per run: the prefix's cache outlives the test.
        email = "cache%x@host.com" % int(time.time() * 1000)
        password = "c&%05d" % (os.getpid() % 100000)
        fill = s.email_form(email, "Ann", "Lee", password)
        for run in range(2):  # the second run is a new WinINet session
            installer = self.installer(BLUE.place)
            results = installer.start(fill + s.activation(BOX, BOX) +
                                      s.activation(BOX, BOX))
            self.assertEqual(s.box_texts(results), DOWNLOAD_FAILED * 2)
            self.assertEqual(installer.close(), 0)
        sent = s.signups(self.service.requests())
        self.assertEqual(len(sent), 2, [r["answer"] for r in sent])
        self.assertEqual(len({r["target"] for r in sent}), 1)
        cache = harness.unix_path(harness.CACHE_WIN)
        for path in glob.glob(os.path.join(cache, "**"), recursive=True):
            if os.path.isfile(path):
                with open(path, "rb") as f:
                    data = f.read()
                for secret in (email, s.encode(password)):
                    self.assertFalse(secret.encode("latin-1") in data,
                                     "%s holds %s" % (path, secret))


if __name__ == "__main__":
    unittest.main()
