#!/usr/bin/env bash
# Installs the Debian packages that the build and the suites need, skipping
# those already present (nothing is fetched when all are there).
#
#   scripts/install-deps.sh [native] [win32]      (no argument: both)
#
# native: compilers (g++, clang with its sanitizer and libFuzzer runtimes),
#         CMake, Ninja, GoogleTest sources, Google Benchmark, OpenSSL, zlib.
# win32:  the MinGW-w64 i686 cross compilers and zlib, Wine (32-bit).
# Runs as root (CI and the documented set-up are root); otherwise uses sudo.
set -euo pipefail

native_packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    googletest libgtest-dev libbenchmark-dev libssl-dev zlib1g-dev
)
win32_packages=(
    gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 libz-mingw-w64-dev
    wine wine32:i386
)

groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(native win32)
wanted=()
need_i386=no
for group in "${groups[@]}"; do
    case "$group" in
        native) wanted+=("${native_packages[@]}") ;;
        win32) wanted+=("${win32_packages[@]}") need_i386=yes ;;
        *) echo "install-deps: unknown group '$group' (native, win32)" >&2; exit 2 ;;
    esac
done

installed() {
    [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" = "ii " ]
}

missing=()
for package in "${wanted[@]}"; do
    installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#wanted[@]} packages present"
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: need root to install ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
started=$(date +%s)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run() {
    if ! "${as_root[@]}" "$@" >>"$log" 2>&1 </dev/null; then
        echo "install-deps: '$*' failed:" >&2
        tail -n 40 "$log" >&2
        exit 1
    fi
}
if [ "$need_i386" = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    run dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt_options=(-o DPkg::Lock::Timeout=600 -o Dpkg::Use-Pty=0 -qq)
run apt-get "${apt_options[@]}" update
run apt-get "${apt_options[@]}" install -y --no-install-recommends "${missing[@]}"
echo "install-deps: done in $(($(date +%s) - started)) s"
