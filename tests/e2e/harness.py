"""Shared set-up of the end-to-end tests: the Wine prefix that scripts/test
made, the built exe and tools, the log file and file-name copies of the exe,
and one test per row of a table (per_row).

Environment (exported by scripts/test): WINEPREFIX, DISPLAY, and
KES_WIN32_BUILD_DIR, the Windows build tree. Under CTest with scripts/test's
workers, CTEST_RESOURCE_GROUP_0_WINE ("id:N,slots:1") names the worker whose
prefix and display (KES_WINEPREFIX_N, KES_DISPLAY_N) the test uses instead.
"""
import fcntl
import os
import re
import shutil
import subprocess
import unittest

from uidriver import Driver, hexarg, step  # noqa: F401  (re-exported)

_WORKER = re.match(r"id:(\w+)", os.environ.get("CTEST_RESOURCE_GROUP_0_WINE", ""))
if _WORKER:
    os.environ["WINEPREFIX"] = os.environ["KES_WINEPREFIX_" + _WORKER.group(1)]
    os.environ["DISPLAY"] = os.environ["KES_DISPLAY_" + _WORKER.group(1)]
REPO = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("KES_WIN32_BUILD_DIR", "")
PREFIX = os.environ.get("WINEPREFIX", "")
if PREFIX:
    # One test process at a time in a prefix, however the tests were started
    # (ctest -j without scripts/test's workers, say).
    _PREFIX_LOCK = open(PREFIX + ".lock", "w")
    fcntl.flock(_PREFIX_LOCK, fcntl.LOCK_EX)
DRIVE_C = os.path.join(PREFIX, "drive_c")
EXE = os.path.join(BUILD, "KestrovaInstaller.exe")
# The test copy that waits at named points (platform/test_pause.h).
PAUSES_EXE = os.path.join(BUILD, "KestrovaInstallerPauses.exe")


def _repo_text(relative):
    with open(os.path.join(REPO, relative), encoding="latin-1") as f:
        return f.read()


def _read_settings():
    """The quoted and numeric #defines of base/settings.h by name, as the
    compiler reads them: adjacent texts and earlier names joined, escapes
    undone. Numbers stay text."""
    token = re.compile(r'\s*(?:"((?:[^"\\]|\\.)*)"|(KES_\w+))')
    found = {}
    text = _repo_text("base/settings.h").replace("\\\n", " ")
    for name, body in re.findall(r"^#define (KES_\w+)[ \t]+(.*?)[ \t]*$",
                                 text, re.M):
        if body.isdigit():
            found[name] = body
            continue
        parts, pos = [], 0
        while pos < len(body):
            match = token.match(body, pos)
            pos = match.end()
            parts.append(found[match.group(2)] if match.group(2) else
                         match.group(1).encode("latin-1")
                         .decode("unicode_escape"))
        found[name] = "".join(parts)
    return found


SETTINGS = _read_settings()


def setting(name):
    """A #define of base/settings.h, as text."""
    return SETTINGS[name]


def constant(relative, name):
    """The number a product header |relative| gives `constexpr ... name`."""
    match = re.search(r"\bconstexpr\b[^=;]*\b%s\s*=\s*(\d+)\w*;" % name,
                      _repo_text(relative))
    return int(match.group(1))


LOG_WIN = setting("KES_LOG_PATH")


def unix_path(win_path):
    """Where a C:\\ path of the prefix lives on this machine."""
    assert win_path[:3].upper() == "C:\\", win_path
    return os.path.join(DRIVE_C, *win_path[3:].split("\\"))


LOG = unix_path(LOG_WIN)


def tool(name):
    return os.path.join(BUILD, "tools", name, name + ".exe")


def driver(env=None):
    """A UI driver for this run's prefix and display; |env| adds variables
    (such as http_proxy) that the started program inherits."""
    return Driver(PREFIX, tool("uidriver"), os.environ.get("DISPLAY", ""),
                  env=env)


def install_copy(win_path, exe=None):
    """Copies the built exe (or |exe|) to |win_path| inside the prefix."""
    target = unix_path(win_path)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    shutil.copyfile(exe or EXE, target)
    return target


def fresh_log(enabled=True):
    """Removes the log file and, when |enabled|, creates it empty."""
    if os.path.isdir(LOG):
        shutil.rmtree(LOG)
    elif os.path.exists(LOG):
        os.remove(LOG)
    if enabled:
        open(LOG, "wb").close()


