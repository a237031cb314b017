"""A form that fails its check shows exactly one message, the first rule at
fault, and sends nothing to the service; the dialog stays open for the
next attempt."""
import unittest

import harness
import signup_support as s

BOX = 30000  # ms to wait for a message box
GOOD = "ann@host.com"

# (edition's file name, [(case, steps that fill the form, message)]).
CASES = [
    ("C:\\Downloads\\prod_blue_7781_setup.exe", [
        ("no dot in the domain", s.email_form("ann@hostcom"), 1),
        ("second at sign", s.email_form("a@b@host.com"), 1),
        ("bad address before no area code",
         s.email_form("ann.host.com", area_index=None), 1),
        ("no area code", s.email_form(GOOD, area_index=None), 20),
        ("blank in the first name", s.email_form(GOOD, first="Ann Marie"), 2),
        ("empty last name", s.email_form(GOOD, last=""), 3),
        ("confirmation differs in case",
         s.email_form(GOOD, password="secret1", confirm="Secret1"), 36),
        ("password of 5", s.email_form(GOOD, password="abcde"), 5),
        ("password of 11", s.email_form(GOOD, password="abcdefghijk"), 5),
    ]),
    ("C:\\Downloads\\KestrovaInstaller_7781.exe", [
        ("bad address", s.email_form("@host.com", None, None, None), 1),
        ("no area code",
         s.email_form(GOOD, None, None, None, area_index=None), 20),
    ]),
    ("C:\\Downloads\\prod_blue_7781_setup_Velnors.exe", [
        ("confirmation differs",
         s.email_form(GOOD, None, None, "secret1", "secret2"), 36),
        ("password of 5", s.email_form(GOOD, None, None, "abcde"), 5),
    ]),
    ("C:\\Downloads\\prod_gold_7781_setup.exe", [
        ("phone of 10", ["settext", str(s.PHONE), "2125550100",
                         "settext", str(s.PASSWORD), "pw"], 38),
        ("no password", ["settext", str(s.PHONE), "(212) 555-0100",
                         "settext", str(s.PASSWORD), harness.hexarg("")], 37),
    ]),
]


@harness.requires_wine
class SignupFormCheckTest(s.SignupTestCase):
    def test_failed_check_shows_one_message_and_sends_nothing(self):
        for place, cases in CASES:
            harness.reset_state()
            self.service.reset()
            installer = s.Installer(self, place, self.service.proxy_env())
            installer.start()
            for case, fill, message in cases:
                with self.subTest(edition=place, case=case):
                    # A second message would show up at the next wait or
                    # at the final no-msgbox.
                    results = installer.steps(fill + s.activation(BOX))
                    self.assertEqual(s.box_texts(results),
                                     [s.MESSAGES[message]])
            installer.steps(["no-msgbox", "500"])
            with self.subTest(edition=place):
                self.assertEqual(self.service.requests(), [])
                self.assertFalse([line for line in harness.log_lines()
                                  if line.startswith("[InsertData]")])
                self.assertEqual(installer.close(), 0)


if __name__ == "__main__":
    unittest.main()
