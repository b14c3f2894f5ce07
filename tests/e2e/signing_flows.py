"""The package as a vendor finishes it: signed as ./run package signs it (Windows' own check of the
signatures, and an install), or branded with a resource tool."""
import os
import shutil
import ssl
import sys

import harness
from harness import *

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "package"))
import check_signing  # noqa: E402

TRUST_E_BAD_DIGEST = "0x80096010"


@scenario
def signed_package_is_trusted_and_installs(dist, prefix):
    # The package as ./run package signs it, with a throw-away CA that goes
    # into the prefix's trusted roots.
    work = os.path.join(work_dir(), "e2e-signed")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "programs"))
    try:
        for name in check_signing.PROGRAMS:
            shutil.copy(os.path.join(dist, name), os.path.join(work, "programs"))
        signer = check_signing.make_signer(os.path.join(work, "ca"))
        signed = check_signing.signed_release(os.path.join(work, "programs"), os.path.join(work, "out"), signer)
        changed = os.path.join(work, "changed.exe")
        check_signing.change_one_byte(os.path.join(signed, "setup.exe"), changed)
        der = os.path.join(work, "ca.der")
        open(der, "wb").write(ssl.PEM_cert_to_DER_cert(open(signer["ca"]).read()))
        files = [os.path.join(signed, name) for name in check_signing.PROGRAMS]
        _, out = prefix.run([harness.TRUSTCHECK, "-root", wine_path(der)] + [wine_path(f) for f in files + [changed]])
        verdict = {path: code for code, path in (line.split(None, 1) for line in out.splitlines())}
        for f in files:
            check(verdict.get(wine_path(f)) == "0x00000000", "WinVerifyTrust trusts the signed %s (%s)"
                  % (os.path.basename(f), verdict.get(wine_path(f))))
        check(verdict.get(wine_path(changed)) == TRUST_E_BAD_DIGEST, "and refuses setup.exe with one byte changed (%s)"
              % verdict.get(wine_path(changed)))
        start_agent_from_setup(signed, prefix, "win10")
        agent = open(os.path.join(signed, "Files", "vorel12a.exe"), "rb").read()
        check(open(prefix.unix("C:\\Apps\\Tandrel\\vorel12a.exe"), "rb").read() == agent,
              "the agent that runs is the signed one")
    finally:
        shutil.rmtree(work, ignore_errors=True)


@scenario
def branded_package_installs_runs_and_removes(dist, prefix):
    # A vendor's resource tool adds an item through UpdateResource, which
    # rewrites each program's resource section whole.
    pkg = os.path.join(work_dir(), "e2e-branded")
    shutil.rmtree(pkg, ignore_errors=True)
    shutil.copytree(dist, pkg)
    programs = ("setup.exe", "Files\\vorel12a.exe", "Uninst\\vorel12u.exe")
    for name in programs:
        code, out = ui(prefix, "brand", wine_path(os.path.join(pkg, *name.split("\\"))))
        check(code == 0, "UpdateResource added an item to %s and kept its manifest (%d %s)" % (name, code, out))
    start_agent_from_setup(pkg, prefix, "win10")
    check(same_file(prefix, "C:\\Apps\\Tandrel\\vorel12a.exe", os.path.join(pkg, "Files", "vorel12a.exe")),
          "the agent that runs is the branded one")
    launch(prefix, "C:\\Apps\\Tandrel\\vorel12a.exe", timeout=30)
    code, _ = ui(prefix, "window", "#32770", "10", "Tandrel")
    check(code == 0, "the branded agent started again shows its About box")
    ui(prefix, "postw", "#32770", "Tandrel", "273", "1023", "0")
    silent_uninstall(prefix, nt=True)
    check_footprint_gone(prefix, "C:\\Apps\\Tandrel\\")
