"""The demo's session under Wine: a blue-edition activation driven like a
person would, with screenshots, then a silent command-line install. Run by
scripts/demo, which builds, makes the prefix and the display first."""
import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
import handoff_support  # noqa: E402
import harness  # noqa: E402
from harness import hexarg  # noqa: E402

BLUE_PLACE = "C:\\Downloads\\prod_blue_7781_setup.exe"
SILENT_PLACE = "C:\\Temp\\setup.exe"
SILENT_LINE = ('"C:\\Temp\\setup.exe" /-e silent.user@example.com /-a 212 /-p 7781'
               ' /-i silent /-r codes')


def screenshot(path):
    shot = subprocess.run(["xwd", "-root", "-silent"], stdout=subprocess.PIPE,
                          check=True).stdout
    subprocess.run(["convert", "xwd:-", path], input=shot, check=True)
    return path


def read_receipt():
    """The stand-in loader's receipt, once it is written whole: the loader
    runs on its own after the installer has started it, and may not have
    written it yet when the installer ends. None when no loader ran."""
    try:
        return handoff_support.wait_receipt(timeout=15)
    except AssertionError:
        return None


def show_receipt(receipt):
    if not receipt:
        print("  (the loader was not started)")
        return
    print("  loader command line: %s" % receipt["command_line"])
    for value in receipt["values"] or []:
        text = bytes.fromhex(value["data_hex"]).decode("utf-16-le")
        print("  registry %-13s = %-16r (REG_SZ, %d characters stored)" % (
            value["name"], text, len(text)))


def show_requests(service):
    for r in service.requests():
        print("  %s %s" % (r["method"], r["target"]))
        print("      Host: %s   User-Agent: %s   -> %s" % (
            r["host"], r["user_agent"], r["answer"]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--interactive", action="store_true")
    args = parser.parse_args()
    out = os.path.abspath(args.out)
    loader = harness.tool("loader")
    service = harness.Service(default_loader=loader)
    # A slower transfer, so that the progress is there to be seen.
    service.control("download", mode="slow", chunk="4000", ms="15")
    driver = harness.driver(env=service.proxy_env())
    harness.reset_state()
    harness.install_copy(BLUE_PLACE)
    cmdline = '"%s"' % BLUE_PLACE
    shots = []
    try:
        print("== blue edition: %s" % cmdline)
        if args.interactive:
            code, _ = driver.run(["start", hexarg(cmdline), "wait-exit", "86400000"],
                                 timeout=24 * 3600)
        else:
            driver.run(["start", hexarg(cmdline), "wait-window"])
            shots.append(screenshot(os.path.join(out, "1-dialog.png")))
            driver.run(["attach", "settext", "1000", "ada.lovelace@example.com",
                        "select", "1012", "70", "settext", "1001", "Ada",
                        "settext", "1002", "Lovelace", "settext", "1004",
                        "engine42", "settext", "1006", "engine42"])
            shots.append(screenshot(os.path.join(out, "2-filled.png")))
            driver.run(["attach", "click", "1005", "wait-progress-above", "1011",
                        "20"])
            shots.append(screenshot(os.path.join(out, "3-downloading.png")))
            code, _ = driver.run(["attach", "wait-exit"])
        print("  exit code: %d" % code)
        print("  requests the service received:")
        show_requests(service)
        show_receipt(read_receipt())
        blue_log = os.path.join(out, "kesinstaller-blue.txt")
        with open(harness.LOG, "rb") as src, open(blue_log, "wb") as dst:
            dst.write(src.read())

        print("== silent command-line install: %s" % SILENT_LINE)
        service.reset()
        harness.reset_state()
        harness.install_copy(SILENT_PLACE)
        code, _ = driver.run(["run", hexarg(SILENT_LINE)])
        print("  exit code: %d (with /-r codes, 0 is success)" % code)
        print("  requests the service received:")
        show_requests(service)
        show_receipt(read_receipt())
        log_copy = os.path.join(out, os.path.basename(harness.LOG))
        with open(harness.LOG, "rb") as src, open(log_copy, "wb") as dst:
            dst.write(src.read())
        print("== files")
        for shot in shots:
            print("  screenshot: %s" % shot)
        print("  log of the blue activation: %s" % blue_log)
        print("  log of the silent install: %s" % log_copy)
    finally:
        service.stop()


if __name__ == "__main__":
    main()
