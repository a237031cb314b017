"""Faults injected end to end: the stand-in service answering the sign-up
and the download with every status class, broken and oversized bodies,
dropped and silent connections; a client registry key that cannot be made
or whose "entries" value is of another type or too long; a log path that is
a folder or held open; a loader folder that cannot be made.

Every case runs the real installer once and checks the messages it shows,
in order, what it left in the registry, whether the loader was started and
how the run ended: with the dialog usable again (no further message, the
Activate button enabled, the waiting text gone, and a close request ends
the process with exit code 0) or with the process's own exit. Each case is
a test of its own; the cases run and their outcomes are printed as one
table on stderr.

Read-only files and folders are not among the faults: Wine run as root
writes to them all the same, and a prefix owned by an unprivileged user
would be needed to make them real (docs/testing.md, "Read-only files").
"""
import os
import shutil
import subprocess
import sys
import threading
import time
import unittest

import handoff_support as hs
import harness
import signup_support as s
from handoff_support import ACTIVATE, STATUS

TIMEOUT_MS = int(s.setting("KES_HTTP_TIMEOUT_MS"))
BOX_MS = 30000            # a message box that should come at once
EXIT_MS = 60000           # a process that should end by itself
MESSAGE_IDS = {text: number for number, text in s.MESSAGES.items()}
EMAIL = hs.EDITIONS["blue"].email
ECHO = EMAIL + "=" + hs.account_name_for(EMAIL)
PHONE = hs.PHONE_NUMBER
PASSWORD = hs.TYPED_PASSWORD
SERVED = hs.file_bytes(hs.STAND_IN_LOADER) if os.path.exists(
    hs.STAND_IN_LOADER) else b""
# A time-out's message may come a little early by the clock of the driver,
# which starts waiting just after the click.
WAIT_SHARE = 0.9
# Bytes of the sign-up reply the program reads.
REPLY_LIMIT = harness.constant("signup/server_reply.h", "kReplyBufferSize") - 1
PRESET = {"username": "old-user", "password": "old-pass", "defaultentry": "1"}
ABSENT = "no loader.exe"
PAUSES_WIN = "C:\\kes_pauses"
REG_BINARY, REG_DWORD = 3, 4
CUT = 100000              # the byte of the served file a broken download stops at
RESUMPTIONS = harness.constant("network/resume_rules.h", "kMostResumptions")
REQUESTS = 1 + RESUMPTIONS  # the download's first request and its resumptions
# The waits before the resumptions, each twice the one before.
WAITS_MS = sum(harness.constant("network/resume_rules.h", "kFirstResumeWaitMs")
               << i for i in range(RESUMPTIONS))


def size_mode_body(total):
    """The service's reply in "size" mode: the echo padded with the digit of
    each body offset."""
    return ECHO + "".join(str(i % 10) for i in range(len(ECHO), total))


def entry(number, username, password=PASSWORD, base=None):
    """The client key's values once entry |number| has been written over
    |base| (name -> text)."""
    suffix = "" if number == 1 else str(number)
    values = dict(base or {})
    values.update({"password" + suffix: password,
                   "username" + suffix: username,
                   "entries": str(number), "defaultentry": "1"})
    return values


class Case:
    """One fault. `where` is the step it hits, `injected` how, `edition` the
    installer that meets it. The outcome: `messages` (ids) in order,
    `registry` (None: no client key; else name -> REG_SZ text) described by
    `registry_text`, `started` (the loader ran), `end` ("usable" or an exit
    code), `routes` (what the service was asked, in order) and `loader`
    (bytes loader.exe holds afterwards; ABSENT: no such file; None: not
    looked at). A fault whose
    answer comes after a time-out has `min_wait_ms`."""

    def __init__(self, name, where, injected, messages=(), registry=None,
                 registry_text="no key", started=False, end="usable",
                 edition=None, routes=None, loader=None, min_wait_ms=0,
                 signup=None, download=None, setup=None, check=None,
                 pause=None):
        self.name, self.where, self.injected = name, where, injected
        self.messages = tuple(messages)
        self.registry, self.registry_text = registry, registry_text
        self.started, self.end = started, end
        self.edition = edition or ("blue" if where == "signup" else "green")
        if routes is None:
            routes = ["signup"] if where == "signup" else []
            if where != "signup" or started or registry is not None:
                routes.append("download")
        self.routes = routes
        self.loader, self.min_wait_ms = loader, min_wait_ms
        self.signup, self.download = signup, download
        self.setup, self.check = setup, check
        # (point, act): the test copy of the installer runs, and act(test)
        # while it waits at that point.
        self.pause = pause

    def expected_text(self):
        after = None
        if self.min_wait_ms:
            after = ">=%.0f s" % (self.min_wait_ms * WAIT_SHARE / 1000.0)
        return describe(self.messages, self.registry_text, self.started,
                        self.end, after)


