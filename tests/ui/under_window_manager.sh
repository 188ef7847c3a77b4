#!/usr/bin/env bash
# Runs a Qt Test program on a virtual X display under the openbox window
# manager: tests/ui/under_window_manager.sh PROGRAM. Exits with 77 (the
# test is skipped) where Xvfb, openbox or xprop is not installed.
set -u
for tool in xvfb-run openbox xprop; do
    command -v "$tool" >/dev/null 2>&1 || { echo "no $tool: skipped"; exit 77; }
done
exec xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    openbox >/dev/null 2>&1 &
    manager=$!
    # Windows shown before the manager runs are never framed.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
    QT_QPA_PLATFORM=xcb "$0"
    status=$?
    kill "$manager"
    exit "$status"' "$1"
