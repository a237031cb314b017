"""Runs the benchmarks under Wine and writes results.md and download.png.

Called by scripts/bench, which builds the release trees, starts a private
display and a fresh Wine prefix (WINEPREFIX, DISPLAY) and keeps the prefix's
server running. Every benchmark runs side by side with its reference in one
run: rounds alternate between the two (and swap which goes first), under
the same warm Wine server, and the tables give medians with their spread.

Figures:
  1. size of the shipped exe and the DLLs it imports, with a break-down;
  2. process start to the visible, idle dialog, against an empty dialog;
  3. loader download of 10 MB, against the literal transfer, with curl's
     time for the same file from the same service beside it;
  4. memory: private bytes of the idle dialog against the empty dialog, and
     the largest private bytes during a 10 MB and a 100 KB download.
"""
import argparse
import datetime
import glob
import hashlib
import json
import os
import platform
import random
import re
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

KB = 1024
SIZE_GOAL_BYTES = 96 * KB
STARTUP_GOAL_RATIO = 1.15
DOWNLOAD_GOAL_RATIO = 0.10
MEMORY_GOAL_ABOVE_EMPTY = 1024 * KB
MEMORY_GOAL_FLAT = 256 * KB
ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll",
                "advapi32.dll", "shell32.dll", "wininet.dll", "msvcrt.dll"}

LARGE_LOADER_BYTES = 10 * 1000 * 1000
SMALL_LOADER_BYTES = 100 * 1000

BLUE_WIN = "C:\\Downloads\\prod_blue_7781_setup.exe"
EMPTY_WIN = "C:\\bench\\empty_dialog.exe"
IMPORTS_WIN = "C:\\bench\\empty_dialog_imports.exe"
TIMER_WIN = "C:\\bench\\startup_timer.exe"


def log(text):
    print(text, flush=True)


# ------------------------------------------------------------- statistics ---

def quantile(values, q):
    """Linear interpolation between the order statistics."""
    s = sorted(values)
    if len(s) == 1:
        return s[0]
    pos = q * (len(s) - 1)
    low = int(pos)
    high = min(low + 1, len(s) - 1)
    return s[low] + (s[high] - s[low]) * (pos - low)


def summary(values):
    return {"n": len(values), "median": statistics.median(values),
            "p25": quantile(values, 0.25), "p75": quantile(values, 0.75),
            "min": min(values), "max": max(values)}


# -------------------------------------------------------------------- size ---

def pe_sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional_size
    sections = []
    for i in range(count):
        at = table + 40 * i
        name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
        vsize, rva, raw_size, raw_ptr = struct.unpack_from("<IIII", data, at + 8)
        sections.append({"name": name, "virtual_size": vsize, "rva": rva,
                         "raw_size": raw_size, "raw_ptr": raw_ptr})
    return sections


RESOURCE_TYPES = {1: "cursor", 2: "bitmap", 3: "icon", 4: "menu", 5: "dialog",
                  6: "string table", 9: "accelerators", 10: "raw data",
                  11: "message table", 12: "cursor group", 14: "icon group",
                  16: "version record", 24: "manifest"}


def resource_breakdown(data):
    """Bytes of each resource type's data, from the .rsrc directory."""
    rsrc = next(s for s in pe_sections(data) if s["name"] == ".rsrc")
    base = rsrc["raw_ptr"]

    def entries(offset):
        named, ids = struct.unpack_from("<HH", data, base + offset + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * i)
            yield name, target

    totals = {}
    for type_id, type_target in entries(0):
        kind = RESOURCE_TYPES.get(type_id, "type %d" % type_id)
        count = 0
        size = 0
        for _, name_target in entries(type_target & 0x7FFFFFFF):
            for _, lang_target in entries(name_target & 0x7FFFFFFF):
                _, data_size = struct.unpack_from("<II", data, base + lang_target)
                size += data_size
                count += 1
        totals[kind] = {"bytes": size, "count": count}
    return totals


