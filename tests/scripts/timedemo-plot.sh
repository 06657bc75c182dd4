#!/usr/bin/env bash
# scripts/timedemo.sh --plot on a short run: it must exit 0, still print the summary line and
# leave a 900 x 400 PNG where it was asked for, relative to where it was run from.
# Usage: timedemo-plot.sh BUILD_DIR
set -euo pipefail
top="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"

status=0
ZELKORA_BUILD="$build" "$top/scripts/timedemo.sh" --frames 60 --bare-frames 5 --plot frames.png \
    >output.txt 2>&1 || status=$?
cat output.txt
fail() { echo "timedemo-plot: $*"; exit 1; }
[[ $status -eq 0 ]] || fail "exit code $status"
grep -qE '^timedemo: 60 frames .* scale 100/85/70/50 ' output.txt || fail "no summary line"
[[ -f frames.png ]] || fail "no frames.png"

# The signature, then the IHDR chunk (length 13) with the width and the height, big-endian.
header="$(od -An -tx1 -N24 frames.png | tr -d ' \n')"
[[ "${header:0:16}" == 89504e470d0a1a0a ]] || fail "not a PNG: $header"
[[ "${header:16:16}" == 0000000d49484452 ]] || fail "no IHDR first: $header"
width=$((16#${header:32:8}))
height=$((16#${header:40:8}))
[[ $width -eq 900 && $height -eq 400 ]] || fail "${width} x ${height}, not 900 x 400"
echo "timedemo-plot: frames.png, ${width} x ${height}"