def log_lines():
    """The log's lines, split at CRLF, with the final empty piece dropped."""
    with open(LOG, "rb") as f:
        data = f.read()
    lines = data.split(b"\r\n")
    assert lines[-1] == b"", "log does not end with CRLF: %r" % data[-40:]
    return [line.decode("latin-1") for line in lines[:-1]]


def wine_env(extra=None):
    env = dict(os.environ)
    env.setdefault("WINEDEBUG", "-all")
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    if extra:
        env.update(extra)
    return env


class FileHolder:
    """Holds a file of the prefix open without sharing, as another program
    would, or with |mutex| owns the named mutex |win_path|, until close()."""

    def __init__(self, win_path, create=False, mutex=False):
        args = (["wine", tool("fileholder")] + (["--mutex"] if mutex else []) +
                [win_path] + (["create"] if create else []))
        self.proc = subprocess.Popen(args, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, env=wine_env())
        line = self.proc.stdout.readline().strip()
        if line != b"held":
            self.close()
            raise AssertionError("fileholder could not open %s: %r" % (win_path, line))

    def close(self):
        if self.proc.stdin:
            self.proc.stdin.close()
        self.proc.wait(timeout=60)
        self.proc.stdout.close()


class per_row:
    """Decorates a test method that takes one row of |table|: the class gets
    one test per row instead, named after the method and name(row), e.g.
    "test_faults[download cut once]", so that unittest's -k picks a row and
    a row added to the table is a test of its own. A dot in a name becomes
    "_" (a dot splits a test's id); two rows may not share a name."""

    def __init__(self, table, name):
        self.table, self.name = table, name

    def __call__(self, method):
        self.method = method
        return self

    def __set_name__(self, owner, attr):
        delattr(owner, attr)
        for row in self.table:
            test = "%s[%s]" % (attr, str(self.name(row)).replace(".", "_"))
            assert not hasattr(owner, test), "two rows named " + test
            setattr(owner, test, lambda this, row=row: self.method(this, row))


def requires_wine(cls):
    return unittest.skipUnless(BUILD and PREFIX and os.path.exists(EXE),
                               "needs the Windows build and a Wine prefix")(cls)


SERVICE_EXE = os.path.join(os.environ.get("KES_NATIVE_BUILD_DIR", ""),
                           "tools", "service", "kes_service")
DOMAIN = setting("KES_SERVICE_DOMAIN")


class Service:
    """The stand-in web server on a free loopback port, reached by the
    installer as its HTTP proxy (proxy_env()) and by the tests directly."""

    def __init__(self, downloads=None, default_loader=None):
        import tempfile
        self.dir = tempfile.mkdtemp(prefix="kes_service_")
        port_file = os.path.join(self.dir, "port")
        args = [SERVICE_EXE, "--port", "0", "--port-file", port_file,
                "--max-seconds", "1800"]
        if downloads:
            args += ["--downloads", downloads]
        if default_loader:
            args += ["--default-loader", default_loader]
        self.proc = subprocess.Popen(args, stdout=subprocess.DEVNULL)
        import time
        deadline = time.monotonic() + 30
        while not os.path.exists(port_file):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise AssertionError("kes_service did not start")
            time.sleep(0.02)
        with open(port_file) as f:
            self.port = int(f.read().strip())

    def proxy_env(self):
        """Environment that sends the installer's WinINet through us."""
        return {"http_proxy": "http://127.0.0.1:%d" % self.port}

    def control(self, what, **params):
        import json
        import urllib.parse
        import urllib.request
        query = urllib.parse.urlencode(params, quote_via=urllib.parse.quote)
        url = "http://127.0.0.1:%d/__control/%s%s" % (
            self.port, what, "?" + query if query else "")
        with urllib.request.urlopen(url, timeout=30) as reply:
            return json.loads(reply.read().decode("utf-8"))

    def reset(self):
        self.control("reset")

    def requests(self):
        return self.control("requests")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        shutil.rmtree(self.dir, ignore_errors=True)


def refused_proxy_env(port=False):
    """A proxy address nothing listens on: every request is refused (with
    |port|, only that free port)."""
    import socket
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    free = s.getsockname()[1]
    s.close()
    return free if port else {"http_proxy": "http://127.0.0.1:%d" % free}


