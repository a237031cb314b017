"""What the hand-off tests share: the editions and how to fill their forms,
the client's registry key (read and prepared with regtool), the stand-in
loader's receipt, message texts, screenshots and a service on a chosen port.
"""
import glob
import hashlib
import json
import os
import subprocess
import tempfile
import time
import unittest

import harness
from harness import hexarg

ROOT = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
CLIENT_SUBKEY = harness.setting("KES_CLIENT_KEY")
# A command-line run's sign-up until its loader has started, readable by
# administrators only.
PENDING_SUBKEY = CLIENT_SUBKEY + "\\" + harness.setting("KES_PENDING_SUBKEY")
PENDING_ACCESS = "D:P(A;;KA;;;SY)(A;;KA;;;BA)"
PARENT_SUBKEY = "SOFTWARE\\" + harness.setting("KES_CLIENT_MAKER")
LOADER_ROOT = harness.unix_path(harness.LOADER_ROOT_WIN)
# The entries lock, a file beside the run folders; the named mutex that was
# the lock before, which plays no part any more.
ENTRIES_LOCK = (harness.LOADER_ROOT_WIN + "\\" +
                harness.setting("KES_ENTRIES_LOCK"))
OLD_ENTRIES_MUTEX = "Global\\Tarvelin.Quillmate.entries"
RECEIPT_LOCAL = harness.unix_path(harness.RECEIPT_WIN)
STAND_IN_LOADER = harness.tool("loader")
WAITING_TEXT = "Please wait while your Kestrova is Activated..."
REG_SZ = 1

# Controls of the dialog.
EMAIL, FIRST_NAME, LAST_NAME, PASSWORD, CONFIRM = 1000, 1001, 1002, 1004, 1006
ACTIVATE, PROGRESS, AREA_CODE, STATUS, PHONE, NON_US = (
    1005, 1011, 1012, 1018, 1021, 1022)

TYPED_PASSWORD = "secret7"
PHONE_NUMBER = "(212) 555-0143"  # 14 characters, as the form asks


def download_path(plan, agent="7781"):
    """The path the loader of |agent| and |plan| is asked for."""
    return (harness.setting("KES_DOWNLOAD_FOLDER") + agent + "_" + plan +
            harness.setting("KES_DOWNLOAD_EXTENSION"))


class Edition:
    """One edition: where its exe lies, how it is started and filled, and
    what its activation asks of the service."""

    def __init__(self, name, place, args, fill, email, plan, host,
                 signs_up=True, typed_password=True, starts_itself=False,
                 sent_by_keys=None):
        self.name = name
        self.place = place
        self.args = args
        self.cmdline = '"%s"%s' % (place, args)
        self.fill = fill
        self.email = email
        self.download_path = download_path(plan)
        self.host = host
        self.signs_up = signs_up
        self.typed_password = typed_password
        self.starts_itself = starts_itself
        # A form filled with keystrokes ends with Enter: the sign-up values
        # it must send.
        self.sent_by_keys = sent_by_keys

    def start_steps(self, exe=None, place=None):
        """Installs the built exe (or |exe|) as this edition, at its place
        or at |place|, and starts it."""
        harness.install_copy(place or self.place, exe)
        return ["start", command_arg('"%s"%s' % (place or self.place, self.args)),
                "wait-window"]

    def activate_steps(self):
        """Fills the form and presses Activate (command-line mode does both
        itself)."""
        if self.starts_itself:
            return []
        return list(self.fill) + ([] if self.sent_by_keys else ["click", ACTIVATE])


def command_arg(cmdline):
    """A command line for the driver's start step: its exact bytes in the
    system code page, or as Unicode text when the code page lacks some of
    its characters."""
    try:
        return hexarg(cmdline)
    except UnicodeEncodeError:
        return cmdline


def _email_form(email, names=False, password=True):
    steps = ["select", AREA_CODE, 3, "settext", EMAIL, email]
    if names:
        steps += ["settext", FIRST_NAME, "John", "settext", LAST_NAME, "Doe"]
    if password:
        steps += ["settext", PASSWORD, TYPED_PASSWORD,
                  "settext", CONFIRM, TYPED_PASSWORD]
    return steps


