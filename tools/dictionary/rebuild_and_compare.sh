#!/bin/sh
# Rebuild the dictionary into a temporary folder and compare it byte for
# byte with the committed data/.  Needs the network (Debian and npm) on the
# first run; later runs use the cache.  Extra arguments go to build.py
# (for example --cache DIR).  Exits non-zero when anything differs.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
data="$here/../../data"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 "$here/build.py" --out "$tmp" "$@"
status=0
for f in $(cd "$here" && python3 -B -c "import constants; print(*constants.FILES)"); do
    if cmp -s "$tmp/$f" "$data/$f"; then
        echo "same: $f"
    else
        echo "DIFFERENT: $f"
        status=1
    fi
done
exit $status
