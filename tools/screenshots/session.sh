#!/usr/bin/env bash
# The X session of take.sh: runs inside xvfb-run. Argument: output folder.
set -euo pipefail
out=$1
scratch=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$scratch"
}
trap cleanup EXIT

# Waits until a visible window has exactly this title; prints its id.
wait_for_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
        if [ -n "$id" ]; then
            sleep 0.5  # let it paint
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "take.sh: no window \"$1\" appeared" >&2
    return 1
}

# Prints "x y width height" of a window with the frame openbox draws
# around it (_NET_FRAME_EXTENTS: left, right, top, bottom).
frame_of() {
    local x y w h left right top bottom
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4}
        /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
    read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    echo $((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))
}

# Saves the screen area that holds every window given, with their frames.
shoot() {
    local file=$1 x0=100000 y0=100000 x1=0 y1=0 x y w h id
    shift
    for id in "$@"; do
        read -r x y w h < <(frame_of "$id")
        x0=$((x < x0 ? x : x0)); y0=$((y < y0 ? y : y0))
        x1=$((x + w > x1 ? x + w : x1)); y1=$((y + h > y1 ? y + h : y1))
    done
    import -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage "$out/$file"
    echo "$out/$file"
}

openbox >"$scratch/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# As the launcher starts it (Exec=pelmio --user-data): the installed one,
# or the build's, with the build's copy of the bundled dictionary standing
# in for an install.
if [ -n "${PELMIO_LAUNCHER:-}" ]; then
    command=$(sed -n 's/^Exec=//p' "$PELMIO_LAUNCHER" | head -1)
    # shellcheck disable=SC2086
    (cd "$scratch" && XDG_DATA_HOME="$scratch/data" exec $command) >"$scratch/pelmio.log" 2>&1 &
else
    (cd "$scratch" && XDG_DATA_HOME="$scratch/data" XDG_DATA_DIRS="$OLDPWD/build/share" \
        exec "$OLDPWD/build/pelmio" --user-data) >"$scratch/pelmio.log" 2>&1 &
fi
pids+=($!)
main=$(wait_for_window Pelmio)

# Results for "take".
xdotool windowactivate --sync "$main"
xdotool type --delay 60 "take"
sleep 0.5
shoot main.png "$main"

# The detail window, beside the main window: double-click the third row.
xdotool mousemove --window "$main" 60 118 click --repeat 2 --delay 80 1
detail=$(wait_for_window "詳細情報")
shoot detail.png "$main" "$detail"

# The settings dialog, from its button.
xdotool windowactivate --sync "$main"
xdotool mousemove --window "$main" 109 362 click 1
settings=$(wait_for_window "設定")
shoot settings.png "$main" "$settings"
