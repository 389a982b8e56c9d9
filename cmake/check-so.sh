#!/usr/bin/env bash
# Checks the binary interface of a Linux shared object: its defined dynamic
# symbols are exactly the given names, all functions with C linkage (no C++
# names, no template instances or other symbols leaking out).
#
#   check-so.sh <nm> <library.so> <Name[@ordinal]>...
#
# An "@ordinal" suffix is accepted, so the Windows export list can be passed
# as it is, and ignored.
set -euo pipefail

if [ $# -lt 3 ]; then
    echo "usage: $0 <nm> <library.so> <Name[@ordinal]>..." >&2
    exit 2
fi
nm=$1
so=$2
shift 2

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

symbols=$("$nm" -D --defined-only "$so")
expected=$(printf '%s\n' "$@" | sed 's/@[0-9]*$//' | sort)
actual=$(awk 'NF >= 2 { print $NF }' <<<"$symbols" | sort)
if [ "$actual" != "$expected" ]; then
    fail "dynamic symbols differ from the expected list (< expected, > built):"
    diff <(echo "$expected") <(echo "$actual") | grep '^[<>]' | c++filt || true
fi
# The expected ones must be functions in the text section.
while read -r _ type name; do
    if grep -qxF "$name" <<<"$expected" && [ "$type" != "T" ]; then
        fail "$name has symbol type $type, not a function (T)"
    fi
done <<<"$symbols"

if [ "$failures" -ne 0 ]; then
    echo "$so: $failures check(s) failed"
    exit 1
fi
echo "$so: exactly $# functions with C linkage exported"
