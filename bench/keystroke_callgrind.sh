#!/usr/bin/env bash
# Instructions per keystroke in the real window: the program runs under
# callgrind on an X server of its own (Xvfb), xdotool types a fixed
# sequence, and each keystroke gets one dump (counters zeroed before the
# key, dumped once the program has gone idle again). Run once on the
# generated 100,000-line dictionary and once on empty files; the columns
# side by side show what the dictionary's size costs. Instruction counts
# repeat within about 1 %, where times on a shared machine do not.
# A dump also holds the cursor blinks that fell in it (one or two). The
# sequence, which ends with a text that lists nothing (so the window looks
# for near spellings), is typed twice from an empty box, in millions of
# instructions: the first round also renders glyphs the font cache has not
# seen yet, the second shows a window that has been in use for a while.
# Usage: bench/keystroke_callgrind.sh [build-dir]
# Set QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 to measure with accessibility on:
# the run then gets a session bus of its own, the accessibility bus and
# registry, and a stand-in screen reader that asks for every object, window
# and focus event, so that Qt has someone to send its events to. Set
# KEEP_DUMPS=folder to keep the dumps for callgrind_annotate.
set -euo pipefail

# label:xdotool key, typed in this order.
SEQUENCE='a:a
Backspace to empty:BackSpace
a from empty:a
"a ":space
"a e":e
"a ":BackSpace
"a":BackSpace
"" (empty):BackSpace
w:w
wa:a
wat:t
wate:e
water:r
"waterz" (no match):z
water:BackSpace
Left arrow:Left'

# The program's CPU ticks, user and system.
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# Waits until the program has used under two ticks in 0.4 s.
wait_idle() {
    local before after
    before=$(ticks "$1")
    while sleep 0.4; do
        after=$(ticks "$1")
        if ((after - before < 2)); then
            return
        fi
        before=$after
    done
}

# Asks the accessibility registry for the events a screen reader listens
# to, and holds the connection open until killed.
screen_reader_stand_in() {
    /usr/bin/python3 - <<'PY'
import time
import dbus
bus = dbus.SessionBus()
address = bus.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus")
registry = dbus.bus.BusConnection(address).get_object("org.a11y.atspi.Registry",
                                                      "/org/a11y/atspi/registry")
for event in ["object:", "window:", "focus:"]:
    registry.RegisterEvent(event, dbus.Array([], signature="s"), "",
                           dbus_interface="org.a11y.atspi.Registry")
time.sleep(86400)
PY
}

# Runs inside the X server: types the sequence, one dump per key, and
# prints "label<TAB>instructions" per key.
run_case() {
    local folder=$1 out=$2 pid window entry key n=0 reader=
    if [[ ${QT_LINUX_ACCESSIBILITY_ALWAYS_ON:-} == 1 ]]; then
        screen_reader_stand_in 2>/dev/null &
        reader=$!
        sleep 2
    fi
    (cd "$folder" && exec env HOME="$dir/home" XDG_DATA_HOME="$dir/home" \
        valgrind --tool=callgrind --callgrind-out-file="$out/cg.out" \
        "$build/pelmio" >"$out/log" 2>&1) &
    pid=$!
    window=$(xdotool search --sync --onlyvisible --name '^Pelmio$' | head -n 1)
    wait_idle "$pid"
    xdotool windowfocus --sync "$window"
    wait_idle "$pid"
    for _ in cold warm; do
        # Both rounds type the same texts: the box starts empty, untimed.
        xdotool key ctrl+a BackSpace
        wait_idle "$pid"
        while IFS= read -r entry; do
            key=${entry##*:}
            callgrind_control -z "$pid" >/dev/null 2>&1
            xdotool key "$key"
            wait_idle "$pid"
            callgrind_control -d "key$n" "$pid" >/dev/null 2>&1
            n=$((n + 1))
        done <<<"$SEQUENCE"
    done
    xdotool key Escape
    wait "$pid" || true
    if [[ -n $reader ]]; then
        kill "$reader" 2>/dev/null || true
    fi
    # Dumps are numbered from 1 in the order they were asked for.
    local keys
    keys=$(wc -l <<<"$SEQUENCE")
    n=0
    while IFS= read -r entry; do
        n=$((n + 1))
        printf '%s\t%s\t%s\n' "${entry%:*}" "$(awk '/^summary:/ {print $2}' "$out/cg.out.$n")" \
            "$(awk '/^summary:/ {print $2}' "$out/cg.out.$((n + keys))")"
    done <<<"$SEQUENCE"
}
# The script again, inside the X server: xvfb-run's shell passes no
# functions on.
if [[ ${1:-} == --inside ]]; then
    build=$2 dir=$3
    run_case "$4" "$5" >"$6"
    exit
fi

build=$(cd "${1:-build}" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/full" "$dir/empty" "$dir/home"
"$build/bench/pelmio_bench" --write-dictionary "$dir/full"
: >"$dir/empty/settei_jyukugo.txt"
: >"$dir/empty/settei_tango.txt"

session=()
if [[ ${QT_LINUX_ACCESSIBILITY_ALWAYS_ON:-} == 1 ]]; then
    command -v dbus-run-session >/dev/null && [[ -x /usr/libexec/at-spi-bus-launcher ]] || {
        echo "keystroke_callgrind: accessibility needs dbus-run-session and at-spi2-core" >&2
        exit 1
    }
    session=(dbus-run-session --)
fi
for case in full empty; do
    mkdir -p "$dir/out-$case"
    # The result goes to a file: the registry writes to the session's output.
    "${session[@]}" xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$0" --inside "$build" "$dir" "$dir/$case" "$dir/out-$case" "$dir/result-$case" \
        >/dev/null 2> >(grep -v -e 'dbus-daemon' -e 'SpiRegistry' >&2)
done

if [[ -n ${KEEP_DUMPS:-} ]]; then
    mkdir -p "$KEEP_DUMPS"
    cp -r "$dir/out-full" "$dir/out-empty" "$KEEP_DUMPS"
fi

printf '%-20s %28s %28s\n' "keystroke" "100,000 lines" "empty files"
printf '%-20s %14s %13s %14s %13s\n' "(box after it)" "first round" "second" "first round" "second"
paste "$dir/result-full" "$dir/result-empty" |
    awk -F'\t' '{printf "%-20s %14.2f %13.2f %14.2f %13.2f\n", $1, $2 / 1e6, $3 / 1e6, $5 / 1e6, $6 / 1e6}'
