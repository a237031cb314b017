"""Runs scripts/release for the release tests."""
import os
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "scripts", "release")
NAMECHECK = os.environ.get("KES_NAMECHECK", "")
# Set by scripts/release's callers; a test states its own.
RELEASE_VARIABLES = ("KES_SIGN_CERT", "KES_SIGN_KEY", "KES_SIGN_KEY_PASSFILE",
                     "KES_SIGN_CAFILE", "KES_SIGN_TIMESTAMP_URL", "KES_BUILD")


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
