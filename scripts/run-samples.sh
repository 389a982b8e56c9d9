#!/usr/bin/env bash
# Installs what is missing, builds the native target, writes the bundled
# sample data set (samples/samples.jqd, through jqwrite) and dumps every
# sample file with the reference host, container-layout files in container
# mode:
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

# Files written in the container layout (a "container NAME" line in the
# description) are read in container mode: by a copy of jqtool, with the
# decoder beside it, in a folder that holds a Tolvo.ini.
container_files=$(sed -n 's/^container[[:space:]]\{1,\}\([^[:space:]]\{1,\}\).*/\1/p' samples/samples.jqd)
container_host=build/native/container-host
rm -rf "$dump" "$container_host"
mkdir -p "$dump" "$container_host"
cp "$jqtool" build/native/bin/libfeedcore.so "$container_host/"
: >"$container_host/Tolvo.ini"

status=0
count=0
for file in "$samples"/*; do
    [ -f "$file" ] || continue
    count=$((count + 1))
    host=$jqtool
    grep -qxF "$(basename "$file")" <<<"$container_files" && host=$container_host/jqtool
    "$host" dump "$file" "$dump" || status=1
done
echo "run-samples: $count sample files, $(find "$dump" -type f | wc -l) CSV files written into $dump"
[ "$status" -eq 0 ] || echo "run-samples: jqtool dump failed on at least one sample file" >&2
exit "$status"
