#!/usr/bin/env bash
# Screenshots of the player window playing the sample card's first front/rear pair, one per
# interface language, on an X server of its own (the README shows them).
#   scripts/player-screenshots.sh [OUT_DIR] [CARD]     (after ./run.sh or ./test.sh has built)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
card=${2:-${XDG_CACHE_HOME:-$HOME/.cache}/torvix-player/samplecard}
bin=${TORVIX_BUILD_DIR:-build}/bin
[ -d "$card" ] || { echo "no sample card at $card (run ./run.sh once)" >&2; exit 1; }
mkdir -p "$out"
# The list row of the first two-channel entry (rows are 20 pixels from y 452).
row=$("$bin/torvix-track" scan "$card" --lang en | awk -F'\t' '$3 == "2CH" { print NR - 1; exit }')

shoot() {
    local lang=$1 id=$2 home
    home=$(mktemp -d)
    mkdir -p "$home/config/Quenlar/Torvix Player 2.0 4K" "$home/run" "$home/state"
    chmod 700 "$home/run"
    printf '[ID]\ntype=dword\ndata=%s\n' "$id" > "$home/config/Quenlar/Torvix Player 2.0 4K/Language.conf"
    printf '[VideoVolume]\ntype=dword\ndata=60\n' > "$home/config/Quenlar/Stravon Player.conf"
    # The map's reachability probe asks a server on this machine; tiles stay off (no network).
    mkdir -p "$home/config/Quenlar/Stravon Player/Services"
    printf '[ReachabilityProbe]\ntype=sz\ndata=http://127.0.0.1:%s/\n' "$port" \
        > "$home/config/Quenlar/Stravon Player/Services/Services.conf"
    printf '[Tiles]\ntype=sz\ndata=off\n' > "$home/config/Quenlar/Stravon Player/Services/Map.conf"
    HOME_DIR=$home LANG_NAME=$lang ROW=$row CARD=$card BIN=$bin OUT=$out \
    xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" bash -c '
        export XDG_CONFIG_HOME=$HOME_DIR/config XDG_RUNTIME_DIR=$HOME_DIR/run XDG_STATE_HOME=$HOME_DIR/state
        export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory TORVIX_VLC_ARGS=--aout=adummy
        "$BIN/TorvixPlayer" "$CARD" >/dev/null 2>&1 &
        pid=$!
        sleep 3
        xdotool mousemove 1100 $((452 + ROW * 20 + 10)) click --repeat 2 --delay 80 1
        sleep 6
        import -window root "$OUT/player-$LANG_NAME.png"
        kill $pid; wait $pid 2>/dev/null || true'
    rm -rf "$home"
    echo "$out/player-$lang.png"
}

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$(mktemp -d)" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT
sleep 0.5

shoot ko 1042
shoot en 1033
shoot ja 1041
