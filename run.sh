#!/usr/bin/env bash
# Installs what is missing, builds, writes the sample memory card and opens the player on it.
# Without a display it says so and lists the card on the command line instead.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=${TORVIX_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"

# The card is cached: it is rewritten only when the tool that writes it has changed.
cache="${XDG_CACHE_HOME:-$HOME/.cache}/torvix-player"
card="$cache/samplecard"
stamp="$cache/samplecard.stamp"
tool="$build/bin/torvix-samplecard"
want=$(sha256sum "$tool" | cut -d' ' -f1)
if [ ! -d "$card" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
    rm -rf "$card"
    mkdir -p "$cache"
    "$tool" "$card" --seed 1
    echo "$want" > "$stamp"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "== Opening the player on the sample card ($card)"
    exec "$build/bin/TorvixPlayer" "$card"
fi

echo "== No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the player window cannot open."
echo "   Run ./run.sh in a desktop session, or see the README for the headless and Xvfb runs."
echo "== Recordings on the sample card ($card)"
"$build/bin/torvix-track" scan "$card"
first=$(find "$card" -name '*_F_N.MP4' | sort | head -n 1)
echo "== GPX track of $(basename "$first")"
"$build/bin/torvix-track" track "$first" --format gpx
