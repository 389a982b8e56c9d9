#!/usr/bin/env bash
# Runs the Windows test suite of a cross build (win32 or win64) under Wine.
#
#   cmake/run-windows-suite.sh BUILD_DIR [CTEST_ARGUMENTS...]
#
# The architecture comes from the build tree's cache (JQ_WINE_ARCH). A 32-bit
# suite runs only where the machine executes 32-bit x86 programs natively
# (cmake/can-run-i386.sh; JQ_WIN32_SUITE=run skips that probe): elsewhere the
# runner says why in one line and exits with 77, having run nothing.
#
# The suite uses the build tree's own Wine prefix (BUILD_DIR/.wineprefix, made
# on first use) and one persistent wineserver for the whole run, so that
# starting a program costs milliseconds. The server is stopped afterwards; the
# exit status is ctest's.
#
# Wine's helper processes (services.exe, winedevice.exe, plugplay.exe, ...)
# are started by the first program that runs under a new server and inherit
# its open files. Were that program a test, they would hold ctest's output
# pipe open and ctest would wait for them until the test's timeout. So the
# server and its helpers are started here, before ctest, with their standard
# streams on /dev/null.
set -euo pipefail

script_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ $# -lt 1 ] || [ ! -f "$1/CTestTestfile.cmake" ]; then
    echo "run-windows-suite: no CTest tree in '${1:-}' (configure and build the win32 or win64 preset first)" >&2
    exit 2
fi
build_dir=$(cd "$1" && pwd)
shift
arch=$(sed -n 's/^JQ_WINE_ARCH:INTERNAL=//p' "$build_dir/CMakeCache.txt")
[ -n "$arch" ] || { echo "run-windows-suite: $build_dir is not a Windows build" >&2; exit 2; }

if [ "$arch" = win32 ] && [ "${JQ_WIN32_SUITE:-auto}" != run ]; then
    if ! reason=$("$script_dir/can-run-i386.sh"); then
        echo "run-windows-suite: NOT RUN: the 32-bit Windows suite, because $reason"
        exit 77
    fi
fi

# shellcheck source=wine-env.sh
source "$script_dir/wine-env.sh"
jq_wine_setup "$arch"
export WINEPREFIX="$build_dir/.wineprefix"
# Console programs only: never open a window on the caller's display.
unset DISPLAY WAYLAND_DISPLAY

for tool in "$jq_wine" wineserver ctest; do
    command -v "$tool" >/dev/null || { echo "run-windows-suite: $tool not found" >&2; exit 2; }
done

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "run-windows-suite: creating the $arch Wine prefix $WINEPREFIX"
    started=$(date +%s)
    if ! timeout 600 "$jq_wine" wineboot.exe -i </dev/null >"$build_dir/wineboot.log" 2>&1; then
        echo "run-windows-suite: wineboot failed; its output:" >&2
        cat "$build_dir/wineboot.log" >&2
        exit 2
    fi
    timeout 60 wineserver -w || true
    echo "run-windows-suite: prefix ready in $(($(date +%s) - started)) s"
fi

stop_server() {
    wineserver -k >/dev/null 2>&1 || true
    timeout 60 wineserver -w >/dev/null 2>&1 || true
}
trap stop_server EXIT

# The persistent server, then one program to bring up the helper processes
# (and to update the prefix if the installed Wine is newer than the prefix).
wineserver -p </dev/null >/dev/null 2>&1
if ! timeout 300 "$jq_wine" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1; then
    echo "run-windows-suite: Wine cannot start a program in $WINEPREFIX" >&2
    exit 2
fi

status=0
ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j "$(nproc)" "$@" || status=$?
exit "$status"
