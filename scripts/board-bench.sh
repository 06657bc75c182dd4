#!/usr/bin/env bash
# The board under load on this machine, with wrk and curl against a zelkora-board on loopback:
#   reads        a world's board as JSON and as its web page, 64 connections, 20 s each
#                (requests a second and p99 latency, from wrk --latency);
#   submissions  real runs (the game flies them first), 32 at a time, each from its own
#                loopback address and name: runs checked a second, against what the checks'
#                CPU allows (workers / seconds per check, from /metrics);
#   memory       the server's peak resident set after a flood that fills its queue.
# The database holds RUNS runs first (default 100000).
#   scripts/board-bench.sh [sqlite|URL] [RUNS]     # URL: postgresql://... of an empty database
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELKORA_BUILD:-$top/build}"
database="${1:-sqlite}"
runs="${2:-100000}"
for tool in wrk curl; do
    command -v "$tool" >/dev/null || { echo "board-bench: needs $tool (scripts/deps.sh)"; exit 1; }
done
scratch="$(mktemp -d)"
server=""
cleanup() {
    [[ -n "$server" ]] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
[[ "$database" == sqlite ]] && database="sqlite:$scratch/board.sqlite3"
echo "board-bench: filling $database with $runs runs"
"$build/bench/zelkora_board_fill" "$database" "$runs"
port=$((20000 + RANDOM % 20000))
"$build/game/zelkora-board" --listen "127.0.0.1:$port" --database "$database" --workers 2 \
    --queue 64 2>"$scratch/server.log" &
server=$!
url="http://127.0.0.1:$port"
for _ in $(seq 100); do curl -sf "$url/healthz" >/dev/null && break; sleep 0.1; done

for path in /api/worlds/3-512-17 /worlds/3-512-17; do
    echo "board-bench: reads of $path, 64 connections, 20 s"
    wrk -t2 -c64 -d20s --latency "$url$path" | grep -E "Requests/sec|99%|Non-2xx" || true
done

echo "board-bench: flying 128 runs to submit"
(cd "$build/game" && "$build/bench/zelkora_board_runs" "$scratch" 128 >/dev/null)

# One submission: run N of the flown ones under name PREFIXN, from loopback address 127.0.B.x.
submit() {
    local prefix=$1 block=$2 run=$3 number=$4
    curl -s -o /dev/null -w '%{http_code}\n' --interface "127.0.$block.$((number % 250 + 2))" \
        -H "Authorization: Bearer ${prefix}token-$number-aaaaaaaaaaaaaaaaaaaaaaaa" \
        --data-binary "@$scratch/run-$run.zrp" "$url/api/runs?name=$prefix$number"
}
export -f submit
export scratch url

start=$(date +%s.%N)
seq 64 | xargs -P 32 -I{} bash -c 'submit bench 0 {} {}' >"$scratch/codes.txt"
end=$(date +%s.%N)
metrics="$(curl -s "$url/metrics")"
checks=$(grep '^zelkora_board_check_seconds_count' <<<"$metrics" | awk '{print $2}')
seconds=$(grep '^zelkora_board_check_seconds_sum' <<<"$metrics" | awk '{print $2}')
echo "board-bench: answers $(sort "$scratch/codes.txt" | uniq -c | tr '\n' ' ')"
awk -v n="$checks" -v s="$seconds" -v a="$start" -v b="$end" 'BEGIN {
    printf "board-bench: %d runs checked in %.1f s: %.2f a second; a check takes %.2f s of a worker, so 2 workers allow %.2f a second\n",
        n, b - a, n / (b - a), s / n, 2 / (s / n) }'

# Runs 65 to 128, each sent by four players at once: more checks than the queue holds.
echo "board-bench: a flood of 256 submissions at once"
seq 256 | xargs -P 256 -I{} bash -c 'submit flood 1 $(( {} % 64 + 65 )) {}' \
    >"$scratch/flood.txt" || true
echo "board-bench: answers $(sort "$scratch/flood.txt" | uniq -c | tr '\n' ' ')"
grep -E "VmHWM|VmRSS" "/proc/$server/status" | tr -s ' \t' ' ' | sed 's/^/board-bench: server /'
