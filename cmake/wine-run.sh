#!/bin/sh
# Runs a Windows program under Wine with a prefix private to the build tree.
# WINEPREFIX may be set by the caller (the suite runner keeps one wineserver
# alive for the whole suite); otherwise it is the build tree's own, beside bin/.
: "${WINEPREFIX:=$(dirname "$1")/../.wineprefix}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
