#!/usr/bin/env bash
# Takes the README's screenshots of Pelmio as its launcher starts it, under
# Xvfb and the openbox window manager: the main window with results, the
# detail window beside it, and the settings dialog.
#   tools/screenshots/take.sh [OUTPUT_FOLDER]     (default doc/screenshots)
# Builds the program if need be. Uses a scratch data folder, never the
# user's own.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/setup/common.sh

pelmio_ensure_app_packages xvfb xauth x11-utils openbox xdotool imagemagick
pelmio_build app >/dev/null
out=$(realpath -m "${1:-doc/screenshots}")
mkdir -p "$out"
exec xvfb-run -a -s "-screen 0 1280x800x24" bash tools/screenshots/session.sh "$out"
