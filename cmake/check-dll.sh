#!/usr/bin/env bash
# Checks the binary interface of a Windows DLL or program built by the cross
# compiler:
#   - it is a PE32 image for i386 (the product) or a PE32+ image for x86-64;
#   - it exports exactly the given names, undecorated, each at its ordinal (a
#     program given no names must export nothing);
#   - it imports only Windows system DLLs (the C++ runtime, libgcc, winpthread
#     and zlib are linked in, so their DLLs must not appear);
#   - given subsystem=gui or subsystem=console, it runs in that subsystem.
#
#   check-dll.sh i386|x86-64 <objdump> <image> [subsystem=gui|console] [<Name@ordinal>...]
#
# <objdump> is the cross binutils' objdump (i686-w64-mingw32-objdump or
# x86_64-w64-mingw32-objdump).
set -euo pipefail

if [ $# -lt 3 ]; then
    echo "usage: $0 i386|x86-64 <objdump> <image> [subsystem=gui|console] [<Name@ordinal>...]" >&2
    exit 2
fi
arch=$1
objdump=$2
dll=$3
shift 3
subsystem=
if [ $# -gt 0 ] && [[ $1 == subsystem=* ]]; then
    subsystem=${1#subsystem=}
    shift
fi
case "$arch" in
    i386) format=pei-i386 machine='i386' magic='010b[[:space:]]+\(PE32\)' kind="PE32 i386" ;;
    x86-64) format=pei-x86-64 machine='i386:x86-64' magic='020b[[:space:]]+\(PE32\+\)' kind="PE32+ x86-64" ;;
    *) echo "check-dll: unknown architecture '$arch' (i386, x86-64)" >&2; exit 2 ;;
esac

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

grep -q "file format $format\$" <<<"$headers" || fail "$dll is not a $format image"
grep -qE "^architecture: $machine," <<<"$headers" || fail "$dll is not built for $machine"
grep -qE "^Magic[[:space:]]+$magic" <<<"$private" || fail "$dll is not $kind"

case "$subsystem" in
    "") ;;
    gui) grep -qE '^Subsystem[[:space:]]+[0-9a-fA-F]+[[:space:]]+\(Windows GUI\)' <<<"$private" ||
        fail "$dll is not a Windows GUI (windowless) image" ;;
    console) grep -qE '^Subsystem[[:space:]]+[0-9a-fA-F]+[[:space:]]+\(Windows CUI\)' <<<"$private" ||
        fail "$dll is not a console image" ;;
    *) echo "check-dll: unknown subsystem '$subsystem' (gui, console)" >&2; exit 2 ;;
esac

# Exports: "[Ordinal/Name Pointer] Table" lists "[ index] Name"; binutils 2.40
# prints the index without the ordinal base, later releases print
# "[ index] +base[ ordinal] hint Name".
base=$(sed -n 's/^Ordinal Base[[:space:]]*\([0-9]\+\).*/\1/p' <<<"$private" | head -n 1)
[ -n "$base" ] || [ $# -eq 0 ] || fail "$dll has no export table"
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
expected=$([ $# -eq 0 ] || printf '%s\n' "$@" | sort)
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
echo "$dll: $kind${subsystem:+ ($subsystem)}, $# exports at their ordinals, imports only $(echo $imports)"
