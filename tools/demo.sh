#!/usr/bin/env bash
# ./run demo and ./run bench: in a fresh prefix, install, use and remove the package.
#   demo.sh ROOT demo|bench BITS
set -euo pipefail
root=$1 what=$2 bits=$3
if [ "$bits" = 32 ]; then build=$root/build/wine32 dist=$root/dist/win32; else build=$root/build/wine dist=$root/dist/wine64; fi
python3 "$root/tools/tour.py" "$bits" "$dist" "$build/tests/e2e/uidriver.exe" "$build/tests/e2e/vorel12s.sys" "$what"
