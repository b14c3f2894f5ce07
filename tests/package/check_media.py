#!/usr/bin/env python3
"""check_media.py DIST NAME: DIST/NAME.zip and DIST/NAME.img hold exactly the
package folder DIST/win32, as unzip and mtools read them back, and
DIST/SHA256SUMS matches both."""
import os
import subprocess
import sys
import tempfile

VENDOR_FILES = ["Files/vorel12v.vxd", "Kernel/vorel12s.sys"]
FLOPPY_BYTES = 1474560


def tree(root):
    """Every folder (as None) and file (as its bytes) under root, by relative path."""
    found = {}
    for here, dirs, files in os.walk(root):
        for d in dirs:
            found[os.path.relpath(os.path.join(here, d), root)] = None
        for f in files:
            path = os.path.join(here, f)
            with open(path, "rb") as fh:
                found[os.path.relpath(path, root)] = fh.read()
    return found


def differences(label, got, want):
    out = ["%s lacks %s" % (label, p) for p in sorted(set(want) - set(got))]
    out += ["%s has extra %s" % (label, p) for p in sorted(set(got) - set(want))]
    out += ["%s differs in %s" % (label, p) for p in sorted(set(got) & set(want)) if got[p] != want[p]]
    return out


def run(problems, what, cmd, cwd=None):
    r = subprocess.run(cmd, cwd=cwd, capture_output=True, text=True,
                       env=dict(os.environ, MTOOLS_SKIP_CHECK="1"))
    if r.returncode != 0:
        problems.append("%s failed (%d): %s" % (what, r.returncode, (r.stdout + r.stderr).strip()))
    return r.returncode == 0


def main():
    dist, name = sys.argv[1], sys.argv[2]
    zip_path = os.path.join(dist, name + ".zip")
    img_path = os.path.join(dist, name + ".img")
    want = tree(os.path.join(dist, "win32"))
    problems = []
    run(problems, "sha256sum -c", ["sha256sum", "-c", "--strict", "SHA256SUMS"], cwd=dist)
    with open(os.path.join(dist, "SHA256SUMS")) as fh:
        listed = sorted(line.split()[-1] for line in fh if line.strip())
    if listed != sorted([name + ".img", name + ".zip"]):
        problems.append("SHA256SUMS lists %s" % listed)
    if os.path.getsize(img_path) != FLOPPY_BYTES:
        problems.append("%s is %d bytes, not a 1.44 MB floppy" % (img_path, os.path.getsize(img_path)))
    with tempfile.TemporaryDirectory() as tmp:
        zdir, idir = os.path.join(tmp, "zip"), os.path.join(tmp, "img")
        os.mkdir(idir)
        if run(problems, "unzip -t", ["unzip", "-t", "-q", zip_path]) and \
                run(problems, "unzip", ["unzip", "-q", zip_path, "-d", zdir]):
            problems += differences("zip", tree(zdir), want)
        if run(problems, "mdir", ["mdir", "-i", img_path, "::"]) and \
                run(problems, "mcopy", ["mcopy", "-s", "-n", "-i", img_path, "::*", idir]):
            problems += differences("floppy image", tree(idir), want)
    missing = [f for f in VENDOR_FILES if f not in want]
    if missing:
        print("vendor files missing from the package and its media (set VENDOR_DIR): " + " ".join(missing))
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