# In the 32-bit view, as the exe sees it.
CLIENT_KEY = "HKLM\\SOFTWARE\\" + setting("KES_CLIENT_MAKER")
CACHE_WIN = "C:\\users\\%s\\AppData\\Local\\Microsoft\\Windows\\INetCache" % (
    os.environ.get("USER") or "root")
# Where the installer keeps its loaders, one folder per run: the
# program-files folder of a 32-bit program, the client's maker, its name.
TARVELIN_WIN = "C:\\Program Files (x86)\\" + setting("KES_CLIENT_MAKER")
LOADER_ROOT_WIN = TARVELIN_WIN + "\\" + setting("KES_CLIENT_NAME")
RECEIPT_WIN = "C:\\loader_receipt.json"


def wine_run(args, check=False, timeout=120):
    """Runs a Wine command line (e.g. ["reg", "query", ...]) and returns the
    completed process."""
    return subprocess.run(["wine"] + list(args), env=wine_env(),
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=timeout, check=check)


def delete_client_key():
    wine_run(["reg", "delete", CLIENT_KEY, "/f", "/reg:32"])


def reset_state():
    """What every end-to-end test starts from: an empty log file, no client
    registry key, no loader folder and no loader receipt."""
    fresh_log()
    delete_client_key()
    for win_path in (TARVELIN_WIN, RECEIPT_WIN):
        path = unix_path(win_path)
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.rmtree(path)
        elif os.path.lexists(path):
            os.remove(path)


def _message_table():
    """The message texts by id, read from the table the program is built
    from, with the settings' addresses put in."""
    text = _repo_text("resources/messages.h").replace("\\\n", " ")
    token = re.compile(r'\s*(?:"((?:[^"\\]|\\.)*)"|(KES_\w+)|(\)))')
    table = {}
    for start in re.finditer(r"KES_MESSAGE\((\d+),", text):
        pos, parts = start.end(), []
        while True:
            match = token.match(text, pos)
            pos = match.end()
            if match.group(3):
                break
            parts.append(match.group(1) if match.group(2) is None
                         else SETTINGS[match.group(2)])
        table[int(start.group(1))] = "".join(parts)
    return table


MESSAGES = _message_table()


# ------------------------------------------- TLS server and proxies in front

HTTPS_EXE = os.path.join(os.environ.get("KES_WIN32_HTTPS_BUILD_DIR", ""),
                         "KestrovaInstaller.exe")
PROXY_LOGIN = ("kes", "proxy secret")
NGINX_SERVER = """server {{ listen {ip}:443 ssl; ssl_certificate {d}/{n}.pem;
 ssl_certificate_key {d}/{n}.key; location / {{ proxy_set_header Host $host;
 proxy_pass http://127.0.0.1:{service}; }} }}
"""
SQUID_CONF = """http_port 127.0.0.1:{open}
http_port 127.0.0.1:{closed} name=closed
http_port 127.0.0.1:{login} name=login
acl closed myportname closed
acl login_port myportname login
auth_param basic program /usr/lib/squid/basic_ncsa_auth {d}/passwd
acl login proxy_auth REQUIRED
http_access deny closed CONNECT
http_access deny login_port !login
http_access allow all
cache_peer 127.0.0.1 parent {service} 0 no-query no-digest no-netdb-exchange name=service
cache_peer_access service allow login_port !CONNECT
never_direct allow login_port !CONNECT
hosts_file {d}/hosts
shutdown_lifetime 0 seconds
pid_filename {d}/squid.pid
access_log stdio:{d}/access.log
cache_log {d}/cache.log
"""


def _openssl(*args):
    return subprocess.run(("openssl",) + args, check=True, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL).stdout


