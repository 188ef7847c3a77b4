#!/usr/bin/env bash
# Screenshots of the result list for comparing two builds pixel by pixel:
# the program runs on the generated 100,000-line dictionary under Xvfb
# with openbox, types each keyword of a fixed list, selects a row, and the
# whole screen is saved after each, at QT_SCALE_FACTOR 1 and 2.
# Usage: bench/list_screenshots.sh program out-folder [build-dir]
#   then, for two such folders:  compare -metric AE a/x.png b/x.png diff.png
set -euo pipefail

# label:keys typed (xdotool key names), in this order.
STEPS='empty:
a:a
a-e:space e
water:BackSpace BackSpace BackSpace w a t e r
water-selected:Tab Down Down
long-tokens:shift+Tab ctrl+a t i o n space o f'

# Runs inside the X server.
shoot() {
    local program=$1 dict=$2 out=$3 scale=$4 pid window entry label keys
    openbox >/dev/null 2>&1 &
    local wm=$!
    sleep 1
    (cd "$dict" && exec env HOME="$out/home-$scale" XDG_DATA_HOME="$out/home-$scale" \
        QT_SCALE_FACTOR="$scale" "$program" >/dev/null 2>&1) &
    pid=$!
    window=$(xdotool search --sync --onlyvisible --name '^Pelmio$' | head -n 1)
    xdotool windowfocus --sync "$window"
    sleep 1
    while IFS= read -r entry; do
        label=${entry%%:*}
        keys=${entry#*:}
        for key in $keys; do
            xdotool key "$key"
        done
        # The text cursor blinks, so the keyword box may differ between
        # two runs; the list may not.
        sleep 1.5
        import -window root "$out/$label-x$scale.png"
    done <<<"$STEPS"
    kill "$pid" "$wm" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

if [[ ${1:-} == --inside ]]; then
    shift
    shoot "$@"
    exit
fi

program=$(realpath "$1")
out=$(mkdir -p "$2" && cd "$2" && pwd)
build=${3:-build}
dict=$(mktemp -d)
trap 'rm -rf "$dict"' EXIT
"$build/bench/pelmio_bench" --write-dictionary "$dict"
for scale in 1 2; do
    xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside "$program" "$dict" "$out" "$scale"
done
ls "$out"/*.png