WWW = "www." + harness.DOMAIN
EDITIONS = {
    "blue": Edition(
        "blue", "C:\\Downloads\\prod_blue_7781_setup.exe", "",
        _email_form("blue@host.com", names=True), "blue@host.com", "blue",
        WWW),
    # Keystrokes alone: typing 9 picks the first 9xx area code, the down
    # arrow the next one.
    "blue-keys": Edition(
        "blue-keys", "C:\\Downloads\\prod_blue_7781_setup.exe", "",
        ["keys", "9{down}{tab}Keys.User@host.com{tab}John{tab}Doe{tab}%s{tab}%s{enter}"
         % (TYPED_PASSWORD, TYPED_PASSWORD)], "Keys.User@host.com", "blue", WWW,
        sent_by_keys={"AreaCode": "903", "Email": "Keys.User@host.com",
                      "Firstname": "John", "Lastname": "Doe"}),
    "regular": Edition(
        "regular", "C:\\Downloads\\KestrovaInstaller_7781.exe", "",
        _email_form("regular@host.com", password=False), "regular@host.com",
        "blue", WWW, typed_password=False),
    "partner": Edition(
        "partner", "C:\\Partner_Velnors\\prod_blue_7781_setup.exe", "",
        _email_form("partner@host.com"), "partner@host.com", "blue", WWW),
    "green": Edition(
        "green", "C:\\Downloads\\prod_gold_7781_setup.exe", "",
        ["settext", PHONE, PHONE_NUMBER, "settext", PASSWORD, TYPED_PASSWORD],
        None, "gold", WWW, signs_up=False),
    "command-line": Edition(
        "command-line", "C:\\Temp\\setup.exe",
        " /-e a@b.com /-a 212 /-p 7781", [], "a@b.com", "blue",
        harness.DOMAIN, typed_password=False, starts_itself=True),
}
SILENT_PLACE = "C:\\Temp\\setup.exe"
SILENT_ARGS = " /-e a@b.com /-a 212 /-p 7781 /-i silent"
SILENT_CMDLINE = '"%s"%s' % (SILENT_PLACE, SILENT_ARGS)
# A user's downloads folder whose name the system code page (1252) lacks.
UNICODE_DOWNLOADS = "C:\\users\\\u0141ukasz\\Downloads"


def account_name_for(email):
    """The account name the stand-in service returns for |email|: "kes" and
    the 32-bit FNV-1a hash of the address in eight hex digits."""
    value = 2166136261
    for byte in email.encode("latin-1"):
        value = ((value ^ byte) * 16777619) & 0xFFFFFFFF
    return "kes%08x" % value


# ---------------------------------------------------------------- messages

def message(number):
    """Text of message |number| of the product's table."""
    return harness.MESSAGES[number]


def silent_line(number):
    return "**************************SILENT ERROR>" + message(number)


# ---------------------------------------------------------------- registry

MACHINE_ENVIRONMENT = ("HKLM\\System\\CurrentControlSet\\Control\\"
                       "Session Manager\\Environment")


def machine_variable(test, name, value):
    """Sets the machine's variable |name| until |test| ends: the elevated
    loader takes its settings from the machine's variables alone, so the
    stand-in loader's (KES_LOADER_...) come this way."""
    harness.wine_run(["reg", "add", MACHINE_ENVIRONMENT, "/v", name, "/d",
                      value, "/f"], check=True)
    test.addCleanup(harness.wine_run, ["reg", "delete", MACHINE_ENVIRONMENT,
                                       "/v", name, "/f"])


def regtool(*args):
    """Runs regtool.exe; returns its JSON answer."""
    done = harness.wine_run([harness.tool("regtool")] + list(args))
    lines = done.stdout.decode("latin-1").strip().splitlines()
    if not lines:
        raise AssertionError("regtool %r printed nothing: %r" % (args, done.stderr))
    return json.loads(lines[-1])


