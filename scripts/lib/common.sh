# Shared by the scripts: where the project is, and installing what is missing.
# shellcheck shell=bash

KORVALT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

say() { printf '==> %s\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        die "need root (or sudo) to run: $*"
    fi
}

APT_UPDATED=0

# ensure_packages PKG...: installs the Debian packages that are not installed yet.
ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ "${#missing[@]}" -eq 0 ] && return 0
    command -v apt-get >/dev/null 2>&1 || die "apt-get not found; install by hand: ${missing[*]}"
    say "installing: ${missing[*]}"
    if [ "$APT_UPDATED" -eq 0 ]; then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq ||
            die "apt-get update failed"
        APT_UPDATED=1
    fi
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null || die "could not install: ${missing[*]}"
}

NATIVE_BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev)
# Google Benchmark for bench/, which scripts/test builds but does not run.
BENCH_PACKAGES=(libbenchmark-dev)
FUZZ_BUILD_PACKAGES=(cmake ninja-build clang libclang-rt-14-dev)

# build_preset NAME [TARGET...]: configures and builds one preset.
build_preset() {
    local preset="$1"
    shift
    say "building preset $preset"
    (cd "$KORVALT_ROOT" && cmake --preset "$preset" >/dev/null) || die "configure failed: $preset"
    if [ "$#" -gt 0 ]; then
        (cd "$KORVALT_ROOT" && cmake --build --preset "$preset" --target "$@") ||
            die "build failed: $preset"
    else
        (cd "$KORVALT_ROOT" && cmake --build --preset "$preset") || die "build failed: $preset"
    fi
}

# test_preset NAME: runs the preset's tests.
test_preset() {
    say "testing preset $1"
    (cd "$KORVALT_ROOT" && ctest --preset "$1") || die "tests failed: $1"
}
