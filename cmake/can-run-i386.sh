#!/usr/bin/env bash
# Tells whether this machine executes 32-bit x86 programs natively, which
# 32-bit Wine needs to run a suite in reasonable time.
#
#   can-run-i386.sh        exit 0 if it does; otherwise exit 1 and print why
#
# It runs a 95-byte static i386 ELF program that exits with 42. A kernel
# without 32-bit support refuses it ("Exec format error"); a binfmt_misc entry
# that hands i386 programs to an emulator (qemu-user) makes it run, but every
# Wine start then takes tens of seconds, so that counts as no.
set -u
probe=$(mktemp "${TMPDIR:-/tmp}/i386-probe.XXXXXX") || exit 1
trap 'rm -f "$probe"' EXIT
# ELF header, one loadable segment at 0x08048000, then the code at 0x08048054:
# xor ebx,ebx; mov bl,42; mov eax,1 (exit); int 0x80.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000' >>"$probe"
printf '\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010' >>"$probe"
printf '\000\200\004\010\137\000\000\000\137\000\000\000\005\000\000\000' >>"$probe"
printf '\000\020\000\000\061\333\263\052\270\001\000\000\000\315\200' >>"$probe"
chmod +x "$probe"

# bash, unlike sh and execvp, does not fall back to reading a refused binary
# as a script.
error=$(timeout 20 bash -c '"$0"' "$probe" 2>&1)
status=$?
if [ "$status" -ne 42 ]; then
    echo "this machine cannot execute 32-bit x86 programs (${error:+${error##*: }, }exit status $status)"
    exit 1
fi
for entry in /proc/sys/fs/binfmt_misc/*; do
    case "$entry" in */register | */status) continue ;; esac
    [ -r "$entry" ] || continue
    grep -qx enabled "$entry" || continue
    # The magic of i386 ELF executables: class 32, little-endian, machine 3.
    if grep -Eq '^magic 7f454c460101[0-9a-f]{24}0300' "$entry"; then
        echo "32-bit x86 programs run only through an emulator here ($(sed -n 's/^interpreter //p' "$entry"))"
        exit 1
    fi
done
exit 0
