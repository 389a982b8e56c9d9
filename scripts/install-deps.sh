#!/usr/bin/env bash
# Installs the Debian packages that the build and the suites need, skipping
# those already present (nothing is fetched when all are there).
#
#   scripts/install-deps.sh [native] [win32] [win64]     (no argument: all three)
#
# native: compilers (g++, clang with its sanitizer and libFuzzer runtimes),
#         CMake, Ninja, GoogleTest sources, Google Benchmark, OpenSSL, zlib.
# win32:  the MinGW-w64 i686 cross compilers and zlib, Wine with its 32-bit
#         loader (wine32:i386, which needs the i386 architecture).
# win64:  the MinGW-w64 x86_64 cross compilers and zlib, Wine with wine64.
#
# Mirrors are sometimes caught mid-sync: then one index of the package lists
# fails to download and the packages of that architecture or suite no longer
# match the others. So a failed list update is retried, and an install goes on
# with the lists it has; a failed install is retried with the stable suite as
# the default release, and then package by package to name the ones that
# cannot be had. wine32:i386 is wanted but optional: without it the 32-bit
# Windows suite cannot run, which its stage reports. Exit status 1 when any
# other package is missing at the end.
#
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
win64_packages=(
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    libz-mingw-w64-dev wine wine64
)
optional_packages=(wine32:i386)

groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(native win32 win64)
wanted=()
for group in "${groups[@]}"; do
    case "$group" in
        native) wanted+=("${native_packages[@]}") ;;
        win32) wanted+=("${win32_packages[@]}") ;;
        win64) wanted+=("${win64_packages[@]}") ;;
        *) echo "install-deps: unknown group '$group' (native, win32, win64)" >&2; exit 2 ;;
    esac
done

installed() {
    [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" = "ii " ]
}

missing_of() {
    local package
    for package in "$@"; do
        installed "$package" || echo "$package"
    done | sort -u
}

mapfile -t missing < <(missing_of "${wanted[@]}")
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all $(printf '%s\n' "${wanted[@]}" | sort -u | wc -l) packages present"
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
# Runs a command as root with its output in the log; its status is returned.
quietly() {
    echo "+ $*" >>"$log"
    "${as_root[@]}" "$@" >>"$log" 2>&1 </dev/null
}
show_log_tail() {
    tail -n 25 "$log" | sed 's/^/    /' >&2
}

if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    if ! quietly dpkg --add-architecture i386; then
        echo "install-deps: cannot add the i386 architecture; going on without the i386 packages" >&2
        mapfile -t missing < <(printf '%s\n' "${missing[@]}" | grep -v ':i386$')
    fi
fi

export DEBIAN_FRONTEND=noninteractive
apt_options=(-o DPkg::Lock::Timeout=600 -o Dpkg::Use-Pty=0 -qq)

updated=no
for attempt in 1 2 3; do
    if quietly apt-get "${apt_options[@]}" update; then
        updated=yes
        break
    fi
    [ "$attempt" -lt 3 ] && sleep $((attempt * 15))
done
if [ "$updated" = no ]; then
    echo "install-deps: 'apt-get update' failed three times; going on with the lists it got:" >&2
    grep -E '^(E|W|Err):' "$log" | sort -u | tail -n 8 | sed 's/^/    /' >&2
fi

install() { quietly apt-get "${apt_options[@]}" install -y --no-install-recommends "$@"; }

# The stable suite by its code name (bookworm): packages from it match each
# other on every architecture even when an update suite's index is missing.
stable=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
stable_release=()
[ -n "$stable" ] && stable_release=(-t "$stable")

if ! install "${missing[@]}"; then
    echo "install-deps: the install failed; trying again with ${stable:-the stable suite} as the default release" >&2
    if ! install "${stable_release[@]}" "${missing[@]}"; then
        echo "install-deps: that failed too; installing package by package" >&2
        for package in "${missing[@]}"; do
            install "${stable_release[@]}" "$package" || install "$package" || true
        done
    fi
fi

mapfile -t still_missing < <(missing_of "${missing[@]}")
required_missing=()
for package in "${still_missing[@]}"; do
    if printf '%s\n' "${optional_packages[@]}" | grep -qxF "$package"; then
        echo "install-deps: could not install $package; the 32-bit Windows suite will not run here" >&2
    else
        required_missing+=("$package")
    fi
done
if [ ${#required_missing[@]} -gt 0 ]; then
    echo "install-deps: could not install: ${required_missing[*]}; the end of apt's output:" >&2
    show_log_tail
    exit 1
fi
echo "install-deps: done in $(($(date +%s) - started)) s"
