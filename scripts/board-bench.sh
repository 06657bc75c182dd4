#!/usr/bin/env bash
# The board under load on this machine, with wrk and curl against a zelkora-board on loopback:
#   reads        a world's board as JSON and as its web page, 64 connections, 20 s each
#                (requests a second and p99 latency, from wrk --latency), then the same bytes
#                served as static files by nginx on this machine, and the board's share of its rate;
#   submissions  real runs (the game flies them first), 32 at a time, each from its own
#                loopback address and name: runs checked a second, against what the checks'
#                CPU allows (workers / seconds per check, from /metrics);
#   memory       the server's peak resident set after a flood that fills its queue.
# The database holds RUNS runs first (default 100000). A third argument "reads" stops after them.
#   scripts/board-bench.sh [sqlite|URL] [RUNS] [reads]   # URL: postgresql://... of an empty database
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELKORA_BUILD:-$top/build}"
database="${1:-sqlite}"
runs="${2:-100000}"
only="${3:-}"
for tool in wrk curl nginx; do
    command -v "$tool" >/dev/null || { echo "board-bench: needs $tool (scripts/deps.sh)"; exit 1; }
done
scratch="$(mktemp -d)"
chmod 755 "$scratch" # nginx's workers run as nobody
server=""
static=""
cleanup() {
    [[ -n "$server" ]] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    [[ -n "$static" ]] && kill "$static" 2>/dev/null && wait "$static" 2>/dev/null
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
# A board's first start on runs kept without flights gives each its flight before it serves.
for _ in $(seq 3000); do curl -sf "$url/healthz" >/dev/null && break; sleep 0.1; done
curl -sf "$url/healthz" >/dev/null || { echo "board-bench: the board did not start"; exit 1; }

# The same bytes as files, served by nginx with two workers: what a static answer costs here.
mkdir -p "$scratch/nginx/files"
curl -sf "$url/api/worlds/3-512-17" >"$scratch/nginx/files/board.json"
curl -sf "$url/worlds/3-512-17" >"$scratch/nginx/files/board.html"
chmod -R a+rX "$scratch/nginx"
static_port=$((port + 1))
cat >"$scratch/nginx/nginx.conf" <<EOF
worker_processes 2;
pid $scratch/nginx/nginx.pid;
error_log $scratch/nginx/error.log;
events { worker_connections 1024; }
http {
    access_log off;
    default_type application/octet-stream;
    server { listen 127.0.0.1:$static_port; root $scratch/nginx/files; }
}
EOF
nginx -c "$scratch/nginx/nginx.conf" -p "$scratch/nginx" -g 'daemon off;' &
static=$!
for _ in $(seq 100); do curl -sf "http://127.0.0.1:$static_port/board.json" >/dev/null && break; sleep 0.1; done

# Requests a second, p99 and any non-2xx count of 20 s of reads at 64 connections, on one line.
measure() {
    wrk -t2 -c64 -d20s --latency "$1" | awk '/Requests\/sec/ {rate = $2} / 99%/ {p99 = $2}
        /Non-2xx/ {errors = " non-2xx:" $NF} END {printf "%s %s%s\n", rate, p99, errors}'
}
for pair in /api/worlds/3-512-17:board.json /worlds/3-512-17:board.html; do
    path="${pair%%:*}" file="${pair#*:}"
    read -r rate p99 errors <<<"$(measure "$url$path")"
    read -r static_rate static_p99 _ <<<"$(measure "http://127.0.0.1:$static_port/$file")"
    echo "board-bench: $path: $rate requests/s, p99 $p99 ${errors:-}; nginx, the same bytes:" \
        "$static_rate requests/s, p99 $static_p99; the board at" \
        "$(awk -v a="$rate" -v b="$static_rate" 'BEGIN {printf "%.3f", a / b}') of nginx's rate"
done
[[ "$only" == reads ]] && exit 0

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
