#!/usr/bin/env bash
# Runs the timedemo from the game's data directory, with an X display of its own if needed.
# Arguments go to the timedemo: --difficulty D --length L --frames N --no-culling --times FILE
# --full-resolution --whole-sprites, and so on (bench/Timedemo.cpp), except --plot FILE.PNG, which
# this script keeps: it then draws every frame's milliseconds with gnuplot, the scale each was
# drawn at shaded beneath and the summary line as the title (900 x 400).
#   scripts/timedemo.sh                                   # the default world
#   scripts/timedemo.sh --difficulty 1 --length 1500      # the densest
#   scripts/timedemo.sh --difficulty 9 --length 1500      # the most bendy
#   scripts/timedemo.sh --frames 1800 --plot frames.png   # and a picture of its frame times
# Set ZELKORA_BUILD to use another build directory (build-sanitize for the soak; a sanitizer
# report then ends the run with exit code 23).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELKORA_BUILD:-$top/build}"

plot=""
times=""
arguments=()
while [[ $# -gt 0 ]]; do
    case "$1" in
        --plot)
            [[ $# -ge 2 ]] || { echo "timedemo: --plot needs a file name"; exit 2; }
            plot="$2"
            shift 2
            continue
            ;;
        --times)
            times="${2:-}" # the plot reads the caller's file then, not one of its own
            ;;
    esac
    arguments+=("$1")
    shift
done
if [[ -n "$plot" ]]; then
    command -v gnuplot >/dev/null ||
        { echo "timedemo: --plot needs gnuplot (scripts/deps.sh installs it)"; exit 1; }
    [[ "$plot" == /* ]] || plot="$PWD/$plot" # the timedemo runs elsewhere
fi

[[ -d "$build" ]] || { echo "timedemo: no build directory $build; build first"; exit 1; }
build="$(cd "$build" && pwd)" # the timedemo runs from its data directory below it
timedemo="$build/bench/zelkora_timedemo"
[[ -x "$timedemo" ]] || { echo "timedemo: $timedemo is missing; build first"; exit 1; }
source "$top/scripts/sanitizer-options.sh" # for a sanitized build: reports fail the run
cd "$build/game"
if [[ -z "$plot" ]]; then
    exec "$top/scripts/with-display.sh" "$timedemo" "${arguments[@]}"
fi

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
if [[ -z "$times" ]]; then
    times="$scratch/times.txt"
    arguments+=(--times "$times")
fi
[[ "$times" == /* ]] || times="$PWD/$times" # as the timedemo wrote it, from here
# The output still reaches the terminal; the copy gives the title.
set +e
"$top/scripts/with-display.sh" "$timedemo" "${arguments[@]}" | tee "$scratch/output.txt"
status=${PIPESTATUS[0]}
set -e
summary="$(grep -E '^timedemo: [0-9]+ frames' "$scratch/output.txt" | tail -n 1 || true)"
if [[ ! -s "$times" ]]; then
    echo "timedemo: no frame times to plot"
    exit $((status != 0 ? status : 1))
fi

# The summary is too long for one line of title: it breaks at the space nearest its middle.
first="$summary"
second=""
half=$((${#summary} / 2))
for ((offset = 0; offset < half; ++offset)); do
    for at in $((half - offset)) $((half + offset)); do
        if [[ "${summary:at:1}" == " " ]]; then
            first="${summary:0:at}"
            second="${summary:at+1}"
            break 2
        fi
    done
done

quote() { printf "'%s'" "${1//\'/\'\'}"; } # a gnuplot string, as it is
# Drawn into the scratch directory first, so that a failed plot leaves no half-written picture.
drawn=0
gnuplot <<GNUPLOT || drawn=$?
set terminal pngcairo size 900,400 font 'sans,9' noenhanced
set output $(quote "$scratch/plot.png")
set title $(quote "$first")."\n".$(quote "$second")
set xlabel 'frame'
set ylabel 'ms'
set autoscale xfix
set yrange [0:*]
# The scale keeps to the lowest third, beneath most frames, its steps marked on the right.
set y2range [0:300]
set y2tics ('50%%' 50, '70%%' 70, '85%%' 85, '100%%' 100) # labels are formats
set ytics nomirror
set grid ytics
set key top right opaque
set style fill solid 1.0 noborder
plot $(quote "$times") using 0:2 axes x1y2 with fillsteps lc rgb '#c6dbef' \
         title 'scene scale (right)', \
     $(quote "$times") using 0:1 with lines lw 1 lc rgb '#08519c' title 'frame ms', \
     16.7 with lines dt 2 lw 1.5 lc rgb '#d62728' title '16.7 ms (60 fps)'
GNUPLOT
if [[ $drawn -ne 0 ]]; then
    echo "timedemo: gnuplot drew no $plot"
    exit $((status != 0 ? status : 1))
fi
mv "$scratch/plot.png" "$plot"
exit "$status"