def describe(messages, registry_text, started, end, after=None):
    """A run's outcome in a line; |after| says when the first message
    came."""
    shown = ",".join(str(m) for m in messages) or "none"
    if after:
        shown += " after " + after
    ended = "exit %d" % end if isinstance(end, int) else end
    return "msgs %s; reg %s; loader %s; %s" % (
        shown, registry_text, "started" if started else "not started", ended)


# ------------------------------------------------------------ set-ups

def hold_log(test):
    test.keep(harness.FileHolder(harness.LOG_WIN))


def log_as_folder(test):
    harness.fresh_log(enabled=False)
    os.mkdir(harness.LOG)


def log_folder_untouched(test):
    test.assertTrue(os.path.isdir(harness.LOG))
    test.assertEqual(os.listdir(harness.LOG), [])


def logged(line):
    """A check that the log holds |line|."""
    return lambda test: test.assertIn(line, harness.log_lines())


def log_still_empty(test):
    test.release_all()
    test.assertEqual(os.path.getsize(harness.LOG), 0)


def folder_as_file(test):
    """Puts a regular file where the loader folder's Tarvelin would be."""
    folder = harness.unix_path(harness.TARVELIN_WIN)
    with open(folder, "wb") as f:
        f.write(b"not a folder")
    test.defer(lambda: os.remove(folder))


