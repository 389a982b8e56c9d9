#!/usr/bin/env bash
# Checks the binary interface of a Windows DLL built by the cross compiler:
#   - it is a PE32 image for i386;
#   - it exports exactly the given names, undecorated, each at its ordinal;
#   - it imports only Windows system DLLs (the C++ runtime, libgcc, winpthread
#     and zlib are linked in, so their DLLs must not appear).
#
#   check-dll.sh <objdump> <dll> <Name@ordinal>...
#
# <objdump> is the cross binutils' objdump (i686-w64-mingw32-objdump).
set -euo pipefail

if [ $# -lt 3 ]; then
    echo "usage: $0 <objdump> <dll> <Name@ordinal>..." >&2
    exit 2
fi
objdump=$1
dll=$2
shift 2

# DLLs that come with every Windows installation (compared in lower case).
allowed_imports=(kernel32.dll user32.dll advapi32.dll msvcrt.dll shell32.dll shlwapi.dll ole32.dll
    oleaut32.dll gdi32.dll version.dll ws2_32.dll bcrypt.dll ntdll.dll)

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

headers=$("$objdump" -f "$dll")
private=$("$objdump" -p "$dll")

grep -q 'file format pei-i386' <<<"$headers" || fail "$dll is not a PE image for i386"
grep -qE '^architecture: i386' <<<"$headers" || fail "$dll is not built for i386"
grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$private" || fail "$dll is not PE32"

# Exports: "[Ordinal/Name Pointer] Table" lists "[ index] Name"; binutils 2.40
# prints the index without the ordinal base, later releases print
# "[ index] +base[ ordinal] hint Name".
base=$(sed -n 's/^Ordinal Base[[:space:]]*\([0-9]\+\).*/\1/p' <<<"$private" | head -n 1)
[ -n "$base" ] || fail "$dll has no export table"
actual=$(awk -v base="${base:-0}" '
    /^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
    inside && /^[[:space:]]*$/ { inside = 0 }
    inside {
        if (match($0, /\+base\[ *[0-9]+\]/)) {
            ordinal = substr($0, RSTART, RLENGTH); gsub(/[^0-9]/, "", ordinal)
        } else if (match($0, /\[ *[0-9]+\]/)) {
            ordinal = substr($0, RSTART, RLENGTH); gsub(/[^0-9]/, "", ordinal); ordinal += base
        } else next
        print $NF "@" ordinal + 0
    }' <<<"$private" | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$actual" != "$expected" ]; then
    fail "exports differ from the expected list (< expected, > built):"
    diff <(echo "$expected") <(echo "$actual") | grep '^[<>]' || true
fi

# Imports.
imports=$(sed -n 's/^[[:space:]]*DLL Name: \(.*\)$/\1/p' <<<"$private")
for import in $imports; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$import")
    known=no
    for system_dll in "${allowed_imports[@]}"; do
        [ "$lower" = "$system_dll" ] && known=yes
    done
    [ "$known" = yes ] || fail "$dll imports $import, which is not a Windows system DLL"
done

if [ "$failures" -ne 0 ]; then
    echo "$dll: $failures check(s) failed"
    exit 1
fi
echo "$dll: PE32 i386, $# exports at their ordinals, imports only $(echo $imports)"
