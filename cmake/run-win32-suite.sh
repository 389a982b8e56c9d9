#!/usr/bin/env bash
# Runs the Windows test suite of a cross build under Wine.
#
#   cmake/run-win32-suite.sh [BUILD_DIR] [CTEST_ARGUMENTS...]
#
# BUILD_DIR defaults to build/win32 of this source tree. The suite uses the
# build tree's own Wine prefix (BUILD_DIR/.wineprefix, made on first use) and
# one persistent wineserver for the whole run, so that starting a program
# costs milliseconds. The server is stopped afterwards; the exit status is
# ctest's.
#
# Wine's helper processes (services.exe, winedevice.exe, plugplay.exe, ...)
# are started by the first program that runs under a new server and inherit
# its open files. Were that program a test, they would hold ctest's output
# pipe open and ctest would wait for them until the test's timeout. So the
# server and its helpers are started here, before ctest, with their standard
# streams on /dev/null.
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-$source_dir/build/win32}
[ $# -gt 0 ] && shift
if [ ! -f "$build_dir/CTestTestfile.cmake" ]; then
    echo "run-win32-suite: no CTest tree in $build_dir (configure and build the win32 preset first)" >&2
    exit 2
fi
build_dir=$(cd "$build_dir" && pwd)

export WINEPREFIX="$build_dir/.wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko download prompts, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Console programs only: never open a window on the caller's display.
unset DISPLAY WAYLAND_DISPLAY

for tool in wine wineboot wineserver ctest; do
    command -v "$tool" >/dev/null || { echo "run-win32-suite: $tool not found" >&2; exit 2; }
done

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "run-win32-suite: creating the Wine prefix $WINEPREFIX"
    started=$(date +%s)
    if ! timeout 600 wineboot -i </dev/null >"$build_dir/wineboot.log" 2>&1; then
        echo "run-win32-suite: wineboot failed; its output:" >&2
        cat "$build_dir/wineboot.log" >&2
        exit 2
    fi
    timeout 60 wineserver -w || true
    echo "run-win32-suite: prefix ready in $(($(date +%s) - started)) s"
fi

stop_server() {
    wineserver -k >/dev/null 2>&1 || true
    timeout 60 wineserver -w >/dev/null 2>&1 || true
}
trap stop_server EXIT

# The persistent server, then one program to bring up the helper processes
# (and to update the prefix if the installed Wine is newer than the prefix).
wineserver -p </dev/null >/dev/null 2>&1
if ! timeout 300 wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1; then
    echo "run-win32-suite: Wine cannot start a program in $WINEPREFIX" >&2
    exit 2
fi

status=0
ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j "$(nproc)" "$@" || status=$?
exit "$status"
