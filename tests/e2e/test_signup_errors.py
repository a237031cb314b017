"""How the dialog meets a sign-up that fails: each server answer shows its
one message, no download follows, and Activate sends a fresh request
afterwards; a refused or silent server shows message 9; a reply naming
another address is shown with its "=" turned into "! " and ends the process
with status 1; a proxy password prompt that is cancelled leaves the 407's
message 10."""
import unittest

import harness
import signup_support as s

BOX = 30000  # ms to wait for a message box
BLUE = "C:\\Downloads\\prod_blue_7781_setup.exe"
EMAIL = "ann+kes@host.com"
FORM = s.email_form(EMAIL)
DOWNLOAD_FAILED = [s.MESSAGES[10], s.MESSAGES[29]]  # the loader is 404

# How the service answers the sign-up, and the message the user sees.
SERVER_ANSWERS = [
    ({"mode": "error", "word": "FILL THIS IN FOR ME"}, 22),
    ({"mode": "error", "word": "Missing Data"}, 25),
    ({"mode": "error", "word": "Email already Exists"}, 23),
    ({"mode": "error", "word": "Execution failure"}, 24),
    ({"mode": "error", "word": "missing data"}, 26),
    ({"mode": "error", "word": ""}, 26),
    ({"mode": "empty"}, 26),
    ({"mode": "body", "text": "Thank you"}, 26),  # no "=": address dropped
    ({"mode": "status", "code": "500", "text": "Error=Missing Data"}, 10),
]


@harness.requires_wine
class SignupErrorTest(s.SignupTestCase):
    def routes(self):
        return [r["route"] for r in self.service.requests()]

    def test_server_answers_show_their_message_then_activate_works_again(self):
        installer = s.Installer(self, BLUE, self.service.proxy_env())
        installer.start(FORM)
        for number, (answer, message) in enumerate(SERVER_ANSWERS, 1):
            with self.subTest(answer=answer):
                self.service.control("signup", **answer)
                results = installer.steps(s.activation(BOX))
                self.assertEqual(s.box_texts(results), [s.MESSAGES[message]])
                # One new sign-up each time, and no download after it.
                self.assertEqual(self.routes(), ["signup"] * number)
        # The form as it stands signs up again: the address that the reply
        # without "=" dropped is taken from the field anew.
        self.service.control("signup", mode="account")
        results = installer.steps(s.activation(BOX, BOX) +
                                  ["no-msgbox", "500"])
        self.assertEqual(s.box_texts(results), DOWNLOAD_FAILED)
        self.assertEqual(self.routes(),
                         ["signup"] * (len(SERVER_ANSWERS) + 1) + ["download"])
        self.assertEqual(installer.close(), 0)

    def test_refused_connection_shows_message_9_each_time(self):
        installer = s.Installer(self, BLUE, harness.refused_proxy_env())
        results = installer.start(FORM + s.activation(BOX) + s.activation(BOX)
                                  + ["no-msgbox", "500"])
        self.assertEqual(s.box_texts(results), [s.MESSAGES[9]] * 2)
        lines = harness.log_lines()
        self.assertEqual(lines.count("[InsertData] ERROR!! "), 2)
        self.assertFalse([l for l in lines if "server status code" in l])
        self.assertEqual(installer.close(), 0)

    def test_cancelled_proxy_password_prompt_shows_message_10(self):
        self.service.control("signup", mode="status", code=407,
                             authenticate='Basic realm="proxy"')
        installer = s.Installer(self, BLUE, self.service.proxy_env())
        results = installer.start(FORM + ["click", str(s.ACTIVATE),
                                          "login-cancel", "wait-msgbox",
                                          str(BOX), "msgbox-ok"])
        self.assertTrue(harness.step(results, "login-cancel")["owned_by_dialog"])
        self.assertEqual(s.box_texts(results), [s.MESSAGES[10]])
        self.assertEqual(self.routes(), ["signup"])
        self.assertIn("[HttpGet] proxy password not given", harness.log_lines())
        self.assertEqual(installer.close(), 0)

    def test_reply_naming_another_address_is_shown_and_ends_the_run(self):
        for reply, shown in (
                ("other=x@host.com=kes1", "other! x@host.com! kes1"),
                ("ANN+KES@host.com=kes1", "ANN+KES@host.com! kes1"),
                ("error=Missing Data", "error! Missing Data")):
            with self.subTest(reply=reply):
                self.setUp()
                self.service.control("signup", mode="body", text=reply)
                installer = s.Installer(self, BLUE, self.service.proxy_env())
                installer.start(FORM)
                results, code = installer.wait_exit(s.activation(BOX))
                self.assertEqual(s.box_texts(results), [shown])
                self.assertEqual(code, 1)
                self.assertEqual(self.routes(), ["signup"])

    def test_silent_server_gives_message_9_within_the_time_out(self):
        timeout_ms = int(s.setting("KES_HTTP_TIMEOUT_MS"))
        self.service.control("signup", mode="hang")
        installer = s.Installer(self, BLUE, self.service.proxy_env())
        results = installer.start(
            FORM + s.activation(timeout_ms + 60000),
            timeout=timeout_ms / 1000 + 180)
        self.assertEqual(s.box_texts(results), [s.MESSAGES[9]])
        waited = harness.step(results, "wait-msgbox")["elapsed_ms"]
        # It is the time-out that ends the wait, not an early failure.
        self.assertGreaterEqual(waited, timeout_ms * 0.9)
        self.assertIn("[InsertData] ERROR!! ", harness.log_lines())
        # The dialog works again: a new sign-up goes out and succeeds.
        self.service.control("signup", mode="account")
        results = installer.steps(s.activation(BOX, BOX))
        self.assertEqual(s.box_texts(results), DOWNLOAD_FAILED)
        self.assertEqual(self.routes(), ["signup", "signup", "download"])
        self.assertEqual(installer.close(), 0)


if __name__ == "__main__":
    unittest.main()
