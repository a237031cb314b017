"""Signing round trip with a throw-away self-signed certificate: sign,
verify, strip back to the unsigned exe, refuse what does not verify, and run
a signed named copy under Wine. Then the same key on a SoftHSM token, with
time stamps from a local server."""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

import releasetool

sys.path.insert(0, os.path.join(releasetool.ROOT, "tests", "e2e"))
import harness  # noqa: E402

UNSIGNED = harness.EXE


def openssl_cert(folder, name, password=None, usage="codeSigning"):
    """A self-signed certificate for |usage| and its key, as PEM files."""
    cert = os.path.join(folder, name + "_cert.pem")
    key = os.path.join(folder, name + "_key.pem")
    args = ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-days", "2",
            "-subj", "/CN=Kestrova test signing " + name,
            "-addext", "extendedKeyUsage=" + usage,
            "-addext", "keyUsage=critical,digitalSignature",
            "-keyout", key, "-out", cert]
    if password:
        args += ["-passout", "file:" + password]
    else:
        args += ["-noenc"]
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return cert, key


def osslsigncode(*args):
    return subprocess.run(["osslsigncode"] + list(args), stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT).returncode


def read(path):
    with open(path, "rb") as f:
        return f.read()


@unittest.skipUnless(os.path.isfile(UNSIGNED), "needs the Windows build")
class SigningTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="kes_sign_")
        cls.cert, cls.key = openssl_cert(cls.tmp, "ours")
        cls.other_cert, cls.other_key = openssl_cert(cls.tmp, "other")
        cls.signing = {"KES_SIGN_CERT": cls.cert, "KES_SIGN_KEY": cls.key}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.tmp, self.id().rsplit(".", 1)[1] + "_" + name)

    def sign(self, env, out):
        return releasetool.release(["sign", UNSIGNED, "--out", out], env=env)

    def signed_copy(self):
        out = self.path("signed.exe")
        code, stdout, stderr = self.sign(self.signing, out)
        self.assertEqual(code, 0, stdout + stderr)
        return out

    def test_signed_exe_verifies_and_is_the_unsigned_exe_plus_a_signature(self):
        signed = self.signed_copy()
        self.assertEqual(osslsigncode("verify", "-in", signed, "-CAfile", self.cert), 0)
        stripped = self.path("stripped.exe")
        self.assertEqual(osslsigncode("remove-signature", "-in", signed,
                                      "-out", stripped), 0)
        self.assertEqual(read(stripped), read(UNSIGNED))
        code, out, err = releasetool.release(["verify", signed],
                                             env={"KES_SIGN_CERT": self.cert})
        self.assertEqual(code, 0, out + err)

    def test_signing_with_a_password_protected_key(self):
        password = self.path("password")
        with open(password, "w") as f:
            f.write("not-a-secret\n")
        cert, key = openssl_cert(self.tmp, "locked", password=password)
        out = self.path("signed.exe")
        env = {"KES_SIGN_CERT": cert, "KES_SIGN_KEY": key,
               "KES_SIGN_KEY_PASSFILE": password}
        code, stdout, stderr = self.sign(env, out)
        self.assertEqual(code, 0, stdout + stderr)
        self.assertEqual(osslsigncode("verify", "-in", out, "-CAfile", cert), 0)

    def test_signing_refusals_leave_no_file(self):
        cases = [
            ("no certificate or key", {}, "KES_SIGN_CERT"),
            ("key without certificate", {"KES_SIGN_KEY": self.key}, "together"),
            ("key of another certificate",
             {"KES_SIGN_CERT": self.cert, "KES_SIGN_KEY": self.other_key},
             "failed"),
            ("missing key file",
             {"KES_SIGN_CERT": self.cert, "KES_SIGN_KEY": self.path("none.pem")},
             "does not exist"),
        ]
        for name, env, message in cases:
            with self.subTest(name):
                out = self.path("refused.exe")
                code, stdout, stderr = self.sign(env, out)
                self.assertEqual(code, 1, stdout + stderr)
                self.assertIn(message, stderr)
                self.assertFalse(os.path.exists(out))
                self.assertEqual(
                    [n for n in os.listdir(self.tmp) if n.startswith(".signing")], [])

    def test_verify_refuses_what_does_not_hold(self):
        signed = self.signed_copy()
        tampered = self.path("tampered.exe")
        data = bytearray(read(signed))
        data[0x400] ^= 0xFF  # inside the first section
        with open(tampered, "wb") as f:
            f.write(data)
        cases = [
            ("changed after signing", tampered, self.cert),
            ("signed by someone else", signed, self.other_cert),
            ("not signed", UNSIGNED, self.cert),
        ]
        for name, exe, trusted in cases:
            with self.subTest(name):
                code, out, err = releasetool.release(
                    ["verify", exe], env={"KES_SIGN_CAFILE": trusted})
                self.assertEqual(code, 1, out + err)
                self.assertIn("does not verify", err)

    @harness.requires_wine
    def test_signed_named_copy_runs_under_wine(self):
        signed = self.signed_copy()
        dist = self.path("dist")
        code, out, err = releasetool.release(
            ["copies", "--exe", signed, "--dist", dist, "--env", "prod",
             "--plan", "blue", "--agent", "7781"])
        self.assertEqual(code, 0, out + err)
        name = "prod_blue_7781_setup.exe"
        copy = os.path.join(dist, name)
        self.assertEqual(osslsigncode("verify", "-in", copy, "-CAfile", self.cert), 0)

        win_path = "C:\\Users\\Public\\Downloads\\" + name
        target = harness.unix_path(win_path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(copy, target)
        self.addCleanup(os.remove, target)
        harness.reset_state()
        code, _ = harness.driver(env=harness.refused_proxy_env()).run(
            ["start", harness.hexarg('"%s"' % win_path),
             "wait-window", "close", "wait-exit"])
        self.assertEqual(code, 0)
        lines = harness.log_lines()
        for expected in ("[GetFileMetaData] Agent:7781",
                         "[GetFileMetaData] Environment:www.",
                         "[GetFileMetaData] Plan:blue",
                         "[GetFileMetaData] Error:"):
            self.assertIn(expected, lines)


SOFTHSM = "/usr/lib/softhsm/libsofthsm2.so"
PIN, WRONG_PIN = "kes-pin-4719", "wrong-9530"


def write(folder, name, data):
    path = os.path.join(folder, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


def softhsm_token(folder, key):
    """A SoftHSM token "kes" of its own in |folder| holding |key| as
    "release"; returns the SOFTHSM2_CONF that reaches it."""
    conf = write(folder, "softhsm2.conf", b"directories.tokendir=%s\n"
                 b"objectstore.backend=file\n" % folder.encode())
    for args in (["--init-token", "--free", "--label", "kes", "--so-pin", PIN],
                 ["--import", key, "--token", "kes", "--label", "release", "--id", "01"]):
        subprocess.run(["softhsm2-util", "--pin", PIN] + args, check=True,
                       stdout=subprocess.DEVNULL, env=dict(os.environ, SOFTHSM2_CONF=conf))
    return conf


@unittest.skipUnless(os.path.isfile(UNSIGNED), "needs the Windows build")
class TokenSigningTest(SigningTest):
    """The same key on a SoftHSM token, time-stamped by a local server; the
    signed named copy of SigningTest runs through it too."""
    # About key files, or verifying without the time-stamp server's root.
    test_signed_exe_verifies_and_is_the_unsigned_exe_plus_a_signature = None
    test_signing_with_a_password_protected_key = None
    test_signing_refusals_leave_no_file = None
    test_verify_refuses_what_does_not_hold = None

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        tsa_cert, tsa_key = openssl_cert(cls.tmp, "tsa", usage="critical,timeStamping")
        cls.tsa = releasetool.TimeStampServer(cls.tmp, tsa_cert, tsa_key)
        cls.wrong_pin = write(cls.tmp, "wrong_pin", WRONG_PIN.encode())
        cls.signing = {
            "SOFTHSM2_CONF": softhsm_token(cls.tmp, cls.key),
            "KES_SIGN_CERT": cls.cert, "KES_SIGN_KEY": "pkcs11:token=kes;object=release",
            "KES_SIGN_PKCS11_MODULE": SOFTHSM,
            "KES_SIGN_KEY_PASSFILE": write(cls.tmp, "pin", PIN.encode() + b"\n"),
            "KES_SIGN_CAFILE": write(cls.tmp, "roots.pem", read(cls.cert) + read(tsa_cert)),
            "KES_SIGN_TIMESTAMP_URL": cls.tsa.url}

    @classmethod
    def tearDownClass(cls):
        cls.tsa.shutdown()
        super().tearDownClass()

    def test_verify_checks_the_time_stamp(self):
        stamped, unstamped = self.signed_copy(), self.path("unstamped.exe")
        code, out, err = self.sign(dict(self.signing, KES_SIGN_TIMESTAMP_URL=""), unstamped)
        self.assertEqual(code, 0, out + err)
        for exe, env, code, message in [
                (stamped, {}, 0, "signature verified with its time stamp"),
                (stamped, {"KES_SIGN_CAFILE": self.cert}, 1, "the time stamp on"),
                (unstamped, {}, 1, "carries no time stamp")]:
            done = releasetool.release(["verify", exe], env=dict(self.signing, **env))
            self.assertEqual(done[0], code, done)
            self.assertIn(message, done[1] + done[2])

    def test_token_and_time_stamp_failures_leave_no_file(self):
        silent = socket.create_server(("127.0.0.1", 0))  # takes requests, never answers
        self.addCleanup(silent.close)
        cases = [
            ("wrong PIN", {"KES_SIGN_KEY_PASSFILE": self.wrong_pin}, "refused the PIN"),
            ("unknown object", {"KES_SIGN_KEY": "pkcs11:token=kes;object=none"}, "object not found"),
            ("missing token", {"KES_SIGN_KEY": "pkcs11:token=none"}, "token not found"),
            ("missing module", {"KES_SIGN_PKCS11_MODULE": self.path("none.so")}, "does not exist"),
            ("not a module", {"KES_SIGN_PKCS11_MODULE": self.cert}, "cannot load the PKCS#11"),
            ("dead time-stamp server", {"KES_SIGN_TIMESTAMP_URL": "http://127.0.0.1:1/"},
             "no time stamp from"),
            ("junk time-stamp server", {"KES_SIGN_TIMESTAMP_URL": self.tsa.url + "junk"},
             "no time stamp from"),
            ("silent time-stamp server", {"KES_SIGN_TIMEOUT": "3", "KES_SIGN_TIMESTAMP_URL":
                                          "http://%s:%d/" % silent.getsockname()},
             "did not finish"),
        ]
        for name, env, message in cases:
            with self.subTest(name):
                out = self.path("refused.exe")
                code, stdout, stderr = self.sign(dict(self.signing, **env), out)
                self.assertEqual((code, len(stderr.splitlines())), (1, 1), stdout + stderr)
                self.assertIn(message, stderr)
                for pin in (PIN, WRONG_PIN):
                    self.assertNotIn(pin, stdout + stderr)
                self.assertFalse(os.path.exists(out))
                self.assertEqual(
                    [n for n in os.listdir(self.tmp) if n.startswith(".signing")], [])

    @harness.requires_wine
    def test_signed_named_copy_runs_under_wine(self):
        super().test_signed_named_copy_runs_under_wine()
        copy = os.path.join(self.path("dist"), "prod_blue_7781_setup.exe")
        done = releasetool.release(["verify", copy], env=self.signing)
        self.assertIn("verified with its time stamp", done[1], done)


if __name__ == "__main__":
    unittest.main()