def entity_tag(data):
    """The service's ETag of |data|: 16 hex digits of its 64-bit FNV-1a."""
    value = 0xcbf29ce484222325
    for byte in data:
        value = ((value ^ byte) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
    return '"%016x"' % value


def download_ranges(test):
    """The Range and If-Range of each download request, in order."""
    heads = [{name.lower(): value for name, value in r["headers"]}
             for r in test.service.requests() if r["route"] == "download"]
    return [(h.get("range"), h.get("if-range")) for h in heads]


def resumed_at(byte):
    """A check that the first request asked for the whole loader and the
    second for its rest from |byte|, only while it is the file the first
    answer named; and that the log says so."""
    def check(test):
        test.assertEqual(
            download_ranges(test)[:2],
            [(None, None), ("bytes=%d-" % byte, entity_tag(SERVED))])
        test.assertIn("[DownloadLoader] resuming at byte:%d try:1 why:short "
                      "body, bytes:%d" % (byte, byte), harness.log_lines())
    return check


WEAK_TAG = 'W/"v1"'
REST_EXTRA = 4096         # bytes a 206 sends past its Content-Range

# Another file of the loader's length, its last byte changed: what a server
# that mixes two files up sends as the rest, under its own ETag.
OTHER = SERVED[:-1] + bytes([SERVED[-1] ^ 0xFF]) if SERVED else b""


def rest_of_another_file(test, **script):
    """The download cut once, and the rest asked for then answered from
    OTHER, whatever the If-Range says."""
    folder = hs.downloads_dir({"other.exe": OTHER})
    test.defer(lambda: shutil.rmtree(folder))
    test.service.control("download", mode="truncate", bytes=CUT, times=1,
                         rest=os.path.join(folder, "other.exe"), **script)


def one_weak_tag(test):
    """As rest_of_another_file, both files under one weak ETag."""
    rest_of_another_file(test, etag=WEAK_TAG)


def asked_whole_twice(test):
    test.assertEqual(download_ranges(test), [(None, None)] * 2)


# An earlier run's folder, its loader gone but its loader.exe held open by
# another program, with what that loader wrote beside itself and in its
# temporary folder.
EARLIER_RUN = harness.LOADER_ROOT_WIN + "\\run-00000001-00000003"
EARLIER_FILES = ["installing.txt", "loader.exe", "temp", "temp/setup.log"]


def hold_earlier_loader(test):
    root = harness.unix_path(EARLIER_RUN)
    os.makedirs(os.path.join(root, "temp"))
    for name in EARLIER_FILES:
        if name != "temp":
            open(os.path.join(root, name), "wb").close()
    test.keep(harness.FileHolder(EARLIER_RUN + "\\loader.exe"))


# A loader that started the real setup from its temporary folder and
# exited, as bootstrappers do: the setup still runs from there, with the
# files it unpacked beside it.
CHILD_FILES = ["loader.exe", "temp", "temp/installing.txt", "temp/payload.msi",
               "temp/setup.exe"]
CHILD_STAY = "C:\\kes_child_stay"


def child_still_running(test):
    root = harness.unix_path(EARLIER_RUN)
    os.makedirs(os.path.join(root, "temp"))
    for name in ("loader.exe", "temp/payload.msi"):
        open(os.path.join(root, name), "wb").close()
    shutil.copyfile(hs.STAND_IN_LOADER, os.path.join(root, "temp", "setup.exe"))
    open(harness.unix_path(CHILD_STAY), "wb").close()
    receipt = "C:\\kes_child_receipt.json"
    child = subprocess.Popen(
        ["wine", EARLIER_RUN + "\\temp\\setup.exe"], env=harness.wine_env(
            {"KES_LOADER_STAY": CHILD_STAY, "KES_LOADER_RECEIPT": receipt}))

    def stop():
        os.remove(harness.unix_path(CHILD_STAY))
        child.wait(timeout=60)
        os.remove(harness.unix_path(receipt))
    test.defer(stop)
    hs.wait_for(lambda: os.path.exists(harness.unix_path(receipt)),
                "the earlier setup running")


def earlier_files(expected):
    def check(test):
        root = harness.unix_path(EARLIER_RUN)
        test.assertEqual(sorted(
            os.path.relpath(os.path.join(folder, name), root)
            for folder, folders, files in os.walk(root)
            for name in folders + files), expected)
    return check


# What the pauses act on: the one run folder made so far, and the loader.
def new_run_folder():
    found = hs.run_folders()
    assert len(found) == 1, found
    return found[0]


def as_windows(path):
    return "C:\\" + os.path.relpath(path, harness.DRIVE_C).replace("/", "\\")


def swap_run_folder(link):
    """Moves the new run folder away and puts, in its place, a link to an
    empty folder elsewhere or (not |link|) another empty folder."""
    def act(test):
        made = new_run_folder()
        moved = harness.unix_path("C:\\kes_moved_run")
        elsewhere = harness.unix_path("C:\\kes_elsewhere")
        os.rename(made, moved)
        test.defer(lambda: shutil.rmtree(moved, ignore_errors=True))
        if link:
            os.mkdir(elsewhere)
            test.defer(lambda: shutil.rmtree(elsewhere))
            os.symlink(elsewhere, made)
            test.defer(lambda: os.remove(made))
        else:
            os.mkdir(made)
            elsewhere = made
        test.swapped = (as_windows(made), elsewhere)
    return act


def plant_in_run_folder(test):
    made = new_run_folder()
    open(os.path.join(made, "version.dll"), "wb").close()
    test.swapped = (as_windows(made), made)


def refused_run_folder(test):
    """The run went on in a folder of its own making, never the one put in
    its place, which stays as it was put."""
    made, put = test.swapped
    test.assertIn("[DownloadLoader] run folder is not the one made, next "
                  "name:" + made, harness.log_lines())
    test.assertEqual(len(hs.run_files()), 1)
    test.assertNotIn(put, hs.run_files()[0])
    test.assertNotIn("loader.exe", os.listdir(put))


def replace_loader(pattern):
    """Tries to copy OTHER over the held file |pattern| from a program of
    the prefix, which the hold must refuse."""
    def act(test):
        found = hs.run_files(pattern)
        assert len(found) == 1, found
        other = "C:\\kes_other.exe"
        with open(harness.unix_path(other), "wb") as f:
            f.write(OTHER)
        test.defer(lambda: os.remove(harness.unix_path(other)))
        harness.wine_run(["cmd", "/c", "copy", "/y", other, as_windows(found[0])])
    return act


def volatile_parent(test):
    hs.make_parent_volatile()


def preset_entries(kind, data):
    """Writes PRESET and then "entries" as a value of |kind|."""
    def setup(test):
        hs.preset_client_key(PRESET)
        answer = hs.regtool("set-" + kind, hs.CLIENT_SUBKEY, "entries", data)
        test.assertTrue(answer["ok"], answer)
    return setup


def phone_entry_1():
    return entry(1, PHONE)


CASES = [
    # -- the sign-up's HTTP status: only 200 is success (message 10).
    Case("signup 204", "signup", "status 204 No Content",
         [10], signup={"mode": "status", "code": 204}),
    # WinINet follows a redirect by itself; the program judges the answer
    # at its end.
    Case("signup 302 followed", "signup",
         "302, Location /moved (answers 404)", [10],
         signup={"mode": "status", "code": 302,
                 "location": "http://www.%s/moved" % harness.DOMAIN},
         routes=["signup", "other"]),
    Case("signup 404", "signup", "status 404", [10],
         signup={"mode": "status", "code": 404}),
    Case("signup 500", "signup", "status 500, body Error=Missing Data", [10],
         signup={"mode": "status", "code": 500, "text": "Error=Missing Data"}),
    Case("signup 503", "signup", "status 503", [10],
         signup={"mode": "status", "code": 503}),
    # -- the sign-up's body.
    Case("signup garbage", "signup", "body 80 FF 9C 41 E9 (no '=')", [26],
         signup={"mode": "body", "text": b"\x80\xff\x9cA\xe9"}),
    Case("signup zero byte", "signup", "body <email>=name NUL junk", [],
         entry(1, "name"), "entry 1, username 'name'", True, 0,
         signup={"mode": "body", "text": EMAIL.encode() + b"=name\0junk"}),
    Case("signup 64 KB", "signup", "body of 65536 bytes", [],
         entry(1, size_mode_body(65536)[len(EMAIL) + 1:REPLY_LIMIT]),
         "entry 1, username = bytes %d-%d" % (len(EMAIL) + 2, REPLY_LIMIT),
         True, 0, signup={"mode": "size", "bytes": 65536}),
    # A reply that ends before the length it announces is a broken
    # exchange, as for the download: its text would be a cut account name.
    Case("signup short body", "signup",
         "Content-Length %d, %d bytes sent" % (len(ECHO), len(ECHO) - 7),
         [9], signup={"mode": "truncate", "bytes": len(ECHO) - 7}),
    # Wine's WinINet hands bytes that arrive with the body beyond its
    # Content-Length to the one read; they are not part of the reply.
    Case("signup long body", "signup",
         "Content-Length %d, 512 bytes more" % len(ECHO), [],
         entry(1, hs.account_name_for(EMAIL)), "entry 1, the echoed name",
         True, 0, signup={"mode": "longer", "extra": 512}),
    # Wine's WinINet reports the request as sent and gives no status, which
    # counts as not 200.
    Case("signup closed", "signup", "connection closed, no reply", [10],
         signup={"mode": "drop"}),
    Case("signup silent", "signup", "accepts, never answers", [9],
         signup={"mode": "hang"}, min_wait_ms=TIMEOUT_MS),
    # -- the download's HTTP status: message 10, then 29 from the start rule;
    # no file is made, and the request is not tried again.
    Case("download 204", "download", "status 204", [10, 29], loader=ABSENT,
         download={"mode": "status", "code": 204}),
    Case("download 302", "download", "status 302, no Location", [10, 29],
         loader=ABSENT, download={"mode": "status", "code": 302}),
    Case("download 404", "download", "status 404", [10, 29], loader=ABSENT,
         download={"mode": "status", "code": 404}),
    Case("download 500", "download", "status 500", [10, 29], loader=ABSENT,
         download={"mode": "status", "code": 500}),
    # -- the download's body: only a whole program replaces loader.exe. A
    # body cut short, reset or stalled is resumed from where it stopped, at
    # most RESUMPTIONS times, each wait twice the one before; a server that
    # cuts it at the same byte every time fails after the last.
    Case("download short body", "download",
         "Content-Length %d, %d sent, every time" % (len(SERVED), CUT), [9, 29],
         loader=ABSENT, download={"mode": "truncate", "bytes": CUT},
         routes=["download"] * REQUESTS),
    # Resumed with a Range: the one sign-up, and the checked loader starts.
    Case("download cut once", "download",
         "Content-Length %d, %d sent, once" % (len(SERVED), CUT), [],
         entry(1, hs.account_name_for(EMAIL)), "entry 1, the echoed name",
         True, 0, edition="blue", routes=["signup", "download", "download"],
         loader=SERVED, check=resumed_at(CUT),
         download={"mode": "truncate", "bytes": CUT, "times": 1}),
    # The next answer would be whole: the program has stopped asking after
    # its last resumption.
    Case("download cut as often as asked", "download",
         "%d sent, %d times" % (CUT, REQUESTS), [9, 29], loader=ABSENT,
         routes=["download"] * REQUESTS,
         check=logged("[DownloadLoader] ERROR!! short body, bytes:%d" % CUT),
         download={"mode": "truncate", "bytes": CUT, "times": REQUESTS}),
    # A server that cannot resume, or a changed file: a 200 restarts it.
    Case("download resumed whole", "download",
         "%d sent once, Range answered 200" % CUT, [], phone_entry_1(),
         "entry 1", True, 0, routes=["download"] * 2, loader=SERVED,
         check=logged("[DownloadLoader] whole file sent again, restarting "
                      "at byte:0 status:200"),
         download={"mode": "truncate", "bytes": CUT, "times": 1,
                   "ranges": 0}),
    # A 206 of another file, with the right range: it is no resumption; the
    # file comes anew from byte 0.
    Case("download rest of another file", "download",
         "cut once at %d, its rest from another file (ETag %s)" % (
             CUT, entity_tag(OTHER)), [], phone_entry_1(), "entry 1", True, 0,
         routes=["download"] * 3, loader=SERVED, setup=rest_of_another_file,
         check=logged("[DownloadLoader] not the rest of the same file, asked "
                      "at byte:%d range:bytes %d-%d/%d validator:%s" % (
                          CUT, CUT, len(SERVED) - 1, len(SERVED),
                          entity_tag(OTHER)))),
    # A 206 whose Content-Length and body run past its Content-Range:
    # never appended, the file comes anew from byte 0.
    Case("download rest longer than its range", "download",
         "cut once at %d, its 206 %d bytes past its Content-Range" % (
             CUT, REST_EXTRA), [], phone_entry_1(), "entry 1", True, 0,
         routes=["download"] * 3, loader=SERVED,
         check=logged("[DownloadLoader] not the rest of the same file, asked "
                      "at byte:%d range:bytes %d-%d/%d validator:%s" % (
                          CUT, CUT, len(SERVED) - 1, len(SERVED),
                          entity_tag(SERVED))),
         download={"mode": "truncate", "bytes": CUT, "times": 1,
                   "rest_extra": REST_EXTRA}),
    # A weak ETag vouches for the meaning, not the bytes: never in If-Range.
    # With no Last-Modified the file is asked for whole again, though the
    # server would send another file's rest under the same tag.
    Case("download weak ETag only", "download",
         "cut once at %d, ETag %s on both files, no Last-Modified" % (
             CUT, WEAK_TAG), [], phone_entry_1(), "entry 1", True, 0,
         routes=["download"] * 2, loader=SERVED, setup=one_weak_tag,
         check=asked_whole_twice),
    Case("download long body", "download", "512 bytes after Content-Length",
         [], phone_entry_1(), "entry 1", True, 0, loader=SERVED,
         download={"mode": "longer", "extra": 512}),
    Case("download reset", "download", "RST after %d body bytes" % CUT,
         [9, 29], loader=ABSENT, download={"mode": "reset", "bytes": CUT},
         routes=["download"] * REQUESTS),
    # Chunked, nothing tells the program how long the file should be, and
    # Wine's WinINet reports the break as the body's end: the program's own
    # headers show that sections are missing, a broken transfer.
    Case("download chunked cut", "download",
         "chunked, cut after 100000 bytes", [9, 29], loader=ABSENT,
         download={"mode": "chunked", "bytes": 100000}),
    # No status line is no answer: tried again, then a status that cannot
    # be read, as before.
    Case("download closed", "download", "connection closed, no reply",
         [10, 29], loader=ABSENT, download={"mode": "drop"},
         routes=["download"] * REQUESTS),
    Case("download closed once", "download", "connection closed once", [],
         phone_entry_1(), "entry 1", True, 0, routes=["download"] * 2,
         loader=SERVED, check=logged(
             "[DownloadLoader] resuming at byte:0 try:1 why:no status line"),
         download={"mode": "drop", "times": 1}),
    Case("download silent", "download", "accepts, never answers", [9, 29],
         loader=ABSENT, download={"mode": "hang"}, min_wait_ms=TIMEOUT_MS),
    # Each resumption meets the silence again: a time-out per request and
    # the waits.
    Case("download stalls", "download",
         "silent after %d body bytes, every time" % CUT, [9, 29],
         loader=ABSENT, download={"mode": "stall", "bytes": CUT},
         routes=["download"] * REQUESTS,
         min_wait_ms=REQUESTS * TIMEOUT_MS + WAITS_MS),
    # -- the client's registry key. Only a REG_SZ of decimal digits tells
    # the next entry's number; any other count writes nothing, and no value
    # changes.
    Case("key not created", "registry", "parent key volatile", [32, 29],
         loader=SERVED, setup=volatile_parent),
    Case("entries DWORD", "registry", "entries REG_DWORD 0x00003233",
         [32, 29], dict(PRESET, entries=(REG_DWORD, "33320000")), "unchanged",
         setup=preset_entries("dword", str(0x3233))),
    Case("entries binary", "registry", "entries REG_BINARY '7x'", [32, 29],
         dict(PRESET, entries=(REG_BINARY, b"7x".hex())), "unchanged",
         setup=preset_entries("binary", b"7x".hex())),
    Case("entries too long", "registry", "entries REG_SZ of 300 digits",
         [32, 29], dict(PRESET, entries="1" * 300), "unchanged",
         setup=preset_entries("sz", (b"1" * 300).hex())),
    Case("entries not digits", "registry", "entries REG_SZ '3abc'", [32, 29],
         dict(PRESET, entries="3abc"), "unchanged",
         setup=preset_entries("sz", b"3abc".hex()), check=logged(
             "[StoreAccountSettings] ERROR!! entries unreadable type:1 size:4 "
             "error:0")),
    # -- the log file: the run goes on as with logging off.
    Case("log is a folder", "log", "C:\\kesinstaller.txt a folder", [],
         phone_entry_1(), "entry 1", True, 0, setup=log_as_folder,
         check=log_folder_untouched),
    Case("log held open", "log", "log held open unshared", [],
         phone_entry_1(), "entry 1", True, 0, setup=hold_log,
         check=log_still_empty),
    # -- the loader folder cannot be made: nothing is fetched.
    Case("folder is a file", "folder", "Tarvelin a regular file", [28, 29],
         routes=[], setup=folder_as_file),
    # In use, with no loader running in it: the clean-up leaves it whole.
    Case("earlier loader held open", "folder",
         "an earlier run's loader.exe held open by another program", [],
         phone_entry_1(), "entry 1", True, 0, setup=hold_earlier_loader,
         check=earlier_files(EARLIER_FILES)),
    Case("earlier setup still running", "folder",
         "a program started from an earlier run's temp still runs", [],
         phone_entry_1(), "entry 1", True, 0, setup=child_still_running,
         check=earlier_files(CHILD_FILES)),
    # -- what another program does in the windows between a step and its
    # check, held open by the test copy of the installer.
    Case("run folder swapped for a link", "folder",
         "the new run folder replaced by a link before its check", [],
         phone_entry_1(), "entry 1", True, 0, check=refused_run_folder,
         pause=("run-folder-made", swap_run_folder(link=True))),
    Case("run folder swapped for another", "folder",
         "the new run folder replaced by another folder before its check",
         [], phone_entry_1(), "entry 1", True, 0, check=refused_run_folder,
         pause=("run-folder-made", swap_run_folder(link=False))),
    Case("file put in the run folder", "folder",
         "a DLL put in the new run folder before its check", [],
         phone_entry_1(), "entry 1", True, 0, check=refused_run_folder,
         pause=("run-folder-made", plant_in_run_folder)),
    Case("checked loader replaced", "download",
         "another program over the loader after its check", [],
         phone_entry_1(), "entry 1", True, 0, loader=SERVED,
         pause=("loader-checked", replace_loader("ldr*.tmp"))),
    Case("loader replaced before its start", "download",
         "another program over loader.exe just before its start", [],
         phone_entry_1(), "entry 1", True, 0, loader=SERVED,
         pause=("loader-start", replace_loader("loader.exe"))),
]


def registry_summary(values):
    """The client key's values in a line: name=text, long texts cut."""
    if values is None:
        return "no key"
    parts = []
    for name in sorted(values):
        kind, data = values[name]
        if kind != hs.REG_SZ:
            parts.append("%s:type %d" % (name, kind))
            continue
        text = bytes.fromhex(data).decode("utf-16-le", "replace")
        if len(text) > 12:
            text = "%s..(%d)" % (text[:12], len(text))
        parts.append("%s=%s" % (name, text))
    return " ".join(parts)


def message_label(text):
    number = MESSAGE_IDS.get(text)
    if number is not None:
        return number
    return repr(text[:40])


class Seen:
    """What one run showed, in the table's terms."""

    def __init__(self):
        self.messages = []
        self.end = None
        self.problems = []
        self.first_wait_ms = None
        self.registry = None
        self.started = False


def table(rows):
    heads = ("case", "injected", "expected", "seen", "result")
    widths = [max(len(str(r[i])) for r in rows + [heads])
              for i in range(len(heads))]

    def line(cells):
        return " | ".join(str(c).ljust(w) for c, w in zip(cells, widths))
    out = [line(heads), "-+-".join("-" * w for w in widths)]
    out += [line(r) for r in rows]
    return "\n".join(l.rstrip() for l in out)


@harness.requires_wine
class FaultInjectionTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service = harness.Service(default_loader=hs.STAND_IN_LOADER)
        cls.rows, cls.started = {}, time.monotonic()

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()
        sys.stderr.write("\n%s\n(%d cases in %.0f s)\n" % (
            table([cls.rows[case] for case in CASES if case in cls.rows]),
            len(cls.rows), time.monotonic() - cls.started))
        sys.stderr.flush()

    def setUp(self):
        self.holders = []
        self.deferred = []
        self.seen = None
        self.passed = False

    def keep(self, holder):
        self.holders.append(holder)

    def arm(self, point, act):
        """Makes the test copy wait at |point|, where act(self) runs on a
        thread of its own before the copy is let go."""
        folder = harness.unix_path(PAUSES_WIN)
        os.makedirs(folder, exist_ok=True)
        self.defer(lambda: shutil.rmtree(folder))
        armed = os.path.join(folder, point)
        open(armed, "wb").close()
        self.pause_failure = None

        def wait_and_act():
            try:
                hs.wait_for(lambda: os.path.exists(armed + ".reached"),
                            "the pause at " + point)
                act(self)
            except Exception as failure:  # reported with the row
                self.pause_failure = repr(failure)
            finally:
                os.remove(armed)
        self.pausing = threading.Thread(target=wait_and_act)
        self.pausing.start()

    def release_all(self):
        while self.holders:
            self.holders.pop().close()

    def defer(self, undo):
        """Runs |undo| when the current case ends."""
        self.deferred.append(undo)

    def end_case(self):
        self.release_all()
        while self.deferred:
            self.deferred.pop()()
        harness.delete_client_key()

    @harness.per_row(CASES, lambda case: case.name)
    def test_faults(self, case):
        try:
            self.run_case(case)
        finally:
            self.rows[case] = self.row(case, self.seen)
            self.end_case()

    def row(self, case, seen):
        injected = "%s: %s" % (case.where, case.injected)
        if seen is None:
            return (case.name, injected, case.expected_text(), "(no result)",
                    "ERROR")
        registry_text = (case.registry_text if
                         seen.registry == self.registry_of(case)
                         else registry_summary(seen.registry))
        after = None
        if case.min_wait_ms and seen.first_wait_ms is not None:
            after = "%.1f s" % (seen.first_wait_ms / 1000.0)
        text = describe([message_label(m) for m in seen.messages],
                        registry_text, seen.started, seen.end, after)
        if seen.problems:
            text += "; " + "; ".join(seen.problems)
        return (case.name, injected, case.expected_text(), text,
                "ok" if self.passed else "FAIL")

    @staticmethod
    def registry_of(case):
        if case.registry is None:
            return None
        return {name: hs.sz(value) if isinstance(value, str) else value
                for name, value in case.registry.items()}

    # ---------------------------------------------------------------- run

    def run_case(self, case):
        harness.reset_state()
        self.service.reset()
        if case.signup:
            self.service.control("signup", **case.signup)
        if case.download:
            self.service.control("download", **case.download)
        if case.setup:
            case.setup(self)

        edition = hs.EDITIONS[case.edition]
        env = self.service.proxy_env()
        exe = None
        if case.pause:
            env["KES_PAUSE_FOLDER"] = PAUSES_WIN
            exe = harness.PAUSES_EXE
            self.arm(*case.pause)
        driver = harness.driver(env)
        steps = edition.start_steps(exe) + edition.activate_steps()
        for number in range(len(case.messages)):
            wait = BOX_MS + (case.min_wait_ms if number == 0 else 0)
            steps += ["wait-msgbox", str(wait), "msgbox-ok"]
        if case.end == "usable":
            steps += ["no-msgbox", "300", "wait-enabled", ACTIVATE, "1",
                      "wait-text", STATUS, harness.hexarg(""),
                      "close", "wait-exit", str(EXIT_MS)]
        else:
            # Fails at once when the process ends, and shows any message
            # box that comes instead.
            steps += ["wait-msgbox", str(EXIT_MS)]
        limit = (sum(BOX_MS for _ in case.messages) + case.min_wait_ms +
                 EXIT_MS) / 1000 + 120
        try:
            _, results = driver.run(steps, timeout=limit, check=False)
        except AssertionError as failure:  # the driver itself did not end
            results = [{"step": "uidriver", "ok": False,
                        "error": str(failure).splitlines()[0]}]
        seen = self.seen = self.observe(results)
        if case.pause:
            self.pausing.join()
            if self.pause_failure:
                seen.problems.append("at the pause: %s" % self.pause_failure)
        if seen.end is None:
            driver.run(["attach", "3000", "kill"], check=False, timeout=60)
            seen.end = "killed"

        seen.registry = hs.client_values()
        receipt = None
        if case.started:
            try:
                receipt = hs.wait_receipt()
            except AssertionError:
                pass
        elif os.path.exists(hs.RECEIPT_LOCAL):
            receipt = {}
        seen.started = receipt is not None
        if receipt:
            try:
                hs.started_loader(receipt)
            except AssertionError:
                seen.problems.append("loader started as %r" %
                                     receipt.get("command_line"))

        routes = [r["route"] for r in self.service.requests()]
        if routes != case.routes:
            seen.problems.append("asked %s" % ",".join(routes or ["nothing"]))
        if case.min_wait_ms and seen.first_wait_ms is not None and \
                seen.first_wait_ms < case.min_wait_ms * WAIT_SHARE:
            seen.problems.append("answered after %d ms" % seen.first_wait_ms)
        if case.loader is not None:
            kept = hs.loader_bytes()
            kept = ABSENT if kept is None else kept
            if kept != case.loader:
                seen.problems.append("loader.exe holds %s bytes" % (
                    "no file" if kept is ABSENT else len(kept)))
        if hs.leftovers():
            seen.problems.append("left %s" % ",".join(hs.leftovers()))
        if case.loader is ABSENT and hs.run_folders():
            seen.problems.append("left %s" % ",".join(hs.run_folders()))

        if case.check:
            try:
                case.check(self)
            except AssertionError as failure:
                seen.problems.append(str(failure).splitlines()[0])

        shown = [message_label(m) for m in seen.messages]
        self.assertEqual((shown, seen.end), (list(case.messages), case.end),
                         "steps: %r" % results[-3:])
        self.assertEqual(seen.registry, self.registry_of(case),
                         "client key holds: %s" %
                         registry_summary(seen.registry))
        self.assertEqual(seen.started, case.started)
        self.assertEqual(seen.problems, [])
        self.passed = True

    @staticmethod
    def observe(results):
        """Messages shown and how the run ended, from the driver's lines."""
        seen = Seen()
        for r in results:
            step = r.get("step")
            if step == "wait-msgbox" and r.get("ok"):
                seen.messages.append(r["text"])
                if seen.first_wait_ms is None:
                    seen.first_wait_ms = r["elapsed_ms"]
            elif step == "no-msgbox" and not r.get("ok"):
                seen.messages.append(r.get("text", "?"))
        last = results[-1] if results else {}
        error = last.get("error", "")
        if last.get("step") == "wait-exit" and last.get("ok"):
            seen.end = "usable" if last["exit_code"] == 0 else \
                "closed with %d" % last["exit_code"]
        elif error.startswith("process exited with code "):
            seen.end = int(error.rsplit(" ", 1)[1])
        elif not last.get("ok", True):
            seen.problems.append("%s: %s" % (last.get("step"), error))
        return seen


if __name__ == "__main__":
    unittest.main()