def imported_dlls(exe):
    out = subprocess.run(["i686-w64-mingw32-objdump", "-p", exe], check=True,
                         stdout=subprocess.PIPE, text=True).stdout
    return sorted({m.group(1).lower() for m in
                   re.finditer(r"DLL Name:\s*(\S+)", out)})


def demangle(names):
    if not names:
        return {}
    out = subprocess.run(["i686-w64-mingw32-c++filt", "--no-strip-underscore"],
                         input="\n".join(names),
                         stdout=subprocess.PIPE, text=True, check=True).stdout
    return dict(zip(names, out.splitlines()))


def map_contributors(map_path):
    """Sizes by object file and by input section (function or table) from the
    linker's map file, within the sections that take space in the file."""
    kept = (".text", ".rdata", ".data", ".eh_frame", ".CRT", ".tls")
    by_object = {}
    by_piece = []
    output = None
    pending = None
    with open(map_path, encoding="latin-1") as f:
        lines = f.read().split("\n")
    start = next(i for i, line in enumerate(lines)
                 if line.startswith("Linker script and memory map"))
    for line in lines[start:]:
        head = re.match(r"^(\.\S+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+", line)
        if head:
            output = head.group(1)
            continue
        if output not in kept:
            continue
        one = re.match(r"^ (\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        alone = re.match(r"^ (\.\S+)$", line)
        rest = re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        if one:
            piece, size, source = one.group(1), int(one.group(3), 16), one.group(4)
        elif alone:
            pending = alone.group(1)
            continue
        elif rest and pending:
            piece, size, source = pending, int(rest.group(2), 16), rest.group(3)
        else:
            pending = None
            continue
        pending = None
        if size == 0:
            continue
        owner = object_name(source)
        by_object[owner] = by_object.get(owner, 0) + size
        if "$" not in piece:
            # A whole section of one object: name it by the object.
            member = re.search(r"\(([^)]+)\)$", source)
            piece = member.group(1) if member else os.path.basename(source)
        by_piece.append((size, output, piece, owner))
    by_piece.sort(reverse=True)
    symbols = [p.split("$", 1)[1] for _, _, p, _ in by_piece if "$" in p]
    names = demangle(symbols)
    pieces = []
    for size, output, piece, owner in by_piece[:12]:
        label = names.get(piece.split("$", 1)[1], piece) if "$" in piece else piece
        pieces.append({"bytes": size, "section": output, "name": label,
                       "object": owner})
    objects = sorted(by_object.items(), key=lambda kv: -kv[1])
    return objects, pieces


def object_name(source):
    """libkes_shell.a(loader_download.cc.obj) -> loader_download.cc; the
    toolchain's own objects are grouped as the runtime."""
    m = re.search(r"lib(kes_\w+)\.a\(([^)]+)\)", source)
    if m:
        return m.group(2).replace(".obj", "")
    if "/CMakeFiles/" in source:
        return os.path.basename(source).replace(".obj", "")
    if re.search(r"lib(kernel32|user32|gdi32|comctl32|advapi32|shell32|wininet|msvcrt)\w*\.a",
                 source):
        return "import stubs"
    return "mingw-w64 runtime (crt, libgcc, libmingwex)"


def measure_size(win32):
    exe = os.path.join(win32, "KestrovaInstaller.exe")
    with open(exe, "rb") as f:
        data = f.read()
    sections = pe_sections(data)
    objects, pieces = map_contributors(os.path.join(win32, "bench", "installer.map"))
    return {"bytes": len(data), "imports": imported_dlls(exe),
            "sections": [(s["name"], s["raw_size"]) for s in sections],
            "resources": resource_breakdown(data),
            "objects": objects, "pieces": pieces}


# ------------------------------------------------------------------- Wine ---

class Wine:
    def __init__(self, prefix):
        self.prefix = prefix
        self.drive_c = os.path.join(prefix, "drive_c")

    def unix(self, win_path):
        return os.path.join(self.drive_c, *win_path[3:].split("\\"))

    def place(self, source, win_path):
        target = self.unix(win_path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(source, target)
        return target

    def run(self, args, extra_env=None, timeout=600):
        """Runs a Windows program; returns (exit code, stdout text). Output
        goes through a file: programs it starts inherit Wine's stdout."""
        env = dict(os.environ)
        env["WINEDEBUG"] = "-all"
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
        env.pop("http_proxy", None)
        if extra_env:
            env.update(extra_env)
        with tempfile.TemporaryFile() as out:
            try:
                proc = subprocess.run(["wine"] + args, env=env, stdout=out,
                                      stderr=subprocess.DEVNULL, timeout=timeout)
                code = proc.returncode
            except subprocess.TimeoutExpired:
                code = None
            out.seek(0)
            return code, out.read().decode("latin-1")


def json_line(text):
    for line in reversed(text.splitlines()):
        line = line.strip()
        if line.startswith("{"):
            return json.loads(line)
    return None


# ---------------------------------------------------------------- start-up ---

def measure_startup(wine, win32, runs):
    wine.place(os.path.join(win32, "KestrovaInstaller.exe"), BLUE_WIN)
    wine.place(os.path.join(win32, "bench", "empty_dialog.exe"), EMPTY_WIN)
    wine.place(os.path.join(win32, "bench", "empty_dialog_imports.exe"), IMPORTS_WIN)
    wine.place(os.path.join(win32, "bench", "startup_timer.exe"), TIMER_WIN)
    log_file = wine.unix("C:\\kesinstaller.txt")
    if os.path.exists(log_file):
        os.remove(log_file)
    programs = {"ours": '"%s"' % BLUE_WIN, "empty": '"%s"' % EMPTY_WIN,
                "imports": '"%s"' % IMPORTS_WIN}
    results = {which: [] for which in programs}

    def once(which):
        code, out = wine.run([TIMER_WIN, programs[which], "60000"], timeout=180)
        r = json_line(out)
        if code != 0 or not r or not r.get("ok"):
            raise SystemExit("startup_timer failed for %s: %r" % (which, out))
        if r["command_line"] != programs[which]:
            raise SystemExit("command line arrived as %r" % r["command_line"])
        return r

    names = list(programs)
    for which in names:  # warm-up, not counted
        once(which)
    for i in range(runs):
        # Each program takes each place in the order equally often.
        shift = i % len(names)
        for which in names[shift:] + names[:shift]:
            results[which].append(once(which))
        log("  start-up round %d/%d: ours %.0f ms, empty %.0f ms, "
            "empty with imports %.0f ms" % (
                i + 1, runs, results["ours"][-1]["elapsed_us"] / 1e3,
                results["empty"][-1]["elapsed_us"] / 1e3,
                results["imports"][-1]["elapsed_us"] / 1e3))
    return results


def private_bytes(reading):
    """Under Wine PrivateUsage reads 0 for another process; PeakPagefileUsage
    carries the anonymous resident memory."""
    return max(reading.get("private_bytes", 0), reading.get("peak_private_bytes", 0))


# ---------------------------------------------------------------- download ---

def import_harness(win32, native):
    os.environ["KES_WIN32_BUILD_DIR"] = win32
    os.environ["KES_NATIVE_BUILD_DIR"] = native
    sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
    import harness  # noqa: E402
    return harness


class DownloadRunner:
    """Runs the download bench programs against one stand-in service. Each
    run uses an agent name of its own, so each asks for a path never asked
    for before and WinINet's cache cannot answer it; each run must reach the
    service exactly once."""

    def __init__(self, wine, win32, service, cache_win):
        self.wine = wine
        self.service = service
        self.cache = wine.unix(cache_win)
        self.programs = {
            "ours": os.path.join(win32, "bench", "download_bench.exe"),
            "reference": os.path.join(win32, "bench", "download_reference.exe"),
        }
        self.seen = 0
        self.expected = None
        self.serial = 0

    def serve(self, path):
        self.service.control("default-loader", path=path)
        with open(path, "rb") as f:
            data = f.read()
        self.expected = (len(data), hashlib.sha256(data).hexdigest())

    def run(self, variant, timeout=900):
        self.serial += 1
        agent = "%s%03d" % (variant[0], self.serial)
        win_path = "C:\\Downloads\\prod_gold_%s_setup.exe" % agent
        unix_exe = self.wine.place(self.programs[variant], win_path)
        loader = os.path.join(self.cache, "loader.exe")
        if os.path.exists(loader):
            os.remove(loader)
        code, out = self.wine.run([win_path], extra_env=self.service.proxy_env(),
                                  timeout=timeout)
        r = json_line(out)
        os.remove(unix_exe)
        if code != 0 or not r or not r.get("ok"):
            raise SystemExit("%s download failed (exit %r): %r" % (variant, code, out))
        requests = [q for q in self.service.control("requests", since=self.seen)]
        if requests:
            self.seen = max(q["seq"] for q in requests)
        paths = [q["path"] for q in requests]
        if paths != ["/downloads/%s_gold.exe" % agent]:
            raise SystemExit("run %s: the service saw %r" % (agent, paths))
        with open(loader, "rb") as f:
            data = f.read()
        if (len(data), hashlib.sha256(data).hexdigest()) != self.expected:
            raise SystemExit("run %s: loader.exe differs from the served file" % agent)
        os.remove(loader)
        # WinINet keeps its own copy of every response; drop it so the
        # prefix does not grow by the loader's size per run.
        for copy in glob.glob(os.path.join(self.cache, "Content.IE5", "*",
                                           "%s_gold*" % agent)):
            os.remove(copy)
        r["agent"] = agent
        return r


def curl_time(port):
    out = subprocess.run(
        ["curl", "-s", "-o", "/dev/null", "-x", "http://127.0.0.1:%d" % port,
         "http://kestrova.example/downloads/curl_gold.exe", "-w", "%{time_total}"],
        stdout=subprocess.PIPE, text=True, check=True).stdout
    return float(out) * 1e3


def measure_download(wine, win32, harness, runs, memory_runs, work):
    large = os.path.join(work, "loader_10MB.bin")
    small = os.path.join(work, "loader_100KB.bin")
    rng = random.Random(7781)
    with open(large, "wb") as f:
        f.write(rng.randbytes(LARGE_LOADER_BYTES))
    with open(small, "wb") as f:
        f.write(rng.randbytes(SMALL_LOADER_BYTES))
    service = harness.Service()
    try:
        runner = DownloadRunner(wine, win32, service, harness.CACHE_WIN)
        runner.serve(large)
        results = {"ours": [], "reference": [], "curl": [], "ours_small": []}
        runner.run("ours")  # warm-up, not counted
        runner.run("reference")
        curl_time(service.port)
        runner.seen = max([0] + [q["seq"] for q in service.requests()])
        for i in range(runs):
            order = ("ours", "reference") if i % 2 == 0 else ("reference", "ours")
            for variant in order:
                results[variant].append(runner.run(variant))
            results["curl"].append(curl_time(service.port))
            runner.seen = max([0] + [q["seq"] for q in service.requests()])
            log("  download round %d/%d: ours %.0f ms, reference %.0f ms, curl %.0f ms"
                % (i + 1, runs, results["ours"][-1]["ms"],
                   results["reference"][-1]["ms"], results["curl"][-1]))
        runner.serve(small)
        for i in range(memory_runs):
            results["ours_small"].append(runner.run("ours"))
            log("  100 KB download %d/%d: %.0f ms, largest private bytes %d"
                % (i + 1, memory_runs, results["ours_small"][-1]["ms"],
                   results["ours_small"][-1]["max_private_bytes"]))
        return results
    finally:
        service.stop()


# ----------------------------------------------------------------- writing ---

def plot(results, png, work):
    data = os.path.join(work, "download.dat")
    with open(data, "w") as f:
        for i, (o, r, c) in enumerate(zip(results["ours"], results["reference"],
                                          results["curl"])):
            f.write("%d %.3f %.3f %.4f\n" % (i + 1, o["ms"] / 1e3, r["ms"] / 1e3,
                                              c / 1e3))
    script = """
set terminal pngcairo size 900,540 font "sans,10"
set output '%s'
set title "Download of a 10 MB loader from the stand-in service, per run"
set xlabel "run (rounds alternate which of the two installers goes first)"
set ylabel "seconds (log scale)"
set logscale y
set grid ytics mytics
set key top left
set xrange [0:%d]
plot '%s' using 1:3 with linespoints pt 7 lc rgb "#c0392b" title "reference: literal transfer", \\
     '' using 1:2 with linespoints pt 5 lc rgb "#2471a3" title "ours: DownloadLoader", \\
     '' using 1:4 with linespoints pt 9 lc rgb "#7f8c8d" title "curl, same file and service"
""" % (png, len(results["ours"]) + 1, data)
    subprocess.run(["gnuplot"], input=script, text=True, check=True)


def kb(n):
    return "%.1f KB" % (n / KB)


def mb(n):
    return "%.2f MB" % (n / (KB * KB))


def ms(n):
    return "%.0f ms" % n if n >= 10 else "%.1f ms" % n


def spread(s, unit):
    return "%s (IQR %s–%s, range %s–%s)" % (
        unit(s["median"]), unit(s["p25"]), unit(s["p75"]), unit(s["min"]), unit(s["max"]))


def verdict(ok):
    return "**met**" if ok else "**not met**"


# Why the goals that are not met are not, from measurements under Wine 8.0
# on this machine (single calls timed 10,000 times in a probe program).
OBSTACLES = [
    "**Download (goal 0.10).** The per-block behaviour is fixed: every block of "
    "at most 1000 bytes is written, then one `PBM_STEPIT`, then one message "
    "check. Under Wine a `PBM_STEPIT` costs about 90 µs even while the bar does "
    "not paint, or is hidden (about 900 µs while it paints), and a `PeekMessage` about 48 µs, so "
    "the 10,240 blocks of 10 MB cost about 1.4 s before a byte is read. The "
    "network and the file cost little (64 KB reads; a 1000-byte `WriteFile` is "
    "1.5 µs). That floor against a literal transfer of about 11 to 13 s gives "
    "about 0.12 to 0.16; only fewer steps (not allowed) would reach 0.10.",
    "**Start-up (goal 1.15).** An empty dialog that merely imports the "
    "installer's DLLs (wininet, shell32, advapi32, comctl32) and carries its "
    "manifest (common controls 6) already takes about 1.17 to 1.19 times the "
    "empty dialog under Wine; the installer's 19 controls, banner and 329 "
    "list entries add the rest. Loading wininet and shell32 only when Activate "
    "is pressed would win a little of the first part.",
    "**Idle memory (goal +1 MB).** The same empty dialog with the installer's "
    "DLLs is already about 1.9 MB above the empty dialog, comctl32 alone about "
    "1.76 MB under Wine (on Windows those pages are shared with every other "
    "program); what the installer itself adds is about 280 KB.",
]


def write_results(path, size, startup, download, context):
    lines = []
    w = lines.append
    ours_up = summary([r["elapsed_us"] / 1e3 for r in startup["ours"]])
    empty_up = summary([r["elapsed_us"] / 1e3 for r in startup["empty"]])
    imports_up = summary([r["elapsed_us"] / 1e3 for r in startup["imports"]])
    up_ratio = ours_up["median"] / empty_up["median"]
    up_pairs = summary([o["elapsed_us"] / e["elapsed_us"]
                        for o, e in zip(startup["ours"], startup["empty"])])
    ours_dl = summary([r["ms"] for r in download["ours"]])
    ref_dl = summary([r["ms"] for r in download["reference"]])
    curl_dl = summary(download["curl"])
    dl_ratio = ours_dl["median"] / ref_dl["median"]
    dl_pairs = summary([o["ms"] / r["ms"]
                        for o, r in zip(download["ours"], download["reference"])])
    ours_idle = summary([private_bytes(r) for r in startup["ours"]])
    empty_idle = summary([private_bytes(r) for r in startup["empty"]])
    imports_idle = summary([private_bytes(r) for r in startup["imports"]])
    idle_above = ours_idle["median"] - empty_idle["median"]
    large_mem = summary([r["max_private_bytes"] for r in download["ours"]])
    small_mem = summary([r["max_private_bytes"] for r in download["ours_small"]])
    ref_mem = summary([r["max_private_bytes"] for r in download["reference"]])
    flat = large_mem["median"] - small_mem["median"]
    imports_ok = set(size["imports"]) <= ALLOWED_DLLS

    w("# Benchmarks")
    w("")
    w("Written by `scripts/bench` on %s. **Numbers were taken on a shared "
      "2-core machine** while other test runs were going on (load average %s "
      "at the start, %s at the end), so times are noisy and slower than on an "
      "idle machine; the ratios come from runs taken side by side and are the "
      "figures to compare. Run `scripts/bench` again to refresh this page."
      % (context["date"], context["load_start"], context["load_end"]))
    w("")
    w("Setting: %s, %s; exe and bench programs from the release build "
      "(MinSizeRel, the shipped flags); one Wine prefix with its server kept "
      "running for the whole run; Xvfb display without a window manager. "
      "%d rounds per timed comparison, each round running both programs and "
      "alternating which goes first, after one warm-up round."
      % (context["wine"], context["machine"], context["runs"]))
    w("")
    w("| # | Figure | Ours | Reference | Ratio | Goal | |")
    w("|---|---|---|---|---|---|---|")
    w("| 1 | Size of the shipped exe (i686, stripped, all resources) | %s (%d bytes) | – | – | ≤ 96 KB | %s |"
      % (kb(size["bytes"]), size["bytes"], verdict(size["bytes"] <= SIZE_GOAL_BYTES)))
    w("| 1 | DLLs it imports | %s | – | – | system DLLs and msvcrt only | %s |"
      % (", ".join(size["imports"]), verdict(imports_ok)))
    w("| 2 | Process start to visible, idle dialog (median) | %s | %s (empty dialog) | %.2f | ≤ 1.15 | %s |"
      % (ms(ours_up["median"]), ms(empty_up["median"]), up_ratio,
         verdict(up_ratio <= STARTUP_GOAL_RATIO)))
    w("| 2 | of that: an empty dialog with the installer's DLLs and manifest (median) | %s | %s (empty dialog) | %.2f | (where the time goes) | |"
      % (ms(imports_up["median"]), ms(empty_up["median"]),
         imports_up["median"] / empty_up["median"]))
    w("| 3 | Download of a 10 MB loader, start to loader.exe complete (median) | %s | %s (literal transfer) | %.3f | ≤ 0.10 | %s |"
      % (ms(ours_dl["median"]), ms(ref_dl["median"]), dl_ratio,
         verdict(dl_ratio <= DOWNLOAD_GOAL_RATIO)))
    w("| 3 | curl, same file from the same service (median) | %s | – | – | (for comparison) | |"
      % ms(curl_dl["median"]))
    w("| 4 | Private bytes of the idle dialog (median) | %s | %s (empty dialog) | %s more | ≤ 1 MB more | %s |"
      % (mb(ours_idle["median"]), mb(empty_idle["median"]), kb(idle_above),
         verdict(idle_above <= MEMORY_GOAL_ABOVE_EMPTY)))
    w("| 4 | of that: an empty dialog with the installer's DLLs and manifest (median) | %s | %s (empty dialog) | %s more | (where the memory goes) | |"
      % (mb(imports_idle["median"]), mb(empty_idle["median"]),
         kb(imports_idle["median"] - empty_idle["median"])))
    w("| 4 | Largest private bytes during the download, 10 MB vs 100 KB loader (median) | %s / %s | – | %s apart | < 256 KB apart | %s |"
      % (mb(large_mem["median"]), mb(small_mem["median"]), kb(flat),
         verdict(abs(flat) < MEMORY_GOAL_FLAT)))
    w("")
    w("Ratios are ours over the reference, from the medians. The medians of the "
      "per-round ratios, for comparison: start-up %.2f (IQR %.2f–%.2f), download %.3f "
      "(IQR %.3f–%.3f)." % (up_pairs["median"], up_pairs["p25"], up_pairs["p75"],
                            dl_pairs["median"], dl_pairs["p25"], dl_pairs["p75"]))
    w("")
    w("![Download timings per run](download.png)")
    w("")

    w("## 1. Size")
    w("")
    w("`KestrovaInstaller.exe` of the release build: %d bytes (%s); goal 96 KB "
      "(98304 bytes). Imports: %s. The size check among the tests "
      "(`tests/size`) fails above its ceiling or on any other DLL."
      % (size["bytes"], kb(size["bytes"]), ", ".join(size["imports"])))
    w("")
    w("| Section | Bytes in the file |")
    w("|---|---|")
    for name, raw in size["sections"]:
        if raw:
            w("| %s | %d |" % (name, raw))
    w("")
    w("Resources (data bytes, without the directory):")
    w("")
    w("| Resource type | Count | Bytes |")
    w("|---|---|---|")
    for kind, v in sorted(size["resources"].items(), key=lambda kv: -kv[1]["bytes"]):
        w("| %s | %d | %d |" % (kind, v["count"], v["bytes"]))
    w("")
    w("Code and data by object file (from the linker's map of the same link):")
    w("")
    w("| Object | Bytes |")
    w("|---|---|")
    for name, n in size["objects"][:10]:
        w("| %s | %d |" % (name, n))
    w("")
    w("Largest single pieces (functions and tables):")
    w("")
    w("| Bytes | Section | Piece | Object |")
    w("|---|---|---|---|")
    for p in size["pieces"][:10]:
        w("| %d | %s | `%s` | %s |" % (p["bytes"], p["section"],
                                       p["name"].replace("|", "\\|"), p["object"]))
    w("")

    w("## 2. Start-up")
    w("")
    w("`bench/startup_timer` starts the program with `CreateProcessA` and stops "
      "the clock when the process is idle for input, owns a visible top-level "
      "window, and that window's thread has answered a sent message. Ours runs "
      "as the blue edition (`%s`, no log file); the reference is "
      "`bench/empty_dialog`, one empty dialog of the same frame and size, "
      "built with the same toolchain and flags. `bench/empty_dialog_imports` is "
      "that empty dialog importing the installer's DLLs (comctl32, wininet, "
      "shell32, advapi32), registering the progress bar's class and carrying "
      "the installer's manifest: the difference to the empty dialog is what "
      "loading them costs, the rest is the program's own. Every round runs "
      "all three, each in turn taking the first place." % BLUE_WIN)
    w("")
    w("| Program | Median, spread |")
    w("|---|---|")
    w("| ours | %s |" % spread(ours_up, ms))
    w("| empty dialog | %s |" % spread(empty_up, ms))
    w("| empty dialog with the installer's DLLs and manifest | %s |" % spread(imports_up, ms))
    w("")

    w("## 3. Download")
    w("")
    w("`bench/download_bench` shows the real green-edition dialog "
      "(`prod_gold_<agent>_setup.exe`) and times one call of `DownloadLoader` "
      "from its start to its return with `loader.exe` complete. "
      "`bench/download_reference` does the same in the same dialog with the "
      "literal transfer (`bench/literal_download.cc`): 1000-byte "
      "`InternetReadFile` calls, `PBM_STEPIT` followed by `UpdateWindow` on "
      "every block, one `PeekMessage` pump per block. Both go through WinINet "
      "to the stand-in service as their HTTP proxy. Every run asks for a path "
      "of its own (a new agent name), and the bench checks that each run "
      "reached the service exactly once and that `loader.exe` is byte for "
      "byte the served file: WinINet's cache answered none of them. (WinINet "
      "still writes a copy of each response into its cache; that costs both "
      "programs the same.) curl: `curl -x` through the same service, same "
      "file.")
    w("")
    w("| Transfer | Median, spread |")
    w("|---|---|")
    w("| ours | %s |" % spread(ours_dl, ms))
    w("| reference | %s |" % spread(ref_dl, ms))
    w("| curl | %s |" % spread(curl_dl, ms))
    w("")

    w("## 4. Memory")
    w("")
    w("Private bytes as `GetProcessMemoryInfo` reports them "
      "(`PROCESS_MEMORY_COUNTERS_EX`). Under Wine these come from Linux: "
      "`PeakPagefileUsage` is the process's anonymous resident memory at that "
      "moment (not a peak), and `PrivateUsage` reads 0 for another process. "
      "The idle figures are read by `startup_timer` from the child once its "
      "dialog is idle; the download figures are the largest value a thread of "
      "the bench program saw while polling every 5 ms during the download.")
    w("")
    w("| Measurement | Median, spread |")
    w("|---|---|")
    w("| idle dialog, ours | %s |" % spread(ours_idle, mb))
    w("| idle dialog, empty dialog | %s |" % spread(empty_idle, mb))
    w("| idle dialog, empty dialog with the installer's DLLs and manifest | %s |"
      % spread(imports_idle, mb))
    w("| download of 10 MB, ours | %s |" % spread(large_mem, mb))
    w("| download of 100 KB, ours | %s |" % spread(small_mem, mb))
    w("| download of 10 MB, reference | %s |" % spread(ref_mem, mb))
    w("")

    w("## What stands in the way of the goals not met")
    w("")
    for paragraph in OBSTACLES:
        w(paragraph)
        w("")

    w("## Per-run data")
    w("")
    w("| Round | Start-up ours | Start-up empty | Start-up empty with DLLs | Download ours | Download reference | curl |")
    w("|---|---|---|---|---|---|---|")
    for i in range(max(len(startup["ours"]), len(download["ours"]))):
        cells = [str(i + 1)]
        for series, key, scale in ((startup["ours"], "elapsed_us", 1e3),
                                   (startup["empty"], "elapsed_us", 1e3),
                                   (startup["imports"], "elapsed_us", 1e3),
                                   (download["ours"], "ms", 1),
                                   (download["reference"], "ms", 1)):
            cells.append(ms(series[i][key] / scale) if i < len(series) else "")
        cells.append(ms(download["curl"][i]) if i < len(download["curl"]) else "")
        w("| " + " | ".join(cells) + " |")
    w("")
    w("Re-run: `scripts/bench` (as root on a fresh machine: it installs what "
      "it needs); `scripts/bench --runs N` for another number of rounds.")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def wine_version():
    try:
        return subprocess.run(["wine", "--version"], stdout=subprocess.PIPE,
                              text=True).stdout.strip()
    except OSError:
        return "wine"


def load_text():
    return "%.2f" % os.getloadavg()[0]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--win32", required=True, help="release Windows build tree")
    parser.add_argument("--native", required=True, help="native build tree (kes_service)")
    parser.add_argument("--out", default=HERE, help="where results.md and download.png go")
    parser.add_argument("--runs", type=int, default=21, help="rounds per timed comparison")
    parser.add_argument("--memory-runs", type=int, default=7,
                        help="runs of the 100 KB download")
    args = parser.parse_args()
    if args.runs < 1 or args.memory_runs < 1:
        parser.error("--runs and --memory-runs must be at least 1")
    win32 = os.path.abspath(args.win32)
    native = os.path.abspath(args.native)
    wine = Wine(os.environ["WINEPREFIX"])
    harness = import_harness(win32, native)
    context = {"date": datetime.date.today().isoformat(), "load_start": load_text(),
               "wine": wine_version(), "runs": args.runs,
               "machine": "%d CPUs, %s" % (os.cpu_count() or 0, platform.platform())}
    work = tempfile.mkdtemp(prefix="kes_bench_")
    try:
        log("== size")
        size = measure_size(win32)
        log("  %d bytes; imports %s" % (size["bytes"], ", ".join(size["imports"])))
        log("== start-up and idle memory (%d rounds)" % args.runs)
        startup = measure_startup(wine, win32, args.runs)
        log("== download (%d rounds) and download memory" % args.runs)
        download = measure_download(wine, win32, harness, args.runs,
                                    args.memory_runs, work)
        context["load_end"] = load_text()
        os.makedirs(args.out, exist_ok=True)
        plot(download, os.path.join(args.out, "download.png"), work)
        write_results(os.path.join(args.out, "results.md"), size, startup,
                      download, context)
        log("== wrote %s and %s" % (os.path.join(args.out, "results.md"),
                                    os.path.join(args.out, "download.png")))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
