#!/usr/bin/env bash
# Builds Pelmio and starts it in its data folder, seeded with the bundled
# dictionary.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup/common.sh

pelmio_ensure_packages
pelmio_build dev

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "pelmio: no display to open a window on (DISPLAY is not set); start it from a desktop session or under xvfb-run." >&2
    exit 1
fi

home=${PELMIO_HOME:-$HOME/.local/share/pelmio}
mkdir -p "$home"
for file in settei_jyukugo.txt settei_tango.txt; do
    # Never overwrite the user's own dictionary.
    if [ ! -e "$home/$file" ]; then
        cp "data/$file" "$home/$file"
    fi
done
program=$PWD/build/pelmio
cd "$home"
exec "$program"
