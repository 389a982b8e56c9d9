#!/bin/sh
# Runs a Windows program under Wine with a prefix private to the build tree.
#
#   wine-run.sh win32|win64 PROGRAM [ARGUMENTS...]
#
# WINEPREFIX may be set by the caller (the suite runner keeps one wineserver
# alive for the whole suite); otherwise it is the build tree's own, beside bin/.
arch=$1
shift
. "$(dirname "$0")/wine-env.sh"
jq_wine_setup "$arch" || exit 2
: "${WINEPREFIX:=$(dirname "$1")/../.wineprefix}"
export WINEPREFIX
exec "$jq_wine" "$@"
