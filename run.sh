#!/usr/bin/env bash
# Builds the program only (no tests, no benchmarks) and starts it as its
# desktop launcher does: in the user's data folder, which it makes and
# fills with the bundled dictionary the first time.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup/common.sh

pelmio_ensure_app_packages
pelmio_build app

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "pelmio: no display to open a window on (DISPLAY is not set); start it from a desktop session or under xvfb-run." >&2
    exit 1
fi

# The build keeps a copy of the bundled dictionary in build/share/pelmio,
# laid out as an install is, where the program looks for it.
export XDG_DATA_DIRS="$PWD/build/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}"
exec build/pelmio --user-data "$@"
