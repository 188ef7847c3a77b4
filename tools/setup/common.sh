# Shared by run.sh, test.sh and the tools' scripts: installs what is needed
# from Debian's packages and builds a preset. Source it; do not run it.

# What building and running the program needs.
PELMIO_APP_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools
    qt6-speech-dev qt6-declarative-dev qt6-speech-flite-plugin
    fonts-ipafont-gothic
    python3
)
# What the tests and benchmarks need besides: GoogleTest, Google Benchmark,
# the checkers of the launcher and the AppStream metainfo, and a virtual
# display with a window manager for the windows' placement, and xclip to
# select text there as another program would.
PELMIO_TEST_PACKAGES=(
    libgtest-dev libgmock-dev libbenchmark-dev
    desktop-file-utils appstream
    xvfb xauth x11-utils openbox xclip
)

pelmio_missing_packages() {
    local package missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    echo "${missing[@]}"
}

# Installs every missing package named, as root or through sudo; otherwise
# says which command is needed and fails.
pelmio_install_packages() {
    if ! command -v dpkg-query >/dev/null 2>&1; then
        echo "pelmio: this script installs its tools with Debian's apt-get; on another system install" >&2
        echo "pelmio: a C++20 compiler, CMake, Ninja, Qt 6 (Widgets) and Python 3, and for the tests" >&2
        echo "pelmio: GoogleTest, Google Benchmark, desktop-file-validate and appstreamcli." >&2
        return 1
    fi
    local missing
    missing=$(pelmio_missing_packages "$@")
    [ -z "$missing" ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            sudo=(sudo)
        else
            echo "pelmio: missing packages: $missing" >&2
            echo "pelmio: install them as root with:  apt-get update && apt-get install -y $missing" >&2
            return 1
        fi
    fi
    echo "pelmio: installing $missing"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing >/dev/null
}

# Everything, for building and testing (extra names may be given).
pelmio_ensure_packages() {
    pelmio_install_packages "${PELMIO_APP_PACKAGES[@]}" "${PELMIO_TEST_PACKAGES[@]}" "$@"
}

# Only what the program needs (extra names may be given).
pelmio_ensure_app_packages() {
    pelmio_install_packages "${PELMIO_APP_PACKAGES[@]}" "$@"
}

# Configures and builds one preset from CMakePresets.json; further
# arguments go to the configure step.
pelmio_build() {
    local preset=$1
    shift
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset"
}

# Fails when Debian's pyflakes3 finds a fault (an unused or undefined
# name, an import that hides another) in a Python file: the dictionary
# builder and the other tools.
pelmio_check_python() {
    local files
    mapfile -t files < <(git ls-files '*.py' 2>/dev/null || true)
    if [ "${#files[@]}" -eq 0 ]; then
        mapfile -t files < <(find tools -name '*.py' -print)
    fi
    if ! pyflakes3 "${files[@]}"; then
        echo "pelmio: pyflakes3 found the faults above in the Python tools" >&2
        return 1
    fi
    echo "pelmio: ${#files[@]} Python files pass pyflakes3"
}

# Fails, naming the files, when a C++ file differs from .clang-format.
pelmio_check_format() {
    local files unformatted=()
    mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || true)
    if [ "${#files[@]}" -eq 0 ]; then
        mapfile -t files < <(find . -path ./build -prune -o -path './build-*' -prune -o \
                                  \( -name '*.cpp' -o -name '*.h' \) -print)
    fi
    local file
    for file in "${files[@]}"; do
        if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
            unformatted+=("$file")
        fi
    done
    if [ "${#unformatted[@]}" -ne 0 ]; then
        echo "pelmio: these files differ from .clang-format (fix with clang-format -i):" >&2
        printf '  %s\n' "${unformatted[@]}" >&2
        return 1
    fi
    echo "pelmio: ${#files[@]} C++ files follow .clang-format"
}
