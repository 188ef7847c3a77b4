#!/usr/bin/env bash
# Builds Pelmio and runs every test: once in the normal build, then again
# built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup/common.sh

pelmio_ensure_packages
export QT_QPA_PLATFORM=offscreen

pelmio_build dev
ctest --preset dev -j2

pelmio_build asan
ctest --preset asan -j2
