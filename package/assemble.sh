#!/usr/bin/env bash
# assemble.sh BUILD_DIR DIST_DIR: lays out the package beside setup.exe.
# The vendor's driver files come from $VENDOR_DIR; they are never invented.
set -euo pipefail
build=$1
dist=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$dist"
mkdir -p "$dist/Files" "$dist/Kernel" "$dist/Uninst"
cp "$build/setup.exe" "$dist/setup.exe"
cp "$build/vorel12a.exe" "$dist/Files/vorel12a.exe"
cp "$here/vorel12.htm" "$dist/Files/vorel12.htm"
cp "$build/vorel12u.exe" "$dist/Uninst/vorel12u.exe"
missing=()
for f in Files/vorel12v.vxd Kernel/vorel12s.sys; do
    name=$(basename "$f")
    if [ -n "${VENDOR_DIR:-}" ] && [ -f "$VENDOR_DIR/$name" ]; then
        cp "$VENDOR_DIR/$name" "$dist/$f"
    else
        missing+=("$name")
    fi
done
[ ${#missing[@]} -eq 0 ] || echo "$(basename "$dist"): vendor files missing (set VENDOR_DIR): ${missing[*]}"
