#!/usr/bin/env python3
"""check_signing.py BUILD: the package as ./run package signs it
(package/release.sh) from the programs in BUILD, with a throw-away CA and a
code-signing certificate made here. osslsigncode verify -CAfile accepts the
SHA-1 signature and the nested SHA-256 one of each program, both dated from
the last commit; a program with one byte changed is refused; two signed
builds are byte-identical; the media and SHA256SUMS hold the signed programs
(check_media.py).

The e2e tiers import make_signer, signed_release and change_one_byte to
install the signed package and check it with Windows' own WinVerifyTrust.
"""
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
from check_media import differences, tree  # noqa: E402

PROGRAMS = ["setup.exe", "Files/vorel12a.exe", "Uninst/vorel12u.exe"]


def openssl(*args):
    subprocess.run(["openssl"] + list(args), check=True, capture_output=True)


def make_signer(folder):
    """A CA and a code-signing certificate it issued, with their keys, as PEM files."""
    os.makedirs(folder, exist_ok=True)
    p = {n: os.path.join(folder, n) for n in ("ca.pem", "ca.key", "cert.pem", "cert.key", "cert.csr", "ext")}
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", p["ca.key"], "-out", p["ca.pem"],
            "-days", "2", "-subj", "/CN=Throw-away test CA", "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", p["cert.key"], "-out", p["cert.csr"],
            "-subj", "/CN=Throw-away test signer")
    with open(p["ext"], "w") as fh:
        fh.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
    openssl("x509", "-req", "-in", p["cert.csr"], "-CA", p["ca.pem"], "-CAkey", p["ca.key"], "-set_serial", "2",
            "-days", "2", "-extfile", p["ext"], "-out", p["cert.pem"])
    return {"ca": p["ca.pem"], "cert": p["cert.pem"], "key": p["cert.key"]}


def signed_release(programs, out, signer):
    """package/release.sh with SIGN_CERT and SIGN_KEY; programs holds the three
    executables. Returns the package folder."""
    env = dict(os.environ, SIGN_CERT=signer["cert"], SIGN_KEY=signer["key"])
    env.pop("SIGN_TIMESTAMP_URL", None)
    subprocess.run(["bash", os.path.join(ROOT, "package", "release.sh"), programs, out], env=env, check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(out, "win32")


def change_one_byte(src, dst):
    """A copy of src with one byte of its first section changed, which every digest covers."""
    data = bytearray(open(src, "rb").read())
    pe = int.from_bytes(data[0x3C:0x40], "little")
    optsize = int.from_bytes(data[pe + 20:pe + 22], "little")
    first = pe + 24 + optsize
    raw = int.from_bytes(data[first + 20:first + 24], "little")
    data[raw + 16] ^= 0xFF
    open(dst, "wb").write(bytes(data))


def signatures(path, ca):
    """(exit code, [(digest, signing time, verified)] per signature) as osslsigncode verify reports them."""
    r = subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path], capture_output=True, text=True)
    found = []
    for block in re.split(r"\nSignature Index: ", r.stdout + r.stderr)[1:]:
        digest = re.search(r"Message digest algorithm\s*:\s*(\S+)", block)
        when = re.search(r"Signing time: (.+)", block)
        found.append((digest and digest.group(1), when and when.group(1).strip(),
                      "Signature verification: ok" in block))
    return r.returncode, found


def main():
    build = sys.argv[1]
    problems = []
    # The media's date, which release.sh takes as the signing time.
    epoch = os.environ.get("SOURCE_DATE_EPOCH") or subprocess.run(
        ["git", "-C", ROOT, "log", "-1", "--format=%ct"], capture_output=True, text=True, check=True).stdout
    dated = time.strftime("%b %e %H:%M:%S %Y GMT", time.gmtime(int(epoch)))
    with tempfile.TemporaryDirectory() as tmp:
        signer = make_signer(os.path.join(tmp, "ca"))
        first = signed_release(build, os.path.join(tmp, "first"), signer)
        # A second later, so that a signature dated by the clock would differ.
        time.sleep(1.1)
        signed_release(build, os.path.join(tmp, "second"), signer)
        problems += differences("the second signed build", tree(os.path.join(tmp, "second")),
                                tree(os.path.join(tmp, "first")))
        for name in PROGRAMS:
            code, sigs = signatures(os.path.join(first, name), signer["ca"])
            want = [("SHA1", dated, True), ("SHA256", dated, True)]
            if code != 0 or sigs != want:
                problems.append("%s: verify exited %d with signatures %s, not %s" % (name, code, sigs, want))
        changed = os.path.join(tmp, "changed.exe")
        change_one_byte(os.path.join(first, "setup.exe"), changed)
        code, sigs = signatures(changed, signer["ca"])
        if code == 0 or any(ok for _, _, ok in sigs):
            problems.append("setup.exe with one byte changed: verify exited %d with %s" % (code, sigs))
        media = subprocess.run([sys.executable, os.path.join(HERE, "check_media.py"), os.path.join(tmp, "first"),
                                "tandrel-win32"], capture_output=True, text=True)
        if media.returncode != 0:
            problems.append("the signed media: " + (media.stdout + media.stderr).strip())
    for p in problems:
        print(p)
    if problems:
        sys.exit(1)
    print("signed (SHA-1 and nested SHA-256, %s), changed byte refused, builds identical, media hold the signed "
          "programs" % dated)


if __name__ == "__main__":
    main()
