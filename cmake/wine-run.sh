#!/bin/sh
# Runs a Windows program under Wine with a prefix private to the build tree.
# WINEPREFIX may be set by the caller (the suite runner keeps one wineserver
# alive for the whole suite); otherwise the prefix sits beside the program.
: "${WINEPREFIX:=$(dirname "$1")/.wineprefix}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
