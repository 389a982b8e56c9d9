#!/usr/bin/env bash
# Installs what is missing, builds the native target, writes the bundled
# sample data set (samples/samples.jqd, through jqwrite) and dumps every
# sample file with the reference host:
#
#   build/native/samples       the sample JQ files
#   build/native/sample-dump   jqtool's CSV dumps of them
#
#   scripts/run-samples.sh
#
# Environment: JQ_SKIP_INSTALL=1 to skip the package check.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "${JQ_SKIP_INSTALL:-0}" != 1 ]; then
    scripts/install-deps.sh native
fi

mkdir -p build
if ! cmake --preset native >build/native.configure.log 2>&1; then
    cat build/native.configure.log
    exit 1
fi
if ! ninja -C build/native -t query jqtool >/dev/null 2>&1; then
    echo "run-samples: the build has no jqtool target yet (tools/jqtool), so there is nothing to dump with" >&2
    exit 1
fi
cmake --build --preset native -j "$(nproc)" --target samples jqtool

jqtool=build/native/bin/jqtool
samples=build/native/samples
dump=build/native/sample-dump
if [ ! -x "$jqtool" ]; then
    echo "run-samples: $jqtool was not built" >&2
    exit 1
fi
if [ -z "$(find "$samples" -maxdepth 1 -type f 2>/dev/null)" ]; then
    echo "run-samples: no sample files in $samples" >&2
    exit 1
fi

rm -rf "$dump"
mkdir -p "$dump"
status=0
"$jqtool" dump "$samples" "$dump" || status=$?
echo "run-samples: $(find "$samples" -maxdepth 1 -type f | wc -l) sample files, $(find "$dump" -type f | wc -l) files dumped into $dump"
if [ "$status" -ne 0 ]; then
    echo "run-samples: jqtool dump exited with $status" >&2
fi
exit "$status"
