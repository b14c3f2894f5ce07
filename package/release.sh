#!/usr/bin/env bash
# release.sh BUILD_DIR OUT_DIR: the shipped package OUT_DIR/win32, its media
# OUT_DIR/tandrel-win32.zip and .img, and OUT_DIR/SHA256SUMS, from the three
# programs in BUILD_DIR. With SIGN_CERT and SIGN_KEY (PEM files) the programs
# are signed first, so the folder, the media and the sums hold signed files;
# SIGN_TIMESTAMP_URL adds a time stamp.
set -euo pipefail
build=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
# The media's date and the signing time: the last commit's, so that two
# builds of one commit are byte-identical, signed or not.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct 2>/dev/null || echo 946684800)}

programs=$(mktemp -d)
trap 'rm -rf "$programs"' EXIT

sign() {   # sign DIGEST IN OUT [osslsigncode options...]
    local digest=$1 in=$2 to=$3 log
    shift 3
    if [ -n "${SIGN_TIMESTAMP_URL:-}" ]; then
        # Windows 2000 and XP read only the Authenticode time stamp (-t).
        if [ "$digest" = sha1 ]; then set -- "$@" -t "$SIGN_TIMESTAMP_URL"; else set -- "$@" -ts "$SIGN_TIMESTAMP_URL"; fi
    else
        set -- "$@" -time "$SOURCE_DATE_EPOCH"
    fi
    # Older osslsigncode prints its errors on stdout.
    log=$(osslsigncode sign -certs "$SIGN_CERT" -key "$SIGN_KEY" -h "$digest" "$@" -in "$in" -out "$to" 2>&1) ||
        { echo "$log" >&2; echo "signing $(basename "$to") failed" >&2; exit 1; }
}

if [ -n "${SIGN_CERT:-}" ] && [ -n "${SIGN_KEY:-}" ]; then
    for exe in setup vorel12a vorel12u; do
        # SHA-1 is what Windows 2000 and XP verify; the nested SHA-256
        # signature is the one later Windows prefer.
        sign sha1 "$build/$exe.exe" "$programs/$exe.sha1"
        sign sha256 "$programs/$exe.sha1" "$programs/$exe.exe" -nest
        rm "$programs/$exe.sha1"
    done
elif [ -n "${SIGN_CERT:-}${SIGN_KEY:-}" ]; then
    echo "set both SIGN_CERT and SIGN_KEY to sign, or neither" >&2
    exit 1
else
    cp "$build/setup.exe" "$build/vorel12a.exe" "$build/vorel12u.exe" "$programs/"
    echo "win32: programs not signed (set SIGN_CERT and SIGN_KEY to sign them)"
fi

bash "$here/assemble.sh" "$programs" "$out/win32"
bash "$here/media.sh" "$out/win32" "$out" tandrel-win32
