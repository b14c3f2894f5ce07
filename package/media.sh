#!/usr/bin/env bash
# media.sh PACKAGE_DIR OUT_DIR NAME: OUT_DIR/NAME.zip, OUT_DIR/NAME.img (a 1.44 MB
# FAT12 floppy) and OUT_DIR/SHA256SUMS over both, from the package folder.
# Two runs on the same commit give the same bytes: every date is
# SOURCE_DATE_EPOCH (by default the commit's time), entries go in sorted
# order, modes are fixed and the volume serial comes from the date.
set -euo pipefail
pkg=$1
mkdir -p "$2"
out=$(cd "$2" && pwd)
name=$3
here=$(cd "$(dirname "$0")" && pwd)
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct 2>/dev/null || echo 946684800)}
export SOURCE_DATE_EPOCH=$epoch TZ=UTC LC_ALL=C MTOOLS_SKIP_CHECK=1

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -r "$pkg/." "$stage/"
find "$stage" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$epoch" {} +
entries=$(cd "$stage" && find . -mindepth 1 | sed 's|^\./||' | sort)

zip=$out/$name.zip
img=$out/$name.img
rm -f "$zip" "$img" "$out/SHA256SUMS"
# -X: no uid/gid or extra timestamps, so the owner and the clock do not show.
(cd "$stage" && printf '%s\n' "$entries" | zip -q -X -9 -@ "$zip")

mformat -i "$img" -C -f 1440 -v TANDREL -N "$(printf '%08X' $((epoch & 0xFFFFFFFF)))" ::
while IFS= read -r e; do
    if [ -d "$stage/$e" ]; then mmd -i "$img" "::/$e"; else mcopy -i "$img" "$stage/$e" "::/$e"; fi
done <<<"$entries"

(cd "$out" && sha256sum "$name.img" "$name.zip" >SHA256SUMS)
