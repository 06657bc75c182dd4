#!/usr/bin/env bash
# Runs a command with an X display: the one in DISPLAY, or else a private virtual X server with
# a 24-bit screen (8 or 16 bits garble the colours the tests read back). -noreset: by default the
# server resets whenever its last client leaves, and a test connecting during that reset (ctest
# runs two at once) is refused.
set -euo pipefail

if [[ -n "${DISPLAY:-}" ]]; then
    exec "$@"
fi
# xvfb-run -a counts up from the number given; starting from a random one keeps two runs that
# start at the same moment from racing for the same display.
exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" "$@"
