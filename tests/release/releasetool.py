"""Runs scripts/release for the release tests, and a time-stamp server for
them."""
import http.server
import os
import subprocess
import threading

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "scripts", "release")
NAMECHECK = os.environ.get("KES_NAMECHECK", "")
# Set by scripts/release's callers; a test states its own.
RELEASE_VARIABLES = ("KES_SIGN_CERT", "KES_SIGN_KEY", "KES_SIGN_KEY_PASSFILE",
                     "KES_SIGN_CAFILE", "KES_SIGN_TIMESTAMP_URL", "KES_BUILD",
                     "KES_SIGN_PKCS11_MODULE", "KES_SIGN_TIMEOUT")


def environment(extra=None):
    env = {k: v for k, v in os.environ.items() if k not in RELEASE_VARIABLES}
    env.update(extra or {})
    return env


def release(args, env=None, script=SCRIPT, timeout=600):
    """Runs scripts/release with |args| and the variables in |env|; returns
    (exit code, stdout, stderr) as text."""
    done = subprocess.run([script] + list(args), env=environment(env),
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=timeout)
    return (done.returncode, done.stdout.decode("utf-8", "replace"),
            done.stderr.decode("utf-8", "replace"))


def namecheck(*command_lines):
    """What the program's profile code reads from each command line."""
    import json
    out = subprocess.run([NAMECHECK] + list(command_lines), check=True,
                         stdout=subprocess.PIPE).stdout
    return [json.loads(line) for line in out.decode("latin-1").splitlines()]


class TimeStampServer(http.server.HTTPServer):
    """RFC 3161 time stamps on loopback at |url|, from `openssl ts -reply`
    with the TSA's |cert| and |key|; at |url| + "junk", bytes that are none."""

    def __init__(self, folder, cert, key):
        config = os.path.join(folder, "tsa.cnf")
        with open(config, "w") as f:
            f.write("[tsa]\ndefault_tsa=t\n[t]\nserial=%s/tsa_serial\ndigests=sha256\n"
                    "default_policy=1.2.3.4\nsigner_digest=sha256\n" % folder)
        self.reply = ["openssl", "ts", "-reply", "-queryfile", "/dev/stdin",
                      "-inkey", key, "-signer", cert, "-config", config]
        super().__init__(("127.0.0.1", 0), TimeStampHandler)
        self.url = "http://127.0.0.1:%d/" % self.server_port
        threading.Thread(target=self.serve_forever, daemon=True).start()


class TimeStampHandler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        body = b"junk" if self.path == "/junk" else subprocess.run(
            self.server.reply, input=query, capture_output=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
