# Sourced by the Wine runners: sets up the environment of a Wine run for one
# architecture and names the loader that starts programs.
#
#   jq_wine_setup win32|win64      sets jq_wine, exports WINE* variables
#
# Debian's /usr/bin/wine starts the 32-bit loader whenever it is installed,
# even on a machine that cannot execute 32-bit x86 code, so 64-bit runs call
# the 64-bit loader directly (and hand it to Wine's own child processes
# through WINELOADER).
jq_wine_setup() {
    case "$1" in
        win64)
            if [ -x /usr/lib/wine/wine64 ]; then
                jq_wine=/usr/lib/wine/wine64
            else
                jq_wine=$(command -v wine64 || echo wine64)
            fi
            export WINEARCH=win64 WINELOADER="$jq_wine"
            ;;
        win32)
            jq_wine=wine
            ;;
        *)
            echo "wine-env: unknown architecture '$1' (win32, win64)" >&2
            return 2
            ;;
    esac
    export WINEDEBUG=-all
    # No Mono or Gecko download prompts, no desktop menu entries.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}
