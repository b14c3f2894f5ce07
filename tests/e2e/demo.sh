#!/usr/bin/env bash
# ./run demo: in a fresh prefix, install, use and remove the package.
set -euo pipefail
root=$1
python3 "$root/tests/e2e/e2e.py" "$root/dist/wine64" "${2:-demo}" "$root/build/wine/tests/e2e/uidriver.exe" \
    "$root/build/wine/tests/e2e/vorel12s.sys"
