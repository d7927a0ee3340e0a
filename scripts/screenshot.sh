#!/usr/bin/env bash
# Starts Kernwick on a virtual X server with a demo font and saves the window as
# docs/screenshot.png. Builds the Release tree first if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
for tool in Xvfb import xdotool; do
    command -v "$tool" >/dev/null || {
        sudo=(); [ "$(id -u)" -eq 0 ] || sudo=(sudo)
        "${sudo[@]}" apt-get install -y -qq --no-install-recommends xvfb imagemagick xdotool
        break
    }
done
# KERNWICK_BIN names a folder with kernwick and kernwick-cli already built.
bin=${KERNWICK_BIN:-}
if [ -z "$bin" ]; then
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKERNWICK_BUILD_TESTS=OFF >/dev/null
    cmake --build build/release --target kernwick kernwick-cli >/dev/null
    bin=build/release/bin
fi

work=$(mktemp -d)
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

# A demo font: the capitals of X's 10x20 font in 2 bits per pixel, outlined.
gzip -dc /usr/share/fonts/X11/misc/10x20-ISO8859-1.pcf.gz > "$work/10x20.pcf"
pcf2bdf -o "$work/10x20.bdf" "$work/10x20.pcf"
"$bin/kernwick-cli" import-bdf "$work/10x20.bdf" -o "$work/plain.zvf" --first-encoding 65 \
    --count 58 --name demo >/dev/null
"$bin/kernwick-cli" transform "$work/plain.zvf" -o "$work/demo.zvf" to-2bpp outline >/dev/null

display=:97
Xvfb "$display" -screen 0 780x550x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdotool -display "$display" getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# Settings of its own, so the window opens as on a first run, not as the user left it.
DISPLAY=$display XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work QT_QPA_PLATFORM=xcb \
    ASAN_OPTIONS=detect_leaks=0 "$bin/kernwick" "$work/demo.zvf" &
app=$!
DISPLAY=$display xdotool search --sync --name "demo.zvf" >/dev/null
sleep 1
mkdir -p docs
DISPLAY=$display import -window root docs/screenshot.png
echo "saved docs/screenshot.png"