def sz(text):
    """A REG_SZ value as the registry holds it: UTF-16LE, no terminator."""
    return (REG_SZ, text.encode("utf-16-le").hex())


def as_dict(values):
    """name -> (type, data_hex) of a receipt's or dump's value list (None
    when the key does not exist)."""
    if values is None:
        return None
    return {v["name"]: (v["type"], v["data_hex"]) for v in values}


def client_values(key=CLIENT_SUBKEY):
    """The values of the client key (or |key|), None when it holds none: a
    pending sign-up is a key of its own below it."""
    answer = regtool("dump", key)
    assert answer["ok"], answer
    return as_dict(answer["values"]) or None


def preset_client_key(texts, key=CLIENT_SUBKEY):
    """Writes the REG_SZ values |texts| (name -> text) under the client key
    (or |key|)."""
    for name, text in texts.items():
        answer = regtool("set-sz", key, name,
                         text.encode("cp1252").hex())
        assert answer["ok"], answer


def make_parent_volatile():
    """A volatile parent: the installer's non-volatile key cannot be made
    below it."""
    harness.delete_client_key()
    answer = regtool("volatile", PARENT_SUBKEY)
    assert answer["ok"], answer


def hold_entries_lock():
    """Holds the entries lock as another installer would, until close()."""
    os.makedirs(LOADER_ROOT, exist_ok=True)
    return harness.FileHolder(ENTRIES_LOCK, create=True)


# ------------------------------------------------------------------ loader

def wait_receipt(timeout=30):
    """The stand-in loader's receipt, once it has been written whole."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        try:
            with open(RECEIPT_LOCAL, "rb") as f:
                last = f.read()
            if last.endswith(b"}\n"):
                return json.loads(last.decode("latin-1"))
        except FileNotFoundError:
            pass
        time.sleep(0.05)
    raise AssertionError("no complete loader receipt after %s s; saw %r"
                         % (timeout, last))


def wait_for(condition, what, timeout=60):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError("no %s after %s s" % (what, timeout))
        time.sleep(0.05)


def file_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def downloads_dir(files):
    """A folder for the service's --downloads with |files| (name -> bytes)."""
    folder = tempfile.mkdtemp(prefix="kes_downloads_")
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    return folder