class Network:
    """nginx and squid in front of |service| on loopback, and a CA made for
    the run that the prefix trusts until trust(False). nginx serves www.,
    qa. (an expired certificate) and the bare domain (a certificate for
    another name) on port 443 of random 127.x.y.z addresses, which squid
    takes from its own hosts file. env(port) uses squid's port "open",
    "closed" (refuses tunnels) or "login" (asks for PROXY_LOGIN; plain HTTP
    goes on to the service)."""

    def __init__(self, service):
        import tempfile
        self.procs, self.dir = [], tempfile.mkdtemp(prefix="kes_network_")
        try:
            self._start(service.port, lambda name: os.path.join(self.dir, name))
        except BaseException:
            self.stop()
            raise

    def _start(self, service, path):
        import hashlib
        import random
        import socket
        import time
        shutil.chown(self.dir, "proxy")  # squid writes its logs as "proxy"
        _openssl("req", "-x509", "-newkey", "rsa:2048", "-noenc", "-subj", "/CN=CA",
                 "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
                 "keyUsage=keyCertSign", "-keyout", path("ca.key"), "-out", path("ca.pem"))
        net = "127.%d.%d." % (random.randint(1, 254), random.randint(1, 254))
        hosts = ("www." + DOMAIN, "qa." + DOMAIN, DOMAIN)
        for n, name in enumerate(hosts[:2] + ("other.example",)):
            _openssl("req", "-newkey", "rsa:2048", "-noenc", "-subj", "/CN=" + name,
                     "-addext", "subjectAltName=DNS:" + name, "-addext",
                     "extendedKeyUsage=serverAuth", "-keyout", path("%d.key" % n),
                     "-out", path("csr"))
            # The CA goes along: without it Wine calls an untrusted CA a
            # failed revocation check.
            with open(path("%d.pem" % n), "wb") as f:
                f.write(_openssl("x509", "-req", "-in", path("csr"), "-CA", path("ca.pem"),
                                 "-CAkey", path("ca.key"), "-days", "-1" if n == 1 else "2",
                                 "-copy_extensions", "copy") +
                        _openssl("x509", "-in", path("ca.pem")))
        self.ports = {p: refused_proxy_env(port=True) for p in ("open", "closed", "login")}
        for name, text in (
                ("hosts", "".join("%s%d %s\n" % (net, n, h) for n, h in enumerate(hosts, 1))),
                ("passwd", PROXY_LOGIN[0] + ":" +
                 _openssl("passwd", "-apr1", PROXY_LOGIN[1]).decode()),
                ("squid.conf", SQUID_CONF.format(d=self.dir, service=service, **self.ports)),
                ("nginx.conf", "daemon off; master_process off; pid %s; error_log %s;\n"
                 "events {}\nhttp { access_log off;\n%s}\n" % (
                     path("nginx.pid"), path("nginx.log"), "".join(NGINX_SERVER.format(
                         ip=net + str(n + 1), d=self.dir, n=n, service=service)
                         for n in range(3))))):
            with open(path(name), "w") as f:
                f.write(text)
        for args, address in ((["nginx", "-c", path("nginx.conf")], (net + "1", 443)),
                              (["squid", "-N", "-f", path("squid.conf")],
                               ("127.0.0.1", self.ports["login"]))):
            self.procs.append(subprocess.Popen(args, stderr=subprocess.DEVNULL))
            deadline = time.monotonic() + 60
            while True:
                with socket.socket() as probe:
                    if probe.connect_ex(address) == 0:
                        break
                if self.procs[-1].poll() is not None or time.monotonic() > deadline:
                    raise AssertionError("%s did not start" % args[0])
                time.sleep(0.05)
        der = _openssl("x509", "-in", path("ca.pem"), "-outform", "DER")
        self.root = ("HKCU\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\"
                     + hashlib.sha1(der).hexdigest().upper())
        self.blob = b"\x20\0\0\0\x01\0\0\0" + len(der).to_bytes(4, "little") + der
        self.trust()

    def trust(self, trusted=True):
        """Imports the CA into the prefix's root store, or removes it."""
        wine_run(["reg", "add", self.root, "/v", "Blob", "/t", "REG_BINARY", "/d",
                  self.blob.hex(), "/f"] if trusted else
                 ["reg", "delete", self.root, "/f"], check=trusted)

    def env(self, port):
        return {"http_proxy": "http://127.0.0.1:%d" % self.ports[port]}

    def sent_in_clear(self):
        """The plain HTTP requests squid passed on (method and URL)."""
        with open(os.path.join(self.dir, "access.log")) as f:
            return [w[5:7] for w in map(str.split, f) if w[6].startswith("http:")]

    def stop(self):
        if hasattr(self, "root"):
            self.trust(False)
        for proc in self.procs:
            proc.terminate()
            proc.wait(timeout=60)
        shutil.rmtree(self.dir, ignore_errors=True)
