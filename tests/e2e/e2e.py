#!/usr/bin/env python3
"""End-to-end scenarios: the real executables of dist/wine64 run as processes
under wine64, each scenario in its own copy of the run's fresh prefix.

usage: e2e.py DIST SCENARIO
"""
import os
import shutil
import subprocess
import sys
import time

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"


class Prefix:
    """A copy of the run's prefix with its own wineserver, removed afterwards."""

    def __init__(self, name):
        base = os.environ["WINEPREFIX"]
        self.path = os.path.join(os.path.dirname(base), "e2e-" + name)
        shutil.rmtree(self.path, ignore_errors=True)
        subprocess.run(["cp", "-a", base, self.path], check=True)
        self.env = dict(os.environ, WINEPREFIX=self.path)

    def run(self, args, timeout=60, check_exit=True):
        p = subprocess.run([WINE] + args, env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
        out = p.stdout.decode("latin-1").replace("\r\n", "\n")
        if check_exit and p.returncode != 0:
            raise AssertionError("%s exited with %d" % (args, p.returncode))
        return p.returncode, out

    def start(self, args):
        return subprocess.Popen([WINE] + args, env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def set_version(self, exe, version):
        self.run(["reg", "add", "HKCU\\Software\\Wine\\AppDefaults\\%s" % exe, "/v", "Version",
                  "/d", version, "/f"])

    def unix(self, winpath):
        """C:\\x\\y as a host path inside this prefix."""
        assert winpath[1:3] == ":\\"
        return os.path.join(self.path, "drive_c", *winpath[3:].split("\\"))

    def close(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.path, ignore_errors=True)


SCENARIOS = {}


def scenario(fn):
    SCENARIOS[fn.__name__] = fn
    return fn


def wine_path(host_path):
    return "Z:" + os.path.abspath(host_path).replace("/", "\\")


@scenario
def programs_start_and_exit_zero(dist, prefix):
    # Each program runs as its own process and ends with exit code 0 within a time-out.
    start = time.time()
    for exe in ("setup.exe", "Files/vorel12a.exe", "Uninst/vorel12u.exe"):
        code, _ = prefix.run([wine_path(os.path.join(dist, exe))], timeout=30, check_exit=False)
        assert code == 0, "%s exited with %d" % (exe, code)
    print("all three exited 0 in %.1f s" % (time.time() - start))


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in SCENARIOS:
        sys.exit(__doc__ + "\nscenarios: " + ", ".join(sorted(SCENARIOS)))
    dist, name = sys.argv[1], sys.argv[2]
    prefix = Prefix(name)
    try:
        SCENARIOS[name](dist, prefix)
    finally:
        prefix.close()


if __name__ == "__main__":
    main()
