#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing need, but only when one is
# missing, so that running it again costs nothing. apt-get runs as root, through sudo otherwise.
set -euo pipefail

packages=(
    # build
    cmake g++ make pkg-config clang-format
    freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
    # sound: SDL2's audio and its mixer (WAV and MP3); LAME encodes the MP3s we make ourselves
    libsdl2-dev libsdl2-mixer-dev libmp3lame-dev
    # PNG through libpng: the game's screenshots, the generator's icon and contact sheet
    libpng-dev
    # zlib: replays are packed and checksummed with it
    zlib1g-dev
    # the Debian packages: dpkg-shlibdeps finds the runtime libraries they depend on; the tests
    # check them with lintian, the game's AppStream file with appstreamcli and the board's
    # systemd unit with systemd-analyze
    dpkg-dev lintian appstream systemd
    # the replays' file type: the tests validate the desktop entry and ask the desktop's MIME
    # database (through GIO, as file managers do) what a replay is
    desktop-file-utils xdg-utils shared-mime-info libglib2.0-bin
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    # fuzz targets: clang with libFuzzer and the sanitizer runtimes
    clang libclang-rt-14-dev
    # a display for GL and end-to-end tests: virtual X server, key input, screenshots
    xvfb xauth xdotool x11-apps x11-utils imagemagick
    # the world of the day is tested on a fixed date: libfaketime sets the game's wall clock
    faketime
    # scripts/timedemo.sh --plot draws the frame times with gnuplot (its PNG terminals, no X)
    gnuplot-nox
    # the board: an HTTP server, JSON, SQLite and PostgreSQL (whose server the tests start
    # themselves), SHA-256 for the players' tokens; a real browser for its page, wrk for load
    libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libpqxx-dev libpq-dev libssl-dev
    postgresql chromium wrk
    # boards behind a real proxy: the repository's nginx configuration, started by the tests
    nginx
    # the game's side of the board: HTTP(S) through libcurl
    libcurl4-openssl-dev
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "deps: installing ${missing[*]}"
as_root=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "deps: need root or sudo to install ${missing[*]}"; exit 1; }
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
