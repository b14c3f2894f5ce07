#!/usr/bin/env python3
"""End-to-end scenarios: the package's real executables run as processes under
Wine, each scenario in its own copy of the run's fresh prefix.

usage: e2e.py BITS DIST UIDRIVER DRIVER_DOUBLE NAME
  BITS 64 runs dist/wine64 under wine64, 32 the shipped dist/win32 under 32-bit Wine
  (the Wine programs named by WINE and WINESERVER, as ./run sets them);
  NAME is a scenario of the *_flows.py files (or of the tools' tours).
"""
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import agent_flows  # noqa: E402,F401
import install_flows  # noqa: E402,F401
import ninex_flows  # noqa: E402,F401
import removal_flows  # noqa: E402,F401
import signing_flows  # noqa: E402,F401


def main(tours=None):
    """Runs one scenario, or one of tours (name: function(dist, prefix)), in its own prefix."""
    tours = tours or {}
    if len(sys.argv) != 6 or sys.argv[1] not in ("32", "64") or (
            sys.argv[5] not in harness.SCENARIOS and sys.argv[5] not in tours):
        sys.exit(__doc__ + "\nscenarios: " + ", ".join(sorted(harness.SCENARIOS)))
    bits, dist, uidriver, double, name = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
    harness.configure(bits, uidriver, double)
    prefix = harness.Prefix(name)
    try:
        tours.get(name, harness.SCENARIOS.get(name))(dist, prefix)
    except BaseException:
        # A failure says why: with the traceback, what Wine reported meanwhile.
        sys.stdout.flush()
        print("---- Wine's error channel during %s:\n%s\n----" % (name, prefix.wine_errors() or "(nothing)"))
        raise
    finally:
        prefix.close()
        for pkg in ("e2e-package", "e2e-package-v2"):
            shutil.rmtree(os.path.join(harness.work_dir(), pkg), ignore_errors=True)


if __name__ == "__main__":
    main()
