#!/usr/bin/env bash
# Takes the README's screenshots of Pelmio as its launcher starts it, under
# Xvfb and the openbox window manager: the main window with results, the
# detail window beside it, and the settings dialog.
#   tools/screenshots/take.sh [--installed] [OUTPUT_FOLDER]   (default doc/screenshots)
# Builds the program if need be and runs it as the launcher would. With
# --installed, runs the installed Pelmio instead, with the Exec line of
# its installed launcher. Uses a scratch data folder, never the user's own.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/setup/common.sh

installed=
if [ "${1:-}" = --installed ]; then
    installed=$(grep -ls '^Exec=pelmio ' /usr/share/applications/*.desktop /usr/local/share/applications/*.desktop | head -1 || true)
    [ -n "$installed" ] || { echo "take.sh: no installed Pelmio launcher found" >&2; exit 1; }
    shift
fi
export PELMIO_LAUNCHER=$installed
pelmio_ensure_app_packages xvfb xauth x11-utils openbox xdotool imagemagick
[ -n "$installed" ] || pelmio_build app >/dev/null
out=$(realpath -m "${1:-doc/screenshots}")
mkdir -p "$out"
exec xvfb-run -a -s "-screen 0 1280x800x24" bash tools/screenshots/session.sh "$out"
