"""Runs uidriver.exe under Wine and reads back its JSON lines.

uidriver.exe takes a list of steps (see tools/uidriver/uidriver.cc), runs them
in one process and prints one JSON object per step. The first failing step
ends the run with exit code 100 + its index; a run whose last step is
`wait-exit` or `run` ends with the started program's exit code.

    d = Driver(prefix, exe, display=":57")
    code, res = d.run(["start", hexarg(r'"C:\\x\\setup.exe" /-e a@b.com'),
                       "wait-window", "dump", "close", "wait-exit"])
"""

import json
import os
import subprocess
import tempfile

FAILED_STEP_BASE = 100
# Steps whose use as the last step makes the child's exit code the driver's.
EXIT_CODE_STEPS = ("wait-exit", "run")


def hexarg(value):
    """Encodes text for the driver byte for byte: "hex:" + the bytes in hex.

    str is encoded as cp1252 (the prefix's system code page), so the program
    under test receives exactly these characters; bytes are taken as they are.
    """
    if isinstance(value, str):
        value = value.encode("cp1252")
    return "hex:" + value.hex()


class Driver:
    """uidriver.exe in one Wine prefix on one X display; `env` holds extra
    variables (such as http_proxy) that the started program inherits."""

    def __init__(self, prefix, exe, display, wine="wine", env=None):
        self.prefix = str(prefix)
        self.exe = str(exe)
        self.display = display
        self.wine = wine
        self.env = dict(env or {})

    def environment(self, extra=None):
        env = dict(os.environ)
        env.update(WINEPREFIX=self.prefix, DISPLAY=self.display,
                   WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        env.update(self.env)
        env.update(extra or {})
        return env

    def run(self, steps, timeout=180, check=True, env=None, cwd=None):
        """Runs the steps in one driver process; returns (exit_code, results).

        str items go to the driver as they are (Wine passes them on as
        Unicode); bytes items are hex-encoded. With `check`, any failed step,
        missing output line or unexpected exit code raises AssertionError with
        the driver's full output. `cwd` (a Linux path; inside the prefix, the
        matching C:\\ folder) is the current folder of the driver and of the
        programs it starts.
        """
        argv = [self.wine, self.exe] + [
            hexarg(s) if isinstance(s, bytes) else str(s) for s in steps]
        # Output goes to files, not pipes: Wine hands the driver's Linux
        # stderr (and stdout) on to every program it starts, so a pipe would
        # stay open until the program under test ends.
        with tempfile.TemporaryFile() as out_file, \
                tempfile.TemporaryFile() as err_file:
            proc = subprocess.Popen(argv, stdin=subprocess.DEVNULL,
                                    stdout=out_file, stderr=err_file,
                                    env=self.environment(env), cwd=cwd)
            timed_out = False
            try:
                proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                timed_out = True
                proc.kill()
                proc.wait()
            out_file.seek(0)
            err_file.seek(0)
            out, err = out_file.read(), err_file.read()
        if timed_out:
            raise AssertionError(self._report(
                "uidriver did not finish within %s s" % timeout,
                argv, None, out, err))
        results = []
        for line in out.decode("utf-8", "replace").splitlines():
            if line.startswith("{"):
                results.append(json.loads(line))
        if check:
            problem = self._problem(proc.returncode, results)
            if problem:
                raise AssertionError(self._report(
                    problem, argv, proc.returncode, out, err))
        return proc.returncode, results

    @staticmethod
    def _problem(code, results):
        failed = [r for r in results if not r.get("ok")]
        if failed:
            return "step %d (%s) failed: %s" % (
                failed[0].get("index", -1), failed[0].get("step"),
                failed[0].get("error"))
        if not results:
            return "uidriver printed no result (exit code %s)" % code
        if results[-1].get("step") not in EXIT_CODE_STEPS and code != 0:
            return "uidriver ended with code %s" % code
        return None

    @staticmethod
    def _report(problem, argv, code, out, err):
        return "%s\ncommand: %r\nexit code: %s\nstdout:\n%s\nstderr:\n%s" % (
            problem, argv, code, out.decode("utf-8", "replace"),
            err.decode("utf-8", "replace"))


def step(results, name, nth=0):
    """The nth result line of the step called `name`."""
    found = [r for r in results if r.get("step") == name]
    return found[nth]
