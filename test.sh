#!/usr/bin/env bash
# Builds Pelmio and runs every test: the code style check, then the tests
# in the normal build, then again built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Warnings are errors here.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup/common.sh

pelmio_ensure_packages clang-format xclip
export QT_QPA_PLATFORM=offscreen

pelmio_check_format

pelmio_build dev -DPELMIO_WARNINGS_AS_ERRORS=ON
ctest --preset dev -j2

pelmio_build asan -DPELMIO_WARNINGS_AS_ERRORS=ON
ctest --preset asan -j2