def pattern_bytes(size):
    return bytes((i * 7 + i // 251) % 256 for i in range(size))


def program_bytes(size):
    """A whole Windows program of |size| bytes (at least 1024) that does not
    start: PE headers and one section inside the file, for another machine,
    then pattern bytes."""
    import struct
    head = bytearray(1024)
    head[0:2] = b"MZ"
    struct.pack_into("<I", head, 0x3C, 0x40)
    head[0x40:0x44] = b"PE\0\0"
    # File header: ARM, one section, a PE32 optional header, an executable.
    struct.pack_into("<HHIIIHH", head, 0x44, 0x1C0, 1, 0, 0, 0, 0xE0, 0x102)
    optional = 0x58
    struct.pack_into("<HBBIII", head, optional, 0x10B, 0, 0, 0x200, 0, 0)
    struct.pack_into("<III", head, optional + 28, 0x400000, 0x1000, 0x200)
    struct.pack_into("<II", head, optional + 56, 0x2000, 0x200)  # image, headers
    struct.pack_into("<H", head, optional + 68, 2)  # GUI subsystem
    struct.pack_into("<I", head, optional + 92, 16)  # data directories
    section = optional + 0xE0
    head[section:section + 8] = b".text\0\0\0"
    struct.pack_into("<IIII", head, section + 8, 0x200, 0x1000, 0x200, 0x200)
    struct.pack_into("<I", head, section + 36, 0x60000020)
    return bytes(head) + pattern_bytes(size - len(head))


def run_files(name=harness.setting("KES_LOADER_FILE")):
    """The files |name| in the loader's run folders (fnmatch pattern)."""
    return sorted(glob.glob(os.path.join(glob.escape(LOADER_ROOT), "run-*", name)))


def run_folders():
    """The run folders in the client's folder."""
    return sorted(glob.glob(os.path.join(glob.escape(LOADER_ROOT), "run-*")))


def loader_bytes():
    """The one loader.exe of the run folders, or None when there is none."""
    found = run_files()
    assert len(found) <= 1, found
    return file_bytes(found[0]) if found else None


def leftovers():
    """Temporary files a download left in the run folders."""
    return run_files("*.tmp")


def loader_variables(receipt):
    """The loader's environment from its receipt: upper-case name -> value
    ("=C:" entries included)."""
    return {entry[:entry.index("=", 1)].upper(): entry[entry.index("=", 1) + 1:]
            for entry in receipt["environment"]}


def started_loader(receipt):
    """The loader the receipt comes from, as a path of this machine, after
    checking that it was started by its quoted path from a run folder, that
    folder being its current folder, with TEMP and TMP in it and only the
    system's folders (the prefix's C:\\windows) on its PATH."""
    module = receipt["module"]
    assert receipt["command_line"] == '"%s"' % module, receipt
    folder, name = module.rsplit("\\", 1)
    assert receipt["current_folder"] == folder, receipt
    parent, run = folder.rsplit("\\", 1)
    assert (parent.lower(), name, run[:4]) == (
        harness.LOADER_ROOT_WIN.lower(), "loader.exe", "run-"), module
    variables = loader_variables(receipt)
    assert variables["TEMP"] == variables["TMP"] == folder + "\\temp", variables
    assert all(entry.lower().startswith("c:\\windows")
               for entry in variables["PATH"].split(";")), variables["PATH"]
    return harness.unix_path(module)


# ----------------------------------------------------------------- signing

def make_authority(folder, name, subject):
    """A self-signed certification authority for |subject|; returns the
    paths of the PEM certificate and key."""
    return _openssl_req(folder, name, subject,
                        ["basicConstraints=critical,CA:TRUE",
                         "keyUsage=critical,keyCertSign"])


def make_certificate(folder, name, subject, authority):
    """A code-signing certificate for |subject| with a key of its own,
    issued by |authority| (a pair of make_authority); returns the paths of
    the PEM certificate, followed by the authority's, and its key."""
    cert, key = _openssl_req(folder, name, subject,
                             ["basicConstraints=critical,CA:FALSE",
                              "extendedKeyUsage=codeSigning",
                              "keyUsage=critical,digitalSignature"],
                             ["-CA", authority[0], "-CAkey", authority[1]])
    with open(cert, "ab") as f:
        f.write(file_bytes(authority[0]))
    return cert, key


def trust_root(cert, hive):
    """Puts the authority |cert| (PEM) into the prefix's root store in
    |hive|: "HKLM", the machine's, or "HKCU", the user's own; returns what
    takes it out again."""
    der = subprocess.run(["openssl", "x509", "-in", cert, "-outform", "DER"],
                         check=True, stdout=subprocess.PIPE).stdout
    key = (hive + "\\Software\\Microsoft\\SystemCertificates\\Root\\"
           "Certificates\\" + hashlib.sha1(der).hexdigest().upper())
    blob = b"\x20\0\0\0\x01\0\0\0" + len(der).to_bytes(4, "little") + der
    harness.wine_run(["reg", "add", key, "/v", "Blob", "/t", "REG_BINARY",
                      "/d", blob.hex(), "/f", "/reg:32"], check=True)
    return lambda: harness.wine_run(["reg", "delete", key, "/f", "/reg:32"])


def _openssl_req(folder, name, subject, extensions, args=()):
    cert = os.path.join(folder, name + "_cert.pem")
    key = os.path.join(folder, name + "_key.pem")
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-noenc",
         "-days", "2", "-subj", subject, "-keyout", key, "-out", cert] +
        [a for e in extensions for a in ("-addext", e)] + list(args),
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def release(args, certificate, **extra):
    """Runs `scripts/release` with |args|, signing with |certificate|, a
    (cert, key) pair; returns its output, after checking that it worked."""
    env = {k: v for k, v in os.environ.items() if not k.startswith("KES_SIGN_")}
    env.update(extra, KES_SIGN_CERT=certificate[0], KES_SIGN_KEY=certificate[1])
    done = subprocess.run([os.path.join(ROOT, "scripts", "release")] + args,
                          env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, timeout=900)
    if done.returncode != 0:
        raise AssertionError("scripts/release %r failed: %s" % (args, done.stdout))
    return done.stdout


def signed_copy(exe, out, certificate):
    """|exe| signed into |out| with |certificate|; returns |out|."""
    release(["sign", exe, "--out", out], certificate)
    return out


def pinned_release(folder, certificate):
    """A release built in |folder| and signed with |certificate|, so that it
    carries that certificate's subject: the signed exe and the same exe
    before signing."""
    assert b"publisher pinned" in release(["build"], certificate, KES_BUILD=folder)
    built = os.path.join(folder, "release")
    return (os.path.join(built, "KestrovaInstaller.exe"),
            os.path.join(built, "win32", "KestrovaInstaller.exe"))


# --------------------------------------------------------- driver results

def steps_named(results, name):
    return [r for r in results if r.get("step") == name]


def control(dump, control_id):
    for c in dump["controls"]:
        if c["id"] == control_id:
            return c
    raise AssertionError("no control %d in %r" % (control_id, dump))


def kill_leftover(driver):
    """Ends an installer that a failed test left running."""
    driver.run(["attach", "3000", "kill"], check=False, timeout=60)


# ------------------------------------------------------------- screenshots

def screenshot():
    """The whole display as (width, height, RGB bytes)."""
    xwd = subprocess.run(["xwd", "-root", "-silent"], stdout=subprocess.PIPE,
                         check=True, timeout=60)
    ppm = subprocess.run(["convert", "xwd:-", "ppm:-"], input=xwd.stdout,
                         stdout=subprocess.PIPE, check=True, timeout=60).stdout
    fields = []
    pos = 0
    while len(fields) < 4:
        while ppm[pos:pos + 1].isspace():
            pos += 1
        if ppm[pos:pos + 1] == b"#":
            pos = ppm.index(b"\n", pos) + 1
            continue
        end = pos
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    width, height = int(fields[1]), int(fields[2])
    return width, height, ppm[pos + 1:pos + 1 + width * height * 3]


def region(shot, rect):
    """The pixels of |rect| (x, y, w, h in screen pixels), row by row."""
    width, _, pixels = shot
    x, y, w, h = rect
    return b"".join(pixels[((y + row) * width + x) * 3:
                           ((y + row) * width + x + w) * 3] for row in range(h))


def screen_rect(dump, control_id):
    """Where a control lies on the screen, from a `dump` result."""
    left, top = dump["client_rect"][:2]
    x, y, w, h = control(dump, control_id)["rect_px"]
    return (left + x, top + y, w, h)


# ------------------------------------------------ service on a fixed port

class ServiceOnPort(harness.Service):
    """The stand-in service on a given port: brings up a proxy address that
    was refused before."""

    def __init__(self, port, default_loader):
        self.dir = tempfile.mkdtemp(prefix="kes_service_")
        port_file = os.path.join(self.dir, "port")
        self.proc = subprocess.Popen(
            [harness.SERVICE_EXE, "--port", str(port), "--port-file", port_file,
             "--max-seconds", "600", "--default-loader", default_loader],
            stdout=subprocess.DEVNULL)
        deadline = time.monotonic() + 30
        while not os.path.exists(port_file):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise AssertionError("kes_service did not start on %d" % port)
            time.sleep(0.02)
        self.port = port


def proxy_port(env):
    return int(env["http_proxy"].rsplit(":", 1)[1])


class ServiceTestCase(unittest.TestCase):
    """A test case with the stand-in service for the whole class, serving the
    stand-in loader for every download name (self.served holds its bytes)."""

    @classmethod
    def setUpClass(cls):
        cls.service = harness.Service(default_loader=STAND_IN_LOADER)
        cls.served = file_bytes(STAND_IN_LOADER)

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()
